#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The onboarding tour's steps, read from "tours/onboarding.toml".
namespace marlguide::content {

struct Step {
  std::string id;
  std::string title;
  std::string body;  // guide text dialect
  std::optional<std::string> target_namespace;
  std::optional<std::string> target_window_class;
  std::optional<std::string> launch;
  std::optional<std::string> success_event;
  std::optional<std::uint64_t> success_timeout_seconds;
  std::optional<std::string> rebind_combo;

  bool operator==(const Step&) const = default;
};

// Parses the text of a tour file into its steps.
std::expected<std::vector<Step>, std::string> parse_tour(std::string_view text);

// The tour file to read: the user's when anything at all exists at its path (even a
// directory, which then reads as no tour), else the system one.
std::filesystem::path tour_file(const std::filesystem::path& system_root,
                                const std::filesystem::path& user_root);

// The steps of the chosen file; empty when it cannot be read, or does not parse (reported).
std::vector<Step> load_onboarding_tour();
std::vector<Step> load_tour(const std::filesystem::path& file);

}  // namespace marlguide::content
