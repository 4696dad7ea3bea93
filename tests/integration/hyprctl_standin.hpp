#pragma once

// The stand-in hyprctl (tools/hyprctl-standin) for tests: where it is, the environment that
// puts it first on PATH, the layer surfaces a test declares, and the calls it recorded.

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace marlguide::testing {

class HyprctlStandin {
 public:
  // The log and the layers file live in `dir`, which must exist.
  explicit HyprctlStandin(std::filesystem::path dir);

  // PATH with the stand-in first, HYPRCTL_STANDIN_LOG and HYPRCTL_STANDIN_LAYERS: merge into
  // AppTest::env_ for the real binary.
  std::map<std::string, std::string> env() const;
  // Sets the same variables on this process (for in-process tests); the destructor puts the
  // previous values back.
  void install();
  ~HyprctlStandin();
  HyprctlStandin(const HyprctlStandin&) = delete;
  HyprctlStandin& operator=(const HyprctlStandin&) = delete;

  // What `hyprctl -j layers` prints from now on (read at every call).
  void declare_layers(const nlohmann::json& layers) const;
  void declare_layers_text(const std::string& text) const;

  // Every call so far, each as its argument list, oldest first.
  std::vector<std::vector<std::string>> calls() const;

  std::filesystem::path log() const { return dir_ / "hyprctl.log"; }
  std::filesystem::path layers_file() const { return dir_ / "hyprctl-layers.json"; }
  static std::filesystem::path directory();

 private:
  std::filesystem::path dir_;
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace marlguide::testing
