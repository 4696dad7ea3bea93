#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ui/ask_view.hpp"
#include "ui/keybind_viewer.hpp"

namespace marlguide::ui {
namespace {

TEST(TemporaryBinding, KeysFromTheEntryThenTheDispatcher) {
  const struct {
    const char* entry;
    std::optional<std::string> binding;
  } cases[] = {
      {"super+shift+u", "SUPER_SHIFT,U,exec,firefox"},
      {"  super + shift + u  ", "SUPER_SHIFT,U,exec,firefox"},
      {"Super + Return", "SUPER,RETURN,exec,firefox"},
      // Without modifiers the modifier field stays empty, or the key would be read as one.
      {"F1", ",F1,exec,firefox"},
      {"   ", std::nullopt},
      {"", std::nullopt},
      {"\t\u3000\n", std::nullopt},
      {"+", std::nullopt},
      {" + + ", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(temporary_binding(c.entry, "exec,firefox"), c.binding) << '"' << c.entry << '"';
  EXPECT_EQ(temporary_binding("super + e", "exec,sh -c 'a, b'"), "SUPER,E,exec,sh -c 'a, b'");
}

TEST(ResultPosition, DecimalPositionsInsideTheIndex) {
  const struct {
    const char* name;
    std::optional<std::size_t> position;
  } cases[] = {
      {"0", 0},
      {"41", 41},
      {"+7", 7},
      {"007", 7},
      {"42", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"++1", std::nullopt},
      {"-1", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"1x", std::nullopt},
      {"GtkListBoxRow", std::nullopt},
      {"18446744073709551616", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(result_position(c.name, 42), c.position) << c.name;
  EXPECT_EQ(result_position("18446744073709551615", 42), std::nullopt);
  EXPECT_EQ(result_position("0", 0), std::nullopt);
}

}  // namespace
}  // namespace marlguide::ui
