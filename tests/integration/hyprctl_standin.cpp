#include "hyprctl_standin.hpp"

#include <cstdlib>
#include <fstream>
#include <optional>

#include "harness.hpp"

namespace marlguide::testing {

HyprctlStandin::HyprctlStandin(std::filesystem::path dir) : dir_(std::move(dir)) {}

HyprctlStandin::~HyprctlStandin() {
  for (const auto& [name, value] : saved_) {
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
}

std::filesystem::path HyprctlStandin::directory() {
  return source_root() / "tools" / "hyprctl-standin";
}

std::map<std::string, std::string> HyprctlStandin::env() const {
  const char* path = std::getenv("PATH");
  return {
      {"PATH", directory().string() + ":" + (path ? path : "/usr/bin:/bin")},
      {"HYPRCTL_STANDIN_LOG", log().string()},
      {"HYPRCTL_STANDIN_LAYERS", layers_file().string()},
  };
}

void HyprctlStandin::install() {
  for (const auto& [name, value] : env()) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
  }
}

void HyprctlStandin::declare_layers(const nlohmann::json& layers) const {
  declare_layers_text(layers.dump(4));
}

void HyprctlStandin::declare_layers_text(const std::string& text) const {
  // Replaced in one step, so that a query running meanwhile never reads half a file.
  const auto tmp = layers_file().string() + ".tmp";
  std::ofstream(tmp) << text;
  std::filesystem::rename(tmp, layers_file());
}

std::vector<std::vector<std::string>> HyprctlStandin::calls() const {
  std::vector<std::vector<std::string>> out;
  std::ifstream in(log());
  for (std::string line; std::getline(in, line);)
    out.push_back(nlohmann::json::parse(line).get<std::vector<std::string>>());
  return out;
}

}  // namespace marlguide::testing
