// The Hyprland client against small hyprctl scripts: what it runs, and what it makes of
// hyprctl failing, hanging or printing something unexpected.

#include "services/hyprland.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "fake_programs.hpp"

namespace marlguide::services {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class HyprlandClient : public testing::FakePrograms {
 protected:
  // A hyprctl that logs its arguments and prints the document stored for its second one.
  void answering_hyprctl() {
    program("hyprctl", "printf '%s|' \"$@\" >> '" + file("calls").string() + "'\necho >> '" +
                           file("calls").string() + "'\ncat '" + file("").string() +
                           "'\"$2.json\"");
  }
  void answer(const std::string& what, const std::string& json) {
    std::ofstream(file(what + ".json")) << json;
  }
  std::string calls() { return read(file("calls")); }
};

const std::string kClients = R"([
  {"class": "firefox", "at": [10, 20], "size": [800, 600], "monitor": 1, "title": "x"},
  {"class": "kitty", "at": [0, 0], "size": [5, 5], "monitor": 3}
])";
const std::string kLayers =
    R"({"DP-1": {"levels": {"2": [{"namespace": "waybar", "x": 0, "y": 0, "w": 9, "h": 4}]}}})";
const std::string kMonitors =
    R"([{"id": 1, "name": "DP-1", "x": 0, "y": 0, "width": 9, "height": 9, "focused": true}])";

TEST_F(HyprlandClient, QueriesAskForJsonAndDecodeTheAnswer) {
  answering_hyprctl();
  answer("clients", kClients);
  answer("layers", kLayers);
  answer("monitors", kMonitors);
  EXPECT_EQ(clients().size(), 2u);
  EXPECT_EQ(layers(), (std::vector<Layer>{{"waybar", "DP-1", 0, 0, 9, 4}}));
  EXPECT_EQ(monitors(), (std::vector<Monitor>{{1, "DP-1", 0, 0, 9, 9, true}}));
  EXPECT_EQ(calls(), "-j|clients|\n-j|layers|\n-j|monitors|\n");
}

TEST_F(HyprlandClient, TargetPresenceFollowsTheMatchingRules) {
  answering_hyprctl();
  answer("clients", kClients);
  answer("layers", kLayers);
  struct Case {
    StepTarget target;
    bool present;
  };
  const Case cases[] = {
      {{StepTarget::Kind::WindowClass, "Firefox"}, true},
      {{StepTarget::Kind::WindowClass, "KITTY"}, true},
      {{StepTarget::Kind::WindowClass, "firefox-esr"}, false},
      {{StepTarget::Kind::Namespace, "waybar"}, true},
      {{StepTarget::Kind::Namespace, "Waybar"}, false},
      {{StepTarget::Kind::Namespace, "firefox"}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(target_present(c.target), c.present) << c.target.text;
}

TEST_F(HyprlandClient, NothingIsPresentAndPlacedNowhereWithoutAsking) {
  answering_hyprctl();
  EXPECT_TRUE(target_present({}));
  EXPECT_FALSE(target_placement({}, {}).has_value());
  EXPECT_EQ(calls(), "");
}

TEST_F(HyprlandClient, OneUndecodableClientHidesEveryWindow) {
  answering_hyprctl();
  answer("clients", R"([{"class": "firefox", "at": [0, 0], "size": [1, 1], "monitor": 0},
                        {"class": "kitty", "at": [0, 0], "size": [1, 1]}])");
  EXPECT_TRUE(clients().empty());
  EXPECT_FALSE(target_present({StepTarget::Kind::WindowClass, "firefox"}));
}

TEST_F(HyprlandClient, AnswersOtherThanOneJsonDocumentFromASuccessfulRunGiveNothing) {
  const std::string doc = R"([{"id": 0, "name": "DP-1", "x": 0, "y": 0, "width": 1,
                              "height": 1, "focused": true}])";
  struct Case {
    std::string body;
    bool document;         // hyprctl_json gives a value
    std::size_t monitors;  // what the query decodes from it
  };
  const Case cases[] = {
      {"cat <<'EOF'\n" + doc + "\nEOF", true, 1},
      {"echo '{}'", true, 0},
      {"cat <<'EOF'\n" + doc + "\nEOF\nexit 1", false, 0},
      {"cat <<'EOF'\n" + doc + "\nEOF\nkill -9 $$", false, 0},
      {"echo 'HYPRLAND_INSTANCE_SIGNATURE not set! (is hyprland running?)'", false, 0},
      {"cat <<'EOF'\n" + doc + "\nok\nEOF", false, 0},
      {"true", false, 0},
  };
  for (const auto& c : cases) {
    program("hyprctl", c.body);
    EXPECT_EQ(hyprctl_json({"-j", "monitors"}).has_value(), c.document) << c.body;
    EXPECT_EQ(monitors().size(), c.monitors) << c.body;
  }
}

TEST_F(HyprlandClient, HangingHyprctlIsKilledAfterThreeSeconds) {
  program("hyprctl", "echo '[]'; exec sleep 30");
  const auto start = Clock::now();
  const auto got = hyprctl_json({"-j", "clients"});
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_FALSE(got.has_value());
  EXPECT_GE(took, 3000ms);
  EXPECT_LT(took, 6000ms) << "the query waited for hyprctl's own end";
  RecordProperty("killed_after_ms", static_cast<int>(took.count()));
}

TEST_F(HyprlandClient, MissingHyprctlGivesEmptyAnswersAndOneRebindMessage) {
  empty_path();
  EXPECT_TRUE(layers().empty());
  EXPECT_TRUE(clients().empty());
  EXPECT_TRUE(monitors().empty());
  EXPECT_FALSE(target_present({StepTarget::Kind::Namespace, "waybar"}));
  ::testing::internal::CaptureStderr();
  keyword_bind("SUPER,E,exec,nautilus");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "marlguide: hyprctl rebind failed: No such file or directory\n");
}

TEST_F(HyprlandClient, KeywordBindPassesTheBindingAsOneArgumentInTheInheritedEnvironment) {
  program("hyprctl", "{ printf '%s\\n' \"$#\" \"$@\"; echo \"$LC_ALL\"; } > '" +
                         file("bind.tmp").string() + "'\nmv '" + file("bind.tmp").string() + "' '" +
                         file("bind").string() + "'");
  setenv("LC_ALL", "POSIX", 1);
  const std::string binding =
      R"(SUPER_SHIFT,U,exec,sh -c 'notify-send '\''hi'\'' ; marlguide --tour-event E')";
  ::testing::internal::CaptureStderr();
  keyword_bind(binding);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_TRUE(eventually([&] { return std::filesystem::exists(file("bind")); }));
  unsetenv("LC_ALL");
  EXPECT_EQ(read(file("bind")), "3\nkeyword\nbind\n" + binding + "\nPOSIX\n");
}

}  // namespace
}  // namespace marlguide::services
