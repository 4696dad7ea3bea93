// The Ask page on the compositor: typing into the real entry, reading the result rows back,
// activating them, and the detail pane for each kind of result.

#include "ui/ask_view.hpp"

#include <giomm/subprocess.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/listbox.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/stack.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <vector>

#include "content/guides.hpp"
#include "gtk_app.hpp"
#include "ui/window.hpp"
#include "views.hpp"

namespace marlguide::ui {
namespace {

namespace fs = std::filesystem;
using testing::as;
using testing::children;
using testing::click;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::loop_until;

const content::Keybind kTerminal{"super + return", "Open a terminal", "apps", "kitty",
                                 "exec,kitty"};

class AskViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    guide("daily-use", "wifi", "Getting online", "tags = [\"WiFi\", \"network\"]", "Full text",
          "Simple text");
    guide("apps", "notes", "Notes", "", "Notes text");
  }
  void TearDown() override {
    if (window_) window_->destroy();
    testing::drain_main_loop();
  }

  void guide(const std::string& category, const std::string& id, const std::string& title,
             const std::string& meta, const std::string& text, const std::string& simple = "") {
    const fs::path dir = fs::path("content") / category / id;
    sandbox_.write(dir / "meta.toml", "title = \"" + title + "\"\n" + meta + "\n");
    sandbox_.write(dir / "content.md", text);
    if (!simple.empty()) sandbox_.write(dir / "content.beginner.md", simple);
  }

  Gtk::Paned& build(config::DisplayMode mode = config::DisplayMode::Normal,
                    std::vector<content::Keybind> binds = {kTerminal}) {
    auto guides = std::make_shared<const std::vector<content::Guide>>(content::load_guides());
    paned_ = ask_view(guides, std::make_shared<const std::vector<content::Keybind>>(binds), mode);
    window_ = std::make_unique<Gtk::Window>();
    window_->set_application(testing::test_application());
    window_->set_child(*paned_);
    return *paned_;
  }

  Gtk::Box& search() { return as<Gtk::Box>(paned_->get_start_child()); }
  Gtk::Entry& entry() { return as<Gtk::Entry>(children(search()).at(0)); }
  Gtk::ListBox& results() {
    return as<Gtk::ListBox>(testing::scrolled_child(children(search()).at(1)));
  }
  Gtk::Box& detail() { return as<Gtk::Box>(testing::scrolled_child(paned_->get_end_child())); }

  std::vector<std::string> rows() {
    std::vector<std::string> out;
    for (int i = 0; auto* row = results().get_row_at_index(i); ++i)
      out.push_back(as<Gtk::Label>(row->get_child()).get_text());
    return out;
  }
  std::vector<std::string> row_names() {
    std::vector<std::string> out;
    for (int i = 0; auto* row = results().get_row_at_index(i); ++i) out.push_back(row->get_name());
    return out;
  }
  // Types the text the way a user does: the entry's text changes, "changed" fires.
  void type(const std::string& text) { entry().set_text(text); }
  void activate(int row) { click(*results().get_row_at_index(row)); }

  testing::Sandbox sandbox_;
  std::unique_ptr<Gtk::Window> window_;
  Gtk::Paned* paned_ = nullptr;
};

TEST_F(AskViewTest, LayoutOfTheSearchAndTheDetailPane) {
  auto& paned = build();
  EXPECT_EQ(paned.get_orientation(), Gtk::Orientation::HORIZONTAL);
  EXPECT_EQ(paned.get_position(), 320);
  EXPECT_FALSE(paned.get_shrink_start_child());
  EXPECT_FALSE(paned.get_resize_start_child());
  EXPECT_EQ(search().get_orientation(), Gtk::Orientation::VERTICAL);
  EXPECT_EQ(search().get_spacing(), 8);
  EXPECT_TRUE(search().has_css_class("view-content"));
  EXPECT_EQ(entry().get_placeholder_text(), "Search guides, keybinds, commands\u2026");
  EXPECT_TRUE(children(search()).at(1)->get_vexpand());
  EXPECT_EQ(results().get_selection_mode(), Gtk::SelectionMode::NONE);
  EXPECT_TRUE(results().get_activate_on_single_click());
  EXPECT_TRUE(results().has_css_class("boxed-list"));
  EXPECT_TRUE(paned.get_end_child()->get_vexpand());
  EXPECT_TRUE(paned.get_end_child()->get_hexpand());
  EXPECT_EQ(detail().get_spacing(), 10);
  EXPECT_TRUE(detail().has_css_class("view-content"));
  EXPECT_TRUE(children(detail()).empty());
}

