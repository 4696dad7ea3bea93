// The display mode travels through the state file: read when the window is built, stored when
// the user picks another one in the Home page's drop-down.

#include <gtest/gtest.h>
#include <gtkmm/dropdown.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gtk_app.hpp"
#include "test_files.hpp"
#include "ui/window.hpp"

namespace marlguide::ui {
namespace {

namespace fs = std::filesystem;
using marlguide::testing::read_file;

Gtk::DropDown* find_drop_down(Gtk::Widget& root) {
  if (auto* d = dynamic_cast<Gtk::DropDown*>(&root)) return d;
  for (auto* child = root.get_first_child(); child; child = child->get_next_sibling())
    if (auto* d = find_drop_down(*child)) return d;
  return nullptr;
}

class ModeFromState : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/marlguide-mode.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    old_config_ = std::getenv("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    for (auto& w : windows_) w.window->destroy();
    testing::drain_main_loop();
    setenv("XDG_CONFIG_HOME", old_config_.c_str(), 1);
    fs::remove_all(dir_);
  }

  MainWindow& build() {
    windows_.push_back(build_main_window(testing::test_application()));
    return windows_.back();
  }
  Gtk::DropDown& mode_switch(MainWindow& main) {
    auto* d = find_drop_down(*main.home_page);
    if (d == nullptr) throw std::runtime_error("the Home page has no drop-down");
    return *d;
  }
  fs::path state() const { return dir_ / "marlguide" / "state.toml"; }
  void write_state(std::string_view text) {
    fs::create_directories(state().parent_path());
    std::ofstream(state(), std::ios::binary) << text;
  }

  fs::path dir_;
  std::string old_config_;
  std::vector<MainWindow> windows_;
};

TEST_F(ModeFromState, NoStateFileMeansNormal) {
  ::testing::internal::CaptureStderr();
  auto& main = build();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "")
      << "the theme and the application stylesheet parse cleanly; a missing file is no news";
  for (const char* cls : {"beginner-mode", "dad-mode", "compact-mode"})
    EXPECT_FALSE(main.window->has_css_class(cls)) << cls;
  EXPECT_EQ(mode_switch(main).get_selected(), 0u);
  EXPECT_FALSE(fs::exists(state())) << "building reads, never writes";
}

TEST_F(ModeFromState, AStoredModeSetsTheClassAndPreselectsIt) {
  write_state("# mine\n[general]\nmode = \"dad\"\n");
  auto& main = build();
  EXPECT_TRUE(main.window->has_css_class("dad-mode"));
  EXPECT_EQ(mode_switch(main).get_selected(), 2u);
}

TEST_F(ModeFromState, ChoosingAModeStoresItAndTheNextWindowStartsWithIt) {
  auto& first = build();
  mode_switch(first).set_selected(2);
  EXPECT_TRUE(first.window->has_css_class("dad-mode"));
  EXPECT_EQ(read_file(state()), "general = { mode = \"dad\" }\n");

  auto& second = build();
  EXPECT_TRUE(second.window->has_css_class("dad-mode"));
  EXPECT_EQ(mode_switch(second).get_selected(), 2u);

  mode_switch(second).set_selected(3);
  EXPECT_EQ(read_file(state()), "general = { mode = \"compact\" }\n");
}

TEST_F(ModeFromState, AHandWrittenFileKeepsEverythingButTheMode) {
  write_state("# mine\n[general]\nmode = 'dad'   # for grandpa\nfont = 3\n\n[onboarding]\n");
  auto& main = build();
  mode_switch(main).set_selected(0);
  EXPECT_EQ(read_file(state()),
            "# mine\n[general]\nmode = \"normal\"   # for grandpa\nfont = 3\n\n[onboarding]\n");
  EXPECT_FALSE(main.window->has_css_class("dad-mode"));
}

}  // namespace
}  // namespace marlguide::ui
