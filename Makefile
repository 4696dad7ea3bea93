# The two everyday commands. Both make the dev root first when this machine lacks the libraries.
#   make test              build and run every test; ends with "N passed, N failed"
#   make run [ARGS=...]    build and start marlguide (on a private headless compositor when
#                          there is no display, saving a screenshot under out/)
# Release checks:
#   make test-sanitizers   the whole suite again under AddressSanitizer and UBSan (build-asan/)
#   make fuzz [FUZZ_SECONDS=30]   each libFuzzer harness for that long (build-fuzz/)
#   make bench             the benchmark table (start-up, forwarding, memory, Ask filtering)
IN_DEVROOT := tools/in-devroot
FUZZ_SECONDS ?= 30

.PHONY: all build test run check-format format test-sanitizers fuzz bench

all: build

build:
	@$(IN_DEVROOT) tools/build

test:
	@$(IN_DEVROOT) tools/run-tests

run:
	@$(IN_DEVROOT) tools/run-demo $(ARGS)

check-format:
	@$(IN_DEVROOT) tools/format --check

format:
	@$(IN_DEVROOT) tools/format

test-sanitizers:
	@$(IN_DEVROOT) tools/run-sanitizers

fuzz:
	@$(IN_DEVROOT) env FUZZ_SECONDS=$(FUZZ_SECONDS) tools/run-fuzz

bench:
	@$(IN_DEVROOT) tools/run-bench
