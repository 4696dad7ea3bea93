// The Home page on the compositor: its widgets as built, the quick fixes running stand-in
// programs found first on PATH, the banner, the mode switch and the wizard button.

#include "ui/home_view.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/dropdown.h>
#include <gtkmm/flowbox.h>
#include <gtkmm/listbox.h>
#include <gtkmm/revealer.h>
#include <gtkmm/stringlist.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <vector>

#include "config/state.hpp"
#include "gtk_app.hpp"
#include "harness.hpp"
#include "hyprctl_standin.hpp"
#include "ui/tour/tour.hpp"
#include "ui/window.hpp"
#include "views.hpp"

namespace marlguide::ui {
namespace {

namespace fs = std::filesystem;
using testing::as;
using testing::button;
using testing::children;
using testing::click;
using ::testing::ElementsAre;
using testing::has_accessible_label;
using testing::loop_until;

const std::vector<content::Keybind> kBinds{
    {"super + return", "Open a terminal", "apps", "kitty", "exec,kitty"},
    {"super + 1", "Go to workspace 1", "workspaces", std::nullopt, std::nullopt},
};

class HomeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<Gtk::Window>();
    window_->set_application(testing::test_application());
  }
  void TearDown() override {
    for (auto* w : Gtk::Window::list_toplevels())
      if (w->get_transient_for() == window_.get()) w->destroy();
    window_->destroy();
    testing::drain_main_loop();
  }

  HomeView& build(config::DisplayMode mode = config::DisplayMode::Normal,
                  const std::vector<content::Keybind>& binds = kBinds) {
    view_ = build_home_view(binds, *window_, mode);
    window_->set_child(*view_.root);
    return view_;
  }
  Gtk::Box& page() { return as<Gtk::Box>(testing::scrolled_child(view_.root)); }
  Gtk::Widget& part(std::size_t i) { return *children(page()).at(i); }
  Gtk::DropDown& mode_switch() { return as<Gtk::DropDown>(children(part(0)).at(1)); }
  Gtk::Label& status() { return as<Gtk::Label>(children(part(2)).at(2)); }

  testing::Sandbox sandbox_;
  std::unique_ptr<Gtk::Window> window_;
  HomeView view_;
};

TEST_F(HomeViewTest, PageHoldsItsSectionsInOrder) {
  build();
  auto& root = as<Gtk::ScrolledWindow>(view_.root);
  EXPECT_TRUE(root.get_hexpand());
  EXPECT_TRUE(root.get_vexpand());
  EXPECT_EQ(page().get_orientation(), Gtk::Orientation::VERTICAL);
  EXPECT_EQ(page().get_spacing(), 16);
  EXPECT_TRUE(page().has_css_class("view-content"));

  const auto parts = children(page());
  ASSERT_EQ(parts.size(), 6u);
  EXPECT_EQ(parts[1], view_.suggestion_revealer);
  for (std::size_t i : {3u, 4u}) EXPECT_EQ(parts[i]->get_halign(), Gtk::Align::START);
  EXPECT_EQ(as<Gtk::Button>(parts[3]).get_label(), "Something's wrong?");
  EXPECT_EQ(as<Gtk::Button>(parts[4]).get_label(), "Replay the tour");

  // The Keybinds section, with the bindings it was given.
  EXPECT_EQ(as<Gtk::Label>(children(*parts[5]).at(0)).get_text(), "Keybinds");
  auto& list = as<Gtk::ListBox>(testing::scrolled_child(children(*parts[5]).at(1)));
  EXPECT_NE(list.get_row_at_index(1), nullptr);
  EXPECT_EQ(list.get_row_at_index(2), nullptr);
}

