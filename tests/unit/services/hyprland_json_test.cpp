// Decoding hyprctl's answers, recorded from a real Hyprland session and bent into the faulty
// shapes a compositor (or a stand-in for one) can produce.

#include "services/hyprland_json.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace marlguide::services {
namespace {

std::string fixture(const std::string& name) {
  const char* root = std::getenv("MARLGUIDE_SOURCE_ROOT");
  EXPECT_NE(root, nullptr) << "run through meson test";
  std::ifstream in(std::filesystem::path(root ? root : ".") / "tests/unit/services/fixtures" /
                   name);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

nlohmann::json parsed(std::string_view text) {
  auto doc = parse_hyprctl_json(text);
  EXPECT_TRUE(doc.has_value()) << text;
  return doc.value_or(nullptr);
}

TEST(ParseHyprctlJson, AcceptsOneDocumentWithSurroundingWhiteSpaceOnly) {
  struct Case {
    std::string_view text;
    bool ok;
  };
  const Case cases[] = {
      {"[]", true},    {" \n\t[1]\r\n ", true}, {"{}", true},          {"", false},
      {"  ", false},   {"[1] x", false},        {"[1][2]", false},     {"[1,]", false},
      {"ok\n", false}, {"{\"a\":1", false},     {"[\"\xff\"]", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parse_hyprctl_json(c.text).has_value(), c.ok) << '"' << c.text << '"';
}

TEST(ParseHyprctlJson, ObjectWithRepeatedKeyBecomesNullAtItsOwnLevelOnly) {
  const auto doc = parsed(R"({"outer": {"a": 1, "a": 2}, "kept": {"a": 1, "b": {"a": 1}}})");
  EXPECT_TRUE(doc["outer"].is_null());
  EXPECT_EQ(doc["kept"], nlohmann::json::parse(R"({"a": 1, "b": {"a": 1}})"));
}

TEST(DecodeLayers, VisitsMonitorsAndLevelsInByteOrderAndSkipsOnlyUnusableSurfaces) {
  const std::vector<Layer> want{
      // "DP-1" sorts before "HDMI-A-1"; its level "10" before "2".
      {"rofi", "DP-1", 5, 6, 7, 8},
      {"waybar", "DP-1", 0, 0, 2560, 40},
      {"hyprpaper", "HDMI-A-1", 0, 0, 1920, 1080},
      // 2^32 + 100, 2^31 and -2^63 keep their low 32 bits.
      {"swaync", "HDMI-A-1", 100, -20, -2147483648, 0},
      {"notifications", "HDMI-A-1", -1, 3, 50, 60},
  };
  EXPECT_EQ(decode_layers(parsed(fixture("layers.json"))), want);
}

TEST(DecodeLayers, AnythingButAnObjectGivesNoLayers) {
  for (auto text : {"[]", "null", "\"layers\"", R"([{"levels": {}}])"})
    EXPECT_TRUE(decode_layers(parsed(text)).empty()) << text;
}

TEST(DecodeClients, ReadsTheFourKeysAndIgnoresTheRest) {
  const auto got = decode_clients(parsed(fixture("clients.json")));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], (Client{"firefox", {12, 52}, {1896, 1016}, 0}));
  // A repeated key inside a member that is not read does not spoil the element.
  EXPECT_EQ(got[1], (Client{"com.mitchellh.ghostty", {-2560, -40}, {2147483647, 800}, 1}));
  EXPECT_EQ(got[2], (Client{"", {0, 0}, {640, 480}, -1}));
}

TEST(DecodeClients, OneBadElementEmptiesTheWholeList) {
  const std::string good = R"({"class": "kitty", "at": [0, 0], "size": [10, 10], "monitor": 0})";
  const std::string_view bad[] = {
      R"({"class": "x", "at": [0, 0], "size": [10, 10]})",
      R"({"class": "x", "at": [0, 0], "size": [10, 10], "monitor": 0, "monitor": 0})",
      R"({"class": 7, "at": [0, 0], "size": [10, 10], "monitor": 0})",
      R"({"class": "x", "at": [0, 0, 0], "size": [10, 10], "monitor": 0})",
      R"({"class": "x", "at": [0], "size": [10, 10], "monitor": 0})",
      R"({"class": "x", "at": [0.0, 0], "size": [10, 10], "monitor": 0})",
      R"({"class": "x", "at": [0, 0], "size": [1e1, 10], "monitor": 0})",
      R"({"class": "x", "at": [0, 0], "size": [10, 10], "monitor": 2147483648})",
      R"({"class": "x", "at": [-2147483649, 0], "size": [10, 10], "monitor": 0})",
      R"({"class": "x", "at": [0, 0], "size": [10, 10], "monitor": "0"})",
      R"({"class": "x", "at": {"x": 0, "y": 0}, "size": [10, 10], "monitor": 0})",
      R"(["x", [0, 0], [10, 10], 0])",
      R"(null)",
  };
  EXPECT_EQ(decode_clients(parsed("[" + good + "]")).size(), 1u);
  for (auto b : bad) {
    EXPECT_TRUE(decode_clients(parsed("[" + good + "," + std::string(b) + "]")).empty()) << b;
  }
  EXPECT_TRUE(decode_clients(parsed("{" + std::string(R"("c": )") + good + "}")).empty());
}

TEST(DecodeMonitors, ReadsTheSevenKeysAndIgnoresTheRest) {
  const std::vector<Monitor> want{
      {0, "DP-1", 0, 0, 3840, 2160, false},
      {1, "HDMI-A-1", -1920, -2147483648, 1920, 1080, true},
  };
  EXPECT_EQ(decode_monitors(parsed(fixture("monitors.json"))), want);
}

TEST(DecodeMonitors, OneBadElementEmptiesTheWholeList) {
  const std::string good =
      R"({"id": 0, "name": "DP-1", "x": 0, "y": 0, "width": 1, "height": 1, "focused": true})";
  const std::string_view bad[] = {
      R"({"id": 1, "name": "DP-2", "x": 0, "y": 0, "width": 1, "height": 1})",
      R"({"id": 1, "name": "DP-2", "x": 0, "y": 0, "width": 1, "height": 1, "focused": 1})",
      R"({"id": 1, "name": "DP-2", "x": 0, "y": 0, "width": 1.5, "height": 1, "focused": true})",
      R"({"id": 1, "name": null, "x": 0, "y": 0, "width": 1, "height": 1, "focused": true})",
      R"({"id": 1, "name": "DP-2", "x": 0, "y": 0, "width": 1, "height": 1, "focused": true,
          "id": 2})",
      R"({"id": 4294967296, "name": "DP-2", "x": 0, "y": 0, "width": 1, "height": 1,
          "focused": true})",
  };
  EXPECT_EQ(decode_monitors(parsed("[" + good + "]")).size(), 1u);
  for (auto b : bad)
    EXPECT_TRUE(decode_monitors(parsed("[" + good + "," + std::string(b) + "]")).empty()) << b;
}

