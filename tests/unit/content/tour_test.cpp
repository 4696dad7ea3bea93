#include "content/tour.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_files.hpp"

namespace marlguide::content {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::stderr_of;
using testing::TempDir;

TEST(TourFile, DecodesEveryField) {
  auto steps = parse_tour(R"(
name = "ignored"
[[step]]
id = "welcome"
title = "Welcome"
body = "Hello"

[[step]]
id = "all"
title = "All fields"
body = "Press [Show Keybind]super + return[/Show Keybind]"
target_namespace = "waybar"
target_window_class = "kitty"
launch = "kitty"
success_event = "terminal-opened"
success_timeout_seconds = 9223372036854775807
rebind_combo = "super + return"
extra = 1
)");
  ASSERT_TRUE(steps) << steps.error();
  ASSERT_EQ(steps->size(), 2u);
  Step welcome;
  welcome.id = "welcome", welcome.title = "Welcome", welcome.body = "Hello";
  EXPECT_EQ((*steps)[0], welcome);
  EXPECT_EQ(
      (*steps)[1],
      (Step{"all", "All fields", "Press [Show Keybind]super + return[/Show Keybind]", "waybar",
            "kitty", "kitty", "terminal-opened", 9223372036854775807u, "super + return"}));
}

TEST(TourFile, EmptyOrStepless) {
  for (const char* text : {"", "# nothing\n", "title = 'x'\n[other]\na = 1"}) {
    auto steps = parse_tour(text);
    ASSERT_TRUE(steps) << text;
    EXPECT_THAT(*steps, IsEmpty());
  }
}

TEST(TourFile, ErrorsNameTheKey) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[[step]]\nid = 'a'\ntitle = 't'", "missing field `body`"},
      {"[[step]]\nid = 'a'\ntitle = 't'\nbody = 'b'\nsuccess_timeout_seconds = -5",
       "invalid value for `success_timeout_seconds`: expected a non-negative integer, found -5"},
      {"[[step]]\nid = 'a'\ntitle = 't'\nbody = 'b'\nsuccess_timeout_seconds = '5'",
       "invalid type for `success_timeout_seconds`"},
      {"[[step]]\nid = 'a'\ntitle = 3\nbody = 'b'", "invalid type for `title`"},
      {"[[step]]\nid = 'a'\ntitle = 't'\nbody = 'b'\nbody = 'c'", "duplicate field `body`"},
  };
  for (const auto& c : cases) {
    auto got = parse_tour(c.text);
    ASSERT_FALSE(got) << c.text;
    EXPECT_THAT(got.error(), HasSubstr(c.error)) << c.text;
  }
}

constexpr std::string_view kOneStep = "[[step]]\nid = 'a'\ntitle = 'System'\nbody = 'b'\n";

TEST(TourChoice, AnythingAtTheUserPathWins) {
  TempDir system, user;
  system.write("tours/onboarding.toml", kOneStep);
  const auto system_file = system.path() / "tours/onboarding.toml";
  const auto user_file = user.path() / "tours/onboarding.toml";

  EXPECT_EQ(tour_file(system.path(), user.path()), system_file);
  ASSERT_EQ(load_tour(tour_file(system.path(), user.path())).size(), 1u);

  // A directory in the way is still the user's choice: it reads as no tour.
  user.mkdir("tours/onboarding.toml");
  EXPECT_EQ(tour_file(system.path(), user.path()), user_file);
  EXPECT_THAT(load_tour(user_file), IsEmpty());
  std::filesystem::remove(user_file);

  // A broken user file is reported and not replaced by the system file.
  user.write("tours/onboarding.toml", "[[step]]\nid = 'a'\n");
  std::vector<Step> steps{Step{}};
  const std::string err =
      stderr_of([&] { steps = load_tour(tour_file(system.path(), user.path())); });
  EXPECT_THAT(steps, IsEmpty());
  EXPECT_EQ(err, "marlguide: " + user_file.string() +
                     " failed to parse: missing field `title` at line 1, column 1\n");

  // A dangling link has no metadata: the system file is used.
  std::filesystem::remove(user_file);
  std::filesystem::create_symlink(user.path() / "nowhere", user_file);
  EXPECT_EQ(tour_file(system.path(), user.path()), system_file);
}

TEST(TourChoice, NoFileAnywhereIsAnEmptyTourWithoutMessage) {
  const std::string err = stderr_of(
      [] { EXPECT_THAT(load_tour(tour_file("/nonexistent/a", "/nonexistent/b")), IsEmpty()); });
  EXPECT_EQ(err, "");
}

}  // namespace
}  // namespace marlguide::content
