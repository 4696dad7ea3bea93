#include "app/options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marlguide::app {
namespace {

struct ParseCase {
  const char* name;
  std::vector<std::string> args;  // without the program name
  Options expected;
};

Options with(auto&& change) {
  Options o;
  change(o);
  return o;
}

const std::string kBadUtf8 = "\xff\xfe";

std::vector<ParseCase> parse_cases() {
  return {
      {"empty", {}, Options{}},
      {"program_name_is_skipped_even_if_it_looks_like_an_option", {}, Options{}},
      {"width_and_height", {"--width", "800", "--height", "600"}, with([](Options& o) {
         o.width = 800, o.height = 600;
       })},
      {"plus_sign_allowed", {"--width", "+800"}, with([](Options& o) { o.width = 800; })},
      {"minus_keeps_previous", {"--width", "-800"}, Options{}},
      {"overflow_keeps_previous", {"--width", "4294967296"}, Options{}},
      {"max_u32", {"--height", "4294967295"}, with([](Options& o) { o.height = 4294967295u; })},
      {"exponent_keeps_previous", {"--width", "8e2"}, Options{}},
      {"double_plus_keeps_previous", {"--width", "++8"}, Options{}},
      {"lone_plus_keeps_previous", {"--width", "+"}, Options{}},
      {"space_keeps_previous", {"--width", " 8"}, Options{}},
      {"empty_value_keeps_previous", {"--width", ""}, Options{}},
      {"bad_number_is_still_consumed", {"--width", "x", "--autostart"}, with([](Options& o) {
         o.autostart = true;
       })},
      {"option_as_width_value_is_consumed", {"--width", "--onboard"}, Options{}},
      {"bad_utf8_width_keeps_previous", {"--width", kBadUtf8}, Options{}},
      {"trailing_width_without_value", {"--width", "800", "--width"}, with([](Options& o) {
         o.width = 800;
       })},
      {"last_width_wins", {"--width", "800", "--width", "1024"}, with([](Options& o) {
         o.width = 1024;
       })},
      {"bad_second_width_keeps_first", {"--width", "800", "--width", "abc"}, with([](Options& o) {
         o.width = 800;
       })},
      {"output_without_value_clears_earlier", {"--output", "a", "--output"}, Options{}},
      {"output_value_may_look_like_option", {"--output", "--screenshot"}, with([](Options& o) {
         o.output = "--screenshot";
       })},
      {"bad_utf8_value_clears_field", {"--suggest", "x", "--suggest", kBadUtf8}, Options{}},
      {"text_values",
       {"--screenshot", "home", "--output", "/tmp/a.png", "--suggest", "monitor-setup",
        "--tour-event", "opened-terminal"},
       with([](Options& o) {
         o.screenshot = "home", o.output = "/tmp/a.png", o.suggest = "monitor-setup",
         o.tour_event = "opened-terminal";
       })},
      {"utf8_value_kept", {"--tour-event", "grüße"}, with([](Options& o) {
         o.tour_event = "grüße";
       })},
      {"empty_text_value_is_present", {"--output", ""}, with([](Options& o) { o.output = ""; })},
      {"flags", {"--onboard", "--autostart"}, with([](Options& o) {
         o.onboard = o.autostart = true;
       })},
      {"flags_take_no_value", {"--onboard", "800"}, with([](Options& o) { o.onboard = true; })},
      {"equals_form_ignored", {"--screenshot=home", "--width=5"}, Options{}},
      {"short_and_abbreviated_forms_ignored", {"-w", "5", "--wid", "5", "--ONBOARD"}, Options{}},
      {"positional_and_unknown_ignored", {"help", "--help", "--verbose", "3"}, Options{}},
      {"bad_utf8_argument_ignored", {kBadUtf8, "--autostart"}, with([](Options& o) {
         o.autostart = true;
       })},
      {"suggest_consumes_screenshot", {"--suggest", "--screenshot"}, with([](Options& o) {
         o.suggest = "--screenshot";
       })},
  };
}

class ParseOptions : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseOptions, MatchesGrammar) {
  const ParseCase& c = GetParam();
  std::vector<std::string_view> args{"--onboard"};  // the program name is never an option
  for (const auto& a : c.args) args.emplace_back(a);
  EXPECT_EQ(parse_options(args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ParseOptions, testing::ValuesIn(parse_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WantsOwnProcess, OnlyAnExactScreenshotArgument) {
  using V = std::vector<std::string_view>;
  EXPECT_TRUE(wants_own_process(V{"marlguide", "--screenshot", "home"}));
  EXPECT_TRUE(wants_own_process(V{"marlguide", "--suggest", "--screenshot"}));
  EXPECT_TRUE(wants_own_process(V{"--screenshot"}));  // even as the program name
  EXPECT_FALSE(wants_own_process(V{"marlguide", "--screenshot=home"}));
  EXPECT_FALSE(wants_own_process(V{"marlguide", "--screenshots"}));
  EXPECT_FALSE(wants_own_process(V{"marlguide", "--Screenshot", "-screenshot"}));
  EXPECT_FALSE(wants_own_process(V{"marlguide"}));
}

TEST(ScreenshotRequest, AbsentWithoutScreenshot) {
  Options o;
  o.output = "/tmp/x.png";
  EXPECT_EQ(check_screenshot(o), ScreenshotCheck::None);
  EXPECT_EQ(screenshot_request(o), std::nullopt);
}

TEST(ScreenshotRequest, CopiesViewOutputAndSize) {
  const std::vector<std::string_view> args{"marlguide", "--screenshot", "learn",
                                           "--output",  "/tmp/l.png",   "--width",
                                           "800",       "--height",     "600"};
  const Options o = parse_options(args);
  EXPECT_EQ(check_screenshot(o), ScreenshotCheck::Ready);
  EXPECT_EQ(screenshot_request(o), (ScreenshotRequest{"learn", "/tmp/l.png", 800, 600}));
}

TEST(ScreenshotRequest, DefaultSizeIsFullHd) {
  const std::vector<std::string_view> args{"marlguide", "--output", "o.png", "--screenshot", "ask"};
  EXPECT_EQ(screenshot_request(parse_options(args)),
            (ScreenshotRequest{"ask", "o.png", 1920, 1080}));
}

TEST(ScreenshotRequestDeathTest, MissingOutputExitsWithMessage) {
  Options o;
  o.screenshot = "home";
  EXPECT_EQ(check_screenshot(o), ScreenshotCheck::MissingOutput);
  EXPECT_EXIT(screenshot_request(o), testing::ExitedWithCode(1),
              "^marlguide: --screenshot requires --output\n$");
}

}  // namespace
}  // namespace marlguide::app