TEST(Matching, NamespacesMatchExactlyAndClassesIgnoreAsciiCase) {
  const std::vector<Layer> layers{{"waybar", "DP-1", 1, 0, 0, 0}, {"Waybar", "DP-2", 2, 0, 0, 0}};
  EXPECT_EQ(find_layer(layers, "Waybar"), &layers[1]);
  EXPECT_EQ(find_layer(layers, "waybar"), &layers[0]);
  EXPECT_EQ(find_layer(layers, "waybar "), nullptr);

  const std::vector<Client> clients{{"Firefox", {1, 0}, {0, 0}, 0},
                                    {"firefox", {2, 0}, {0, 0}, 0},
                                    {"\xC3\x89t\xC3\xA9", {}, {}, 0}};
  EXPECT_EQ(find_client(clients, "FIREFOX"), &clients[0]) << "first in list order";
  EXPECT_EQ(find_client(clients, "firefo"), nullptr);
  EXPECT_EQ(find_client(clients, "\xC3\x89T\xC3\xA9"), &clients[2]);
  EXPECT_EQ(find_client(clients, "\xC3\xA9T\xC3\xA9"), nullptr) << "only A-Z fold";

  const std::vector<Monitor> monitors{{3, "DP-1", 0, 0, 0, 0, false},
                                      {3, "DP-2", 0, 0, 0, 0, true}};
  EXPECT_EQ(find_monitor(monitors, 3), &monitors[0]);
  EXPECT_EQ(find_monitor(monitors, 0), nullptr);
}

TEST(BindKeys, TurnsCombinationsIntoTheKeyPartOfABinding) {
  struct Case {
    std::string_view combo, keys;
  };
  const Case cases[] = {
      {"super + shift + u", "SUPER_SHIFT,U"},
      {"Super+Enter", "SUPER,RETURN"},
      {"ctrl alt Delete", "CTRL_ALT,DELETE"},
      {"alt+space", "ALT,SPACE"},
      {"print", "PRINT"},
      {"", ""},
      {" + +\t+ ", ""},
      {"F1", "F1"},
      {"super+RETURN", "SUPER,RETURN"},
      {"ctrl + alt + BackSpace", "CTRL_ALT,BACKSPACE"},
      {"super++q", "SUPER,Q"},
      {"super\tshift\nq", "SUPER_SHIFT,Q"},
      // No-break space, em space and ideographic space split like any other blank.
      {"super\u00A0e", "SUPER,E"},
      {"super\u2003shift\u3000e", "SUPER_SHIFT,E"},
      {"super + \xC3\xA9", "SUPER,\xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(bind_keys(c.combo), c.keys) << '"' << c.combo << '"';
}

TEST(BindingKeys, AlwaysCarryTheModifierField) {
  EXPECT_EQ(binding_keys("super + shift + u"), "SUPER_SHIFT,U");
  EXPECT_EQ(binding_keys("print"), ",PRINT");
  EXPECT_EQ(binding_keys("F1"), ",F1");
  EXPECT_EQ(binding_keys(" + "), "");
}

}  // namespace
}  // namespace marlguide::services