TEST_F(AskViewTest, ListStartsWithEverythingInIndexOrder) {
  build();
  // Guides by category rank (daily-use before apps), then bindings, then the commands.
  EXPECT_THAT(rows(),
              ElementsAre("Getting online", "Notes", "super + return \u2014 Open a terminal",
                          "mos-update", "mos-settings", "marllaunch", "marljot", "marltask",
                          "marlwall", "marlpaste", "marlnet"));
  EXPECT_THAT(row_names(), ElementsAre("0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"));
  auto& label = as<Gtk::Label>(results().get_row_at_index(0)->get_child());
  EXPECT_EQ(label.get_xalign(), 0.0f);
  EXPECT_TRUE(label.get_wrap());
  EXPECT_EQ((std::vector{label.get_margin_top(), label.get_margin_bottom(),
                         label.get_margin_start(), label.get_margin_end()}),
            (std::vector{6, 6, 8, 8}));
}

TEST_F(AskViewTest, TypingFiltersAndRowsKeepTheirIndexPositions) {
  build();
  const struct {
    const char* query;
    std::vector<std::string> rows, names;
  } cases[] = {
      {"WIFI", {"Getting online"}, {"0"}},
      {"wi-fi", {"marlnet"}, {"10"}},
      {"super + r", {"super + return \u2014 Open a terminal"}, {"2"}},
      {"super+r", {}, {}},
      {"notes ", {"Notes"}, {"1"}},
      {"terminal ", {}, {}},
      {"open",
       {"super + return \u2014 Open a terminal", "mos-settings", "marllaunch", "marljot",
        "marltask", "marlwall", "marlpaste"},
       {"2", "4", "5", "6", "7", "8", "9"}},
  };
  for (const auto& c : cases) {
    type(c.query);
    EXPECT_EQ(rows(), c.rows) << c.query;
    EXPECT_EQ(row_names(), c.names) << c.query;
  }
  type("");
  EXPECT_EQ(rows().size(), 11u);
}

TEST_F(AskViewTest, NoMoreThanFortyRows) {
  build(config::DisplayMode::Normal, std::vector<content::Keybind>(45, kTerminal));
  EXPECT_EQ(rows().size(), 40u);
  EXPECT_EQ(row_names().back(), "39");
  type("mos-");
  EXPECT_THAT(row_names(), ElementsAre("47", "48"));
}

TEST_F(AskViewTest, GuideResultShowsTheGuideWithTheModesText) {
  const struct {
    config::DisplayMode mode;
    const char* text;
  } cases[] = {{config::DisplayMode::Normal, "Full text"},
               {config::DisplayMode::Dad, "Simple text"},
               {config::DisplayMode::Beginner, "Simple text"}};
  for (const auto& c : cases) {
    build(c.mode);
    type("wifi");
    activate(0);
    const auto shown = children(detail());
    ASSERT_EQ(shown.size(), 1u);
    auto& page = as<Gtk::Box>(testing::scrolled_child(shown[0]));
    const auto labels = testing::find_all<Gtk::Label>(page);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[0]->get_text(), "Getting online");
    EXPECT_EQ(labels.back()->get_text(), c.text);
    window_->destroy();
    window_.reset();
  }
}

TEST_F(AskViewTest, BindingResultShowsTheBindingsRow) {
  build();
  type("terminal");
  activate(0);
  const auto shown = children(detail());
  ASSERT_EQ(shown.size(), 1u);
  auto& list = as<Gtk::ListBox>(shown[0]);
  EXPECT_EQ(list.get_selection_mode(), Gtk::SelectionMode::NONE);
  EXPECT_TRUE(list.has_css_class("boxed-list"));
  ASSERT_EQ(list.get_row_at_index(1), nullptr);
  const auto parts = children(*list.get_row_at_index(0)->get_child());
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(as<Gtk::Label>(parts[0]).get_text(), "super + return");
  EXPECT_TRUE(parts[0]->has_css_class("keybind-chip"));
  EXPECT_EQ(as<Gtk::Label>(parts[1]).get_text(), "Open a terminal");
  EXPECT_EQ(as<Gtk::Button>(parts[2]).get_label(), "Try it");
  EXPECT_EQ(as<Gtk::MenuButton>(parts[3]).get_tooltip_text(), "Temporary rebind");
}