TEST_F(HomeViewTest, HeaderHasTheTitleAndTheModeSwitchOnTheCurrentMode) {
  const struct {
    config::DisplayMode mode;
    unsigned position;
  } cases[] = {{config::DisplayMode::Normal, 0},
               {config::DisplayMode::Beginner, 1},
               {config::DisplayMode::Dad, 2},
               {config::DisplayMode::Compact, 3}};
  for (const auto& c : cases) {
    build(c.mode);
    auto& header = as<Gtk::Box>(&part(0));
    EXPECT_EQ(header.get_orientation(), Gtk::Orientation::HORIZONTAL);
    EXPECT_EQ(header.get_spacing(), 12);
    auto& title = as<Gtk::Label>(children(header).at(0));
    EXPECT_EQ(title.get_text(), "Home");
    EXPECT_TRUE(title.has_css_class("page-title"));
    EXPECT_TRUE(title.get_hexpand());
    EXPECT_EQ(title.get_xalign(), 0.0f);

    auto& modes = mode_switch();
    EXPECT_EQ(modes.get_selected(), c.position);
    auto items = std::dynamic_pointer_cast<Gtk::StringList>(modes.get_model());
    ASSERT_TRUE(items);
    std::vector<std::string> names;
    for (guint i = 0; i < items->get_n_items(); ++i) names.push_back(items->get_string(i));
    EXPECT_THAT(names, ElementsAre("Normal", "Beginner", "Dad", "Compact"));
    EXPECT_EQ(modes.get_tooltip_text(), "Display mode");
    EXPECT_TRUE(has_accessible_label(modes, "Display mode"));
    // Building with a mode does not restyle the window: only a change does.
    EXPECT_FALSE(window_->has_css_class("dad-mode"));
  }
}

TEST_F(HomeViewTest, ChoosingAModeRestylesTheWindowAtOnce) {
  build();
  const struct {
    unsigned position;
    std::vector<std::string> classes;
  } steps[] = {{2, {"dad-mode"}},
               {3, {"compact-mode"}},
               {1, {"beginner-mode"}},
               {0, {}},
               {GTK_INVALID_LIST_POSITION, {}}};
  for (const auto& s : steps) {
    mode_switch().set_selected(s.position);
    std::vector<std::string> classes;
    for (const auto& c : window_->get_css_classes())
      if (c.raw().ends_with("-mode")) classes.push_back(c.raw());
    EXPECT_EQ(classes, s.classes) << s.position;
  }
}

TEST_F(HomeViewTest, BannerStartsHiddenAndDismissHidesItAgain) {
  build();
  auto& revealer = *view_.suggestion_revealer;
  EXPECT_EQ(revealer.get_transition_type(), Gtk::RevealerTransitionType::SLIDE_DOWN);
  EXPECT_FALSE(revealer.get_reveal_child());
  auto& banner = as<Gtk::Box>(revealer.get_child());
  EXPECT_EQ(banner.get_spacing(), 8);
  EXPECT_TRUE(banner.has_css_class("card"));
  EXPECT_EQ(banner.get_margin_top(), 4);
  EXPECT_EQ(banner.get_margin_bottom(), 4);
  const auto parts = children(banner);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0], view_.suggestion_label);
  auto& label = *view_.suggestion_label;
  EXPECT_EQ(label.get_text(), "");
  EXPECT_TRUE(label.get_wrap());
  EXPECT_TRUE(label.get_hexpand());
  auto& dismiss = as<Gtk::Button>(parts[1]);
  EXPECT_EQ(dismiss.get_icon_name(), "window-close-symbolic");
  EXPECT_EQ(dismiss.get_tooltip_text(), "Dismiss");
  EXPECT_TRUE(has_accessible_label(dismiss, "Dismiss"));

  // What a suggestion does, twice over.
  for (int round = 0; round < 2; ++round) {
    label.set_text("New monitor detected");
    revealer.set_reveal_child(true);
    click(dismiss);
    EXPECT_FALSE(revealer.get_reveal_child());
    EXPECT_EQ(label.get_text(), "New monitor detected");
  }
}

