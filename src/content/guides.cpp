#include "content/guides.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <system_error>
#include <utility>

#include "content/decode.hpp"
#include "content/roots.hpp"
#include "content/text.hpp"
#include "util/message.hpp"

namespace marlguide::content {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::pair<std::string_view, Difficulty>, 3> kDifficulties{{
    {"beginner", Difficulty::Beginner},
    {"intermediate", Difficulty::Intermediate},
    {"advanced", Difficulty::Advanced},
}};

constexpr std::array<std::string_view, 6> kRankedCategories{
    "getting-started", "daily-use", "customization", "apps", "troubleshooting", "advanced"};

using GuideMap = std::map<std::pair<std::string, std::string>, Guide>;

// Directories directly inside `dir`, following symbolic links; whatever cannot be listed or
// inspected is left out.
std::vector<fs::path> subdirectories(const fs::path& dir) {
  std::vector<fs::path> found;
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return found;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::error_code type_ec;
    if (it->is_directory(type_ec) && !type_ec) found.push_back(it->path());
  }
  return found;
}

void scan_root(const fs::path& root, GuideMap& guides) {
  for (const auto& category_dir : subdirectories(root)) {
    const std::string category_name = to_valid_utf8(category_dir.filename().native());
    for (const auto& guide_dir : subdirectories(category_dir)) {
      // Symptom trees share the content tree but are never guides.
      if (guide_dir.filename() == "_symptoms") continue;
      const fs::path meta_path = guide_dir / "meta.toml";
      const auto text = read_utf8_file(meta_path);
      if (!text) continue;
      auto meta = parse_guide_meta(*text);
      if (!meta) {
        report("{} failed to parse, skipping", meta_path.native());
        continue;
      }
      Guide guide{to_valid_utf8(guide_dir.filename().native()),
                  meta->category.value_or(category_name), std::move(*meta), guide_dir};
      auto key = std::make_pair(guide.category, guide.id);
      guides.insert_or_assign(std::move(key), std::move(guide));
    }
  }
}

}  // namespace

std::expected<GuideMeta, std::string> parse_guide_meta(std::string_view text) {
  return decode_toml<GuideMeta>(text, [](const TomlFields& t) {
    GuideMeta meta;
    meta.title = t.string("title");
    if (const auto difficulty = t.optional_string("difficulty")) {
      const auto* known = std::ranges::find(kDifficulties, *difficulty,
                                            &std::pair<std::string_view, Difficulty>::first);
      if (known == kDifficulties.end()) {
        t.invalid_value("difficulty",
                        std::format("unknown variant `{}`, expected one of `beginner`, "
                                    "`intermediate`, `advanced`",
                                    *difficulty));
      }
      meta.difficulty = known->second;
    }
    meta.tags = t.string_list("tags");
    meta.related = t.string_list("related");
    meta.estimated_minutes = t.optional_u32("estimated_minutes").value_or(0);
    meta.category = t.optional_string("category");
    return meta;
  });
}

int category_rank(std::string_view category) {
  const auto* it = std::ranges::find(kRankedCategories, category);
  return static_cast<int>(it - kRankedCategories.begin());
}

std::vector<Guide> load_guides() { return load_guides(system_content_dir(), user_content_dir()); }

std::vector<Guide> load_guides(const fs::path& system_root, const fs::path& user_root) {
  GuideMap map;
  scan_root(system_root, map);
  scan_root(user_root, map);
  std::vector<Guide> guides;
  guides.reserve(map.size());
  for (auto& [key, guide] : map) guides.push_back(std::move(guide));
  std::ranges::stable_sort(guides, [](const Guide& a, const Guide& b) {
    const int ra = category_rank(a.category), rb = category_rank(b.category);
    if (ra != rb) return ra < rb;
    if (a.category != b.category) return a.category < b.category;
    return a.id < b.id;
  });
  return guides;
}

std::string guide_text(const Guide& guide, bool beginner) {
  if (beginner) {
    if (auto text = read_utf8_file(guide.path / "content.beginner.md")) return std::move(*text);
  }
  if (auto text = read_utf8_file(guide.path / "content.md")) return std::move(*text);
  return {};
}

}  // namespace marlguide::content