TEST_F(AskViewTest, CommandResultRunsTheCommandAndLeavesThePane) {
  const fs::path log = sandbox_.recorder("mos-update");
  build();
  type("mos-update");
  activate(0);
  EXPECT_THAT(testing::texts(detail()),
              ElementsAre("mos-update",
                          "Update both the system (pacman) and the marl ecosystem (marlsync) in "
                          "one go.",
                          "[Run]"));
  const auto shown = children(detail());
  EXPECT_TRUE(shown[0]->has_css_class("page-title"));
  EXPECT_TRUE(as<Gtk::Label>(shown[1]).get_wrap());
  EXPECT_EQ(shown[2]->get_halign(), Gtk::Align::START);
  click(*shown[2]);
  EXPECT_TRUE(loop_until([&] { return testing::Sandbox::read(log) == "\n"; }));
  EXPECT_EQ(children(detail()), shown);
}

TEST_F(AskViewTest, PaneChangesOnlyOnActivation) {
  build();
  type("notes");
  activate(0);
  const auto shown = children(detail());
  ASSERT_EQ(shown.size(), 1u);
  type("nothing matches this");
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(children(detail()), shown);

  // A row that names no item of the index is ignored.
  for (const char* name : {"11", "x", "-1"}) {
    auto* stray = Gtk::make_managed<Gtk::ListBoxRow>();
    stray->set_name(name);
    stray->set_child(*Gtk::make_managed<Gtk::Label>("stray"));
    results().append(*stray);
    click(*stray);
    EXPECT_EQ(children(detail()), shown) << name;
    results().remove(*stray);
  }

  // Activating again builds the pane anew.
  type("notes");
  activate(0);
  ASSERT_EQ(children(detail()).size(), 1u);
  EXPECT_NE(children(detail()), shown);
}

TEST_F(AskViewTest, EnterInTheEntryActivatesTheFirstResult) {
  build();
  // What the entry does when Enter is pressed in it.
  const auto enter = [&] { g_signal_emit_by_name(entry().gobj(), "activate"); };
  type("launch");
  enter();
  EXPECT_EQ(testing::texts(detail()).at(0), "marllaunch");
  type("nothing matches this");
  enter();
  EXPECT_EQ(testing::texts(detail()).at(0), "marllaunch");
}

// In the real window: showing the Ask page puts the keyboard focus into the search, and the
// keys a user types there filter the list and Enter opens the first result.
TEST(AskPageInTheMainWindow, TypingIntoTheShownPageSearchesAndEnterOpens) {
  testing::Sandbox sandbox;
  MainWindow main = build_main_window(testing::test_application());
  main.window->present();
  auto& paned = as<Gtk::Paned>(main.stack->get_child_by_name("ask"));
  auto& entry = as<Gtk::Entry>(children(*paned.get_start_child()).at(0));
  auto& detail = as<Gtk::Box>(testing::scrolled_child(paned.get_end_child()));
  // The window's focus widget, whether or not the seat has a keyboard yet.
  const auto search_focused = [&] {
    Gtk::Widget* focus = main.window->get_focus();
    return focus && (focus == &entry || focus->is_ancestor(entry));
  };
  ASSERT_TRUE(loop_until([&] { return main.window->get_mapped(); }));
  EXPECT_FALSE(search_focused());
  main.stack->set_visible_child("ask");
  EXPECT_TRUE(loop_until(search_focused));

  // Real key presses on a virtual keyboard; the main loop keeps running meanwhile.
  auto typing = Gio::Subprocess::create({"wtype", "-s", "1000", "marlj", "-k", "Return"});
  bool typed = false;
  typing->wait_async([&](Glib::RefPtr<Gio::AsyncResult>&) { typed = true; });
  EXPECT_TRUE(loop_until([&] { return typed; }));
  EXPECT_TRUE(loop_until([&] { return !children(detail).empty(); }));
  EXPECT_EQ(entry.get_text(), "marlj");
  EXPECT_THAT(testing::texts(detail), ElementsAre("marljot", "Open notes/reminders.", "[Run]"));
  main.window->destroy();
  testing::drain_main_loop();
}

}  // namespace
}  // namespace marlguide::ui
