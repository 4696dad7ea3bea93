#include "marl-theme/colors.hpp"

#include <nlohmann/json.hpp>

#include "xdg.hpp"

namespace marl::theme {
namespace {

using nlohmann::json;

// Reads pywal's file in one pass. Unlike building the whole JSON value first, the events show
// every value of a repeated key, and a non-text colour must reject the document even when a
// later repetition would hide it.
class WalReader : public nlohmann::json_sax<json> {
 public:
  WalColors result;

  bool null() override { return scalar(); }
  bool boolean(bool) override { return scalar(); }
  bool number_integer(number_integer_t) override { return scalar(); }
  bool number_unsigned(number_unsigned_t) override { return scalar(); }
  bool number_float(number_float_t, const string_t&) override { return scalar(); }
  bool binary(binary_t&) override { return false; }

  bool string(string_t& value) override {
    if (in_colors()) {
      result.colors[key_] = value;
      return true;
    }
    return scalar();
  }

  bool start_object(std::size_t) override {
    if (depth_ == 0) return enter();  // the document itself
    if (in_colors()) return false;    // a colour that is not text
    if (depth_ == 1 && colors_next_) {
      // A later "colors" member replaces an earlier one, as a repeated key does.
      result.colors.clear();
      colors_depth_ = depth_ + 1;
    }
    return enter();
  }
  bool end_object() override { return leave(); }
  bool start_array(std::size_t) override {
    if (depth_ == 0 || in_colors() || (depth_ == 1 && colors_next_)) return false;
    return enter();
  }
  bool end_array() override { return leave(); }

  bool key(string_t& name) override {
    if (depth_ == 1) colors_next_ = name == "colors";
    if (in_colors()) key_ = name;
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool in_colors() const { return colors_depth_ != 0 && depth_ == colors_depth_; }
  // A plain value is fine anywhere except as the document, as "colors" or as one of its colours.
  bool scalar() { return depth_ != 0 && !in_colors() && !(depth_ == 1 && colors_next_); }
  bool enter() {
    ++depth_;
    return true;
  }
  bool leave() {
    if (depth_ == colors_depth_) colors_depth_ = 0;
    --depth_;
    if (depth_ == 1) colors_next_ = false;
    return true;
  }

  std::size_t depth_ = 0;
  std::size_t colors_depth_ = 0;
  bool colors_next_ = false;
  std::string key_;
};

}  // namespace

std::optional<WalColors> parse_wal_colors(std::string_view text) {
  WalReader reader;
  // Strict: one value, then only white space. Bytes that are not UTF-8 fail the parse too.
  if (!json::sax_parse(text, &reader)) return std::nullopt;
  return std::move(reader.result);
}

ThemeColors theme_colors_from(const WalColors& wal) {
  ThemeColors colors;
  auto take = [&](const char* key, std::string& field) {
    if (auto it = wal.colors.find(key); it != wal.colors.end()) field = it->second;
  };
  take("color1", colors.color1);
  take("color2", colors.color2);
  take("color3", colors.color3);
  take("color4", colors.color4);
  take("color5", colors.color5);
  take("color6", colors.color6);
  return colors;
}

std::filesystem::path wal_colors_path() {
  const auto cache = detail::cache_dir().value_or("~/.cache");
  return cache / "wal" / "colors.json";
}

ThemeColors load_theme_colors() {
  const auto text = detail::read_file(wal_colors_path());
  if (!text) return {};
  const auto wal = parse_wal_colors(*text);
  return wal ? theme_colors_from(*wal) : ThemeColors{};
}

}  // namespace marl::theme
