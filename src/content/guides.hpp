#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The guide library: short articles, one directory each, under the system and user content
// roots.
namespace marlguide::content {

enum class Difficulty : std::uint8_t { Beginner, Intermediate, Advanced };

// One "meta.toml".
struct GuideMeta {
  std::string title;
  Difficulty difficulty = Difficulty::Beginner;
  std::vector<std::string> tags;
  std::vector<std::string> related;
  std::uint32_t estimated_minutes = 0;
  std::optional<std::string> category;

  bool operator==(const GuideMeta&) const = default;
};

struct Guide {
  std::string id;        // the guide directory's name
  std::string category;  // the meta's `category`, else the category directory's name
  GuideMeta meta;
  std::filesystem::path path;  // the guide directory
};

// Parses the text of a "meta.toml".
std::expected<GuideMeta, std::string> parse_guide_meta(std::string_view text);

// Position of a category in the sidebar: the six known categories first, then all others.
int category_rank(std::string_view category);

// Every guide of both roots: a user guide replaces the system guide with the same category
// and id. Ordered by category rank, then category, then id (byte-wise). A "meta.toml" that
// does not parse is reported and its guide skipped; everything else that cannot be read is
// skipped silently.
std::vector<Guide> load_guides();
std::vector<Guide> load_guides(const std::filesystem::path& system_root,
                               const std::filesystem::path& user_root);

// The guide's text: "content.beginner.md" when `beginner` is set and it can be read, else
// "content.md", else the empty text.
std::string guide_text(const Guide& guide, bool beginner);

}  // namespace marlguide::content
