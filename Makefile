# The two everyday commands. Both make the dev root first when this machine lacks the libraries.
#   make test              build and run every test; ends with "N passed, N failed"
#   make run [ARGS=...]    build and start marlguide (on a private headless compositor when
#                          there is no display, saving a screenshot under out/)
IN_DEVROOT := tools/in-devroot

.PHONY: all build test run check-format format

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
