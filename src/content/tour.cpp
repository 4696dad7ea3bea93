#include "content/tour.hpp"

#include <system_error>

#include "content/decode.hpp"
#include "content/roots.hpp"
#include "content/text.hpp"
#include "util/message.hpp"

namespace marlguide::content {

namespace fs = std::filesystem;

std::expected<std::vector<Step>, std::string> parse_tour(std::string_view text) {
  return decode_toml<std::vector<Step>>(text, [](const TomlFields& t) {
    std::vector<Step> steps;
    for (const auto& s : t.table_list("step")) {
      steps.push_back(Step{
          .id = s.string("id"),
          .title = s.string("title"),
          .body = s.string("body"),
          .target_namespace = s.optional_string("target_namespace"),
          .target_window_class = s.optional_string("target_window_class"),
          .launch = s.optional_string("launch"),
          .success_event = s.optional_string("success_event"),
          .success_timeout_seconds = s.optional_u64("success_timeout_seconds"),
          .rebind_combo = s.optional_string("rebind_combo"),
      });
    }
    return steps;
  });
}

fs::path tour_file(const fs::path& system_root, const fs::path& user_root) {
  const fs::path user = user_root / "tours/onboarding.toml";
  std::error_code ec;
  if (fs::exists(fs::status(user, ec))) return user;
  return system_root / "tours/onboarding.toml";
}

std::vector<Step> load_onboarding_tour() {
  return load_tour(tour_file(system_content_dir(), user_content_dir()));
}

std::vector<Step> load_tour(const fs::path& file) {
  const auto text = read_utf8_file(file);
  if (!text) return {};
  auto steps = parse_tour(*text);
  if (!steps) {
    report("{} failed to parse: {}", file.native(), steps.error());
    return {};
  }
  return std::move(*steps);
}

}  // namespace marlguide::content