TEST_F(HomeViewTest, QuickFixesRunTheirCommandsAndReportInTheStatusLine) {
  build();
  auto& section = as<Gtk::Box>(&part(2));
  EXPECT_EQ(section.get_orientation(), Gtk::Orientation::VERTICAL);
  EXPECT_EQ(section.get_spacing(), 8);
  auto& header = as<Gtk::Label>(children(section).at(0));
  EXPECT_EQ(header.get_text(), "Quick fixes");
  EXPECT_TRUE(header.has_css_class("section-header"));
  EXPECT_EQ(status().get_text(), "");
  EXPECT_TRUE(status().has_css_class("dim-label"));

  const fs::path systemctl = sandbox_.recorder("systemctl");
  const fs::path nmcli = sandbox_.recorder("nmcli");
  const fs::path sleep = sandbox_.recorder("sleep");
  const fs::path update = sandbox_.recorder("mos-update");
  const fs::path snapper = sandbox_.recorder("snapper");
  const struct {
    const char* name;
    std::vector<std::pair<fs::path, std::string>> calls;
  } cases[] = {
      {"Fix sound",
       {{systemctl,
         "<--user><restart><wireplumber><pipewire><pipewire.socket><pipewire-pulse>"
         "<pipewire-pulse.socket>\n"}}},
      {"Reconnect Wi-Fi", {{nmcli, "<radio><wifi><off>\n<radio><wifi><on>\n"}, {sleep, "<1>\n"}}},
      {"Update everything", {{update, "\n"}}},
      {"Create backup",
       {{snapper, "<-c><root><create><--description><marlguide manual backup>\n"}}},
  };
  auto& fixes = as<Gtk::FlowBox>(children(section).at(1));
  std::vector<std::string> labels;
  for (auto* b : testing::find_all<Gtk::Button>(fixes)) labels.push_back(b->get_label());
  EXPECT_THAT(labels,
              ElementsAre("Fix sound", "Reconnect Wi-Fi", "Update everything", "Create backup"));

  for (const auto& c : cases) {
    auto& fix = button(fixes, c.name);
    click(fix);
    EXPECT_EQ(status().get_text(), std::string(c.name) + "…");
    EXPECT_TRUE(loop_until([&] { return status().get_text() == std::string(c.name) + ": done."; }))
        << status().get_text();
    for (const auto& [log, text] : c.calls) EXPECT_EQ(testing::Sandbox::read(log), text) << c.name;
    EXPECT_TRUE(fix.get_sensitive());
  }

  sandbox_.recorder("snapper", 1);
  click(button(fixes, "Create backup"));
  EXPECT_TRUE(
      loop_until([&] { return status().get_text() == "Create backup: something went wrong."; }));
}

TEST_F(HomeViewTest, StatusLineShowsTheFixThatFinishedLast) {
  build();
  const fs::path go = sandbox_.dir() / "go";
  sandbox_.program("systemctl",
                   "while [ ! -e '" + go.string() + "' ]; do command -p sleep 0.02; done");
  sandbox_.recorder("nmcli");
  sandbox_.recorder("sleep");
  click(button(page(), "Fix sound"));
  click(button(page(), "Reconnect Wi-Fi"));
  EXPECT_TRUE(loop_until([&] { return status().get_text() == "Reconnect Wi-Fi: done."; }));
  sandbox_.write("go", "");
  EXPECT_TRUE(loop_until([&] { return status().get_text() == "Fix sound: done."; }));
}

TEST_F(HomeViewTest, FixButtonsWrapOnNarrowPagesAtFourALine) {
  build();
  auto& fixes = as<Gtk::FlowBox>(children(part(2)).at(1));
  EXPECT_EQ(fixes.get_selection_mode(), Gtk::SelectionMode::NONE);
  EXPECT_EQ(fixes.get_max_children_per_line(), 4u);
  EXPECT_EQ(fixes.get_column_spacing(), 8u);
  EXPECT_EQ(fixes.get_row_spacing(), 8u);

  const auto height_at = [&](int width) {
    int minimum = 0, natural = 0, ignored = 0;
    fixes.measure(Gtk::Orientation::VERTICAL, width, minimum, natural, ignored, ignored);
    return minimum;
  };
  int button_height = 0, ignored = 0;
  button(fixes, "Fix sound")
      .measure(Gtk::Orientation::VERTICAL, -1, button_height, ignored, ignored, ignored);
  const int one_line = height_at(1800);
  EXPECT_LT(one_line, 2 * button_height) << "one line when there is room";
  EXPECT_GE(height_at(250), 2 * one_line) << "several lines on a narrow page";
}

TEST_F(HomeViewTest, WizardButtonOpensTheWizardOverTheMainWindow) {
  sandbox_.write("content/troubleshooting/_symptoms/no-sound.toml",
                 "[[node]]\nid = \"start\"\nprompt = \"Muted?\"\n");
  build();
  window_->present();
  click(as<Gtk::Button>(&part(3)));
  Gtk::Window* wizard = nullptr;
  for (auto* w : Gtk::Window::list_toplevels())
    if (w->get_transient_for() == window_.get()) wizard = w;
  ASSERT_NE(wizard, nullptr);
  EXPECT_EQ(wizard->get_title(), "Something's wrong?");
  EXPECT_TRUE(wizard->get_visible());
  EXPECT_THAT(testing::texts(*wizard->get_child()), ElementsAre("What's wrong?", "[No sound]"));
}

TEST_F(HomeViewTest, ReplayTheTourStartsItFromTheFirstStep) {
  testing::HyprctlStandin standin(sandbox_.dir());
  standin.install();
  fs::create_directories(sandbox_.system_content() / "tours");
  fs::copy_file(testing::source_root() / "content/tours/onboarding.toml",
                sandbox_.system_content() / "tours/onboarding.toml");
  sandbox_.write(sandbox_.state_file().lexically_relative(sandbox_.dir()),
                 "# mine\n[general]\nmode = \"dad\"\n\n[onboarding]\ncompleted = true\nstep = 4\n");
  build();
  click(as<Gtk::Button>(&part(4)));

  const auto state = config::load_state();
  EXPECT_FALSE(config::onboarding_completed(state));
  EXPECT_EQ(config::onboarding_step(state), 0);
  EXPECT_EQ(config::mode(state), config::DisplayMode::Dad) << "the rest of the file stays";
  EXPECT_TRUE(testing::Sandbox::read(sandbox_.state_file()).starts_with("# mine\n"));

  // The tour's card shows the first step.
  const auto first_step_shown = [] {
    for (auto* w : Gtk::Window::list_toplevels()) {
      if (!w->has_css_class("tour-window") || !w->get_visible()) continue;
      for (auto* label : testing::find_all<Gtk::Label>(*w))
        if (label->get_text() == "Welcome to MOS") return true;
    }
    return false;
  };
  EXPECT_TRUE(loop_until(first_step_shown));
  EXPECT_FALSE(window_->get_visible()) << "the main window is left as it was";
  tour::shutdown_tour();
  testing::drain_main_loop();
}

TEST_F(HomeViewTest, NoBindingsShowTheNote) {
  build(config::DisplayMode::Normal, {});
  EXPECT_THAT(testing::texts(part(5)),
              ElementsAre("Keybinds", "No binds.json found at ~/.config/hypr/binds.json"));
}

// Through the real main window: the chosen mode is written to the state file at once and is
// the one a new window starts with.
TEST(HomePageInTheMainWindow, ChosenModeIsRememberedForTheNextStart) {
  testing::Sandbox sandbox;
  const auto home_mode_switch = [](MainWindow& main) -> Gtk::DropDown& {
    auto& page = as<Gtk::Box>(testing::scrolled_child(main.home_page));
    return as<Gtk::DropDown>(children(*children(page).at(0)).at(1));
  };

  MainWindow first = build_main_window(testing::test_application());
  EXPECT_EQ(home_mode_switch(first).get_selected(), 0u) << "no state file: Normal";
  EXPECT_FALSE(fs::exists(sandbox.state_file())) << "showing the mode writes nothing";
  home_mode_switch(first).set_selected(2);
  EXPECT_TRUE(first.window->has_css_class("dad-mode"));
  EXPECT_EQ(config::mode(config::load_state()), config::DisplayMode::Dad);
  first.window->destroy();
  testing::drain_main_loop();

  MainWindow second = build_main_window(testing::test_application());
  EXPECT_EQ(home_mode_switch(second).get_selected(), 2u);
  EXPECT_TRUE(second.window->has_css_class("dad-mode"));
  second.window->destroy();
  testing::drain_main_loop();
}

}  // namespace
}  // namespace marlguide::ui
