// The key binding list and its temporary rebind, on the compositor: rows as built, "Try it"
// starting the demonstration, and "Apply temporarily" calling the stand-in hyprctl, whose
// binding then answers a real key press.

#include "ui/keybind_viewer.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/image.h>
#include <gtkmm/listbox.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/popover.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gtk_app.hpp"
#include "harness.hpp"
#include "hyprctl_standin.hpp"
#include "services/captured_run.hpp"
#include "views.hpp"

namespace marlguide::ui {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::as;
using testing::children;
using testing::click;
using ::testing::ElementsAre;
using testing::find_all;
using testing::has_accessible_label;
using testing::loop_until;

using Calls = std::vector<std::vector<std::string>>;

const content::Keybind kBrowser{"super + b", "Open the web browser", "apps", "firefox",
                                "exec,firefox"};
const content::Keybind kWorkspace{"super + 1", "Go to workspace 1", "workspaces", std::nullopt,
                                  std::nullopt};
const content::Keybind kLock{"super + l", "Lock the screen", "system", std::nullopt,
                             "exec,hyprlock"};

class KeybindViewerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window_) {
      window_->destroy();
      window_.reset();
    }
    testing::drain_main_loop();
  }

  // Shows `widget` in a window of its own, as the Home page would; a row goes into a list.
  void show(Gtk::Widget& widget) {
    window_ = std::make_unique<Gtk::Window>();
    window_->set_application(testing::test_application());
    window_->set_default_size(800, 500);
    window_->set_title("keybind viewer test");
    if (auto* row = dynamic_cast<Gtk::ListBoxRow*>(&widget)) {
      auto* list = Gtk::make_managed<Gtk::ListBox>();
      list->append(*row);
      window_->set_child(*list);
    } else {
      window_->set_child(widget);
    }
    window_->present();
    ASSERT_TRUE(loop_until([&] { return widget.get_mapped(); }));
    // A popover opened before the compositor shows its parent never gets its own place on
    // screen, and GTK waits for it forever.
    ASSERT_TRUE(loop_until([] {
      for (const auto& w : testing::sway_windows())
        if (w.title == "keybind viewer test" && w.visible) return true;
      return false;
    }));
  }

  // The children of a row's box: chip, description, then the optional buttons.
  static std::vector<Gtk::Widget*> row_parts(Gtk::ListBoxRow& row) {
    return children(*row.get_child());
  }

  testing::Sandbox sandbox_;
  std::unique_ptr<Gtk::Window> window_;
};

TEST_F(KeybindViewerTest, EmptyListShowsOnlyTheTitleAndTheNote) {
  Gtk::Widget* section = keybinds_section({});
  show(*section);
  auto& box = as<Gtk::Box>(section);
  EXPECT_EQ(box.get_orientation(), Gtk::Orientation::VERTICAL);
  EXPECT_EQ(box.get_spacing(), 6);
  EXPECT_THAT(testing::texts(box),
              ElementsAre("Keybinds", "No binds.json found at ~/.config/hypr/binds.json"));
  const auto parts = children(box);
  EXPECT_TRUE(parts[0]->has_css_class("page-title"));
  EXPECT_EQ(as<Gtk::Label>(parts[0]).get_xalign(), 0.0f);
  EXPECT_TRUE(parts[1]->has_css_class("dim-label"));
}

TEST_F(KeybindViewerTest, SectionListsOneRowPerBindingInOrder) {
  Gtk::Widget* section = keybinds_section({kBrowser, kWorkspace, kLock});
  show(*section);
  const auto parts = children(*section);
  ASSERT_EQ(parts.size(), 2u);
  auto& scrolled = as<Gtk::ScrolledWindow>(parts[1]);
  EXPECT_EQ(scrolled.get_min_content_height(), 320);
  EXPECT_TRUE(scrolled.get_vexpand());
  auto& list = as<Gtk::ListBox>(testing::scrolled_child(&scrolled));
  EXPECT_EQ(list.get_selection_mode(), Gtk::SelectionMode::NONE);
  EXPECT_TRUE(list.has_css_class("boxed-list"));
  std::vector<std::string> combos;
  for (int i = 0; auto* row = list.get_row_at_index(i); ++i)
    combos.push_back(as<Gtk::Label>(row_parts(*row).at(0)).get_text());
  EXPECT_THAT(combos, ElementsAre("super + b", "super + 1", "super + l"));
}

TEST_F(KeybindViewerTest, RowsOfferTryItAndRebindOnlyWhereTheBindingHasThem) {
  const struct {
    content::Keybind bind;
    bool try_it, rebind;
  } cases[] = {
      {kBrowser, true, true},
      {kWorkspace, false, false},
      {kLock, false, true},
      {{"super + v", "Paste", "apps", "marlpaste", std::nullopt}, true, false},
  };
  for (const auto& c : cases) {
    Gtk::ListBoxRow* row = keybind_row(c.bind);
    g_object_ref_sink(row->gobj());
    EXPECT_FALSE(row->get_selectable());
    auto& box = as<Gtk::Box>(row->get_child());
    EXPECT_EQ(box.get_orientation(), Gtk::Orientation::HORIZONTAL);
    EXPECT_EQ(box.get_spacing(), 12);
    EXPECT_EQ((std::vector{box.get_margin_top(), box.get_margin_bottom(), box.get_margin_start(),
                           box.get_margin_end()}),
              (std::vector{6, 6, 8, 8}));

    const auto parts = row_parts(*row);
    ASSERT_EQ(parts.size(), 2u + c.try_it + c.rebind) << c.bind.combo;
    auto& chip = as<Gtk::Label>(parts[0]);
    EXPECT_EQ(chip.get_text(), c.bind.combo);
    EXPECT_TRUE(chip.has_css_class("keybind-chip"));
    EXPECT_EQ(chip.get_width_chars(), 20);
    EXPECT_EQ(chip.get_xalign(), 0.0f);
    auto& description = as<Gtk::Label>(parts[1]);
    EXPECT_EQ(description.get_text(), c.bind.description);
    EXPECT_TRUE(description.get_hexpand());
    EXPECT_TRUE(description.get_wrap());
    EXPECT_EQ(description.get_xalign(), 0.0f);
    if (c.try_it) {
      EXPECT_EQ(as<Gtk::Button>(parts[2]).get_label(), "Try it");
    }
    if (c.rebind) {
      auto& edit = as<Gtk::MenuButton>(parts.back());
      EXPECT_EQ(edit.get_icon_name(), "document-edit-symbolic");
      EXPECT_EQ(edit.get_tooltip_text(), "Temporary rebind");
      EXPECT_TRUE(has_accessible_label(edit, "Temporary rebind"));
      auto& popover_box = as<Gtk::Box>(edit.get_popover()->get_child());
      EXPECT_EQ(popover_box.get_orientation(), Gtk::Orientation::VERTICAL);
      EXPECT_EQ(popover_box.get_spacing(), 8);
      EXPECT_EQ((std::vector{popover_box.get_margin_top(), popover_box.get_margin_bottom(),
                             popover_box.get_margin_start(), popover_box.get_margin_end()}),
                (std::vector{10, 10, 10, 10}));
      const auto inside = children(popover_box);
      ASSERT_EQ(inside.size(), 3u);
      auto& note = as<Gtk::Label>(inside[0]);
      EXPECT_EQ(note.get_text(),
                "Temporary — resets on reload/login.\nEdit hyprland.lua for a permanent change.");
      EXPECT_TRUE(note.has_css_class("dim-label"));
      EXPECT_TRUE(note.get_wrap());
      EXPECT_EQ(as<Gtk::Entry>(inside[1]).get_placeholder_text(), "e.g. super + shift + u");
      auto& apply = as<Gtk::Button>(inside[2]);
      EXPECT_EQ(apply.get_label(), "Apply temporarily");
      EXPECT_TRUE(apply.has_css_class("suggested-action"));
    }
    g_object_unref(row->gobj());
  }
}

TEST_F(KeybindViewerTest, TryItStartsTheDemonstrationEveryClick) {
  const fs::path log = sandbox_.recorder("firefox");
  Gtk::ListBoxRow* row = keybind_row(kBrowser);
  show(*row);
  auto& try_it = as<Gtk::Button>(row_parts(*row).at(2));
  click(try_it);
  EXPECT_TRUE(loop_until([&] { return testing::Sandbox::read(log) == "\n"; }));
  click(try_it);
  EXPECT_TRUE(loop_until([&] { return testing::Sandbox::read(log) == "\n\n"; }));
}

// The rebind popover of a row shown in a window, open.
class RebindTest : public KeybindViewerTest {
 protected:
  void SetUp() override {
    standin_ = std::make_unique<testing::HyprctlStandin>(sandbox_.dir());
    standin_->install();
  }
  void TearDown() override {
    KeybindViewerTest::TearDown();
    standin_.reset();
  }

  void open_popover(const content::Keybind& bind) {
    Gtk::ListBoxRow* row = keybind_row(bind);
    show(*row);
    edit_ = &as<Gtk::MenuButton>(row_parts(*row).back());
    edit_->popup();
    ASSERT_TRUE(loop_until([&] { return popover().get_mapped(); }));
    const auto inside = children(*popover().get_child());
    entry_ = &as<Gtk::Entry>(inside.at(1));
    apply_ = &as<Gtk::Button>(inside.at(2));
  }
  Gtk::Popover& popover() { return *edit_->get_popover(); }

  // Types the text into the entry and clicks "Apply temporarily".
  void apply(const std::string& text) {
    entry_->set_text(text);
    click(*apply_);
  }

  // Every hyprctl call, once `count` of them have arrived and no more follow for a moment.
  Calls calls_after(std::size_t count) {
    EXPECT_TRUE(loop_until([&] { return standin_->calls().size() >= count; }));
    loop_until([] { return false; }, 300ms);
    return standin_->calls();
  }

  std::unique_ptr<testing::HyprctlStandin> standin_;
  Gtk::MenuButton* edit_ = nullptr;
  Gtk::Entry* entry_ = nullptr;
  Gtk::Button* apply_ = nullptr;
};

TEST_F(RebindTest, AppliesTheTypedKeysToTheRowsDispatcherAndCloses) {
  open_popover(kBrowser);
  apply("super+shift+u");
  EXPECT_EQ(calls_after(1), (Calls{{"keyword", "bind", "SUPER_SHIFT,U,exec,firefox"}}));
  EXPECT_TRUE(loop_until([&] { return !popover().get_visible(); }));
  EXPECT_EQ(entry_->get_text(), "super+shift+u");

  // Each apply is one more binding call, even with the same text.
  edit_->popup();
  click(*apply_);
  EXPECT_EQ(calls_after(2), (Calls{{"keyword", "bind", "SUPER_SHIFT,U,exec,firefox"},
                                   {"keyword", "bind", "SUPER_SHIFT,U,exec,firefox"}}));
}

TEST_F(RebindTest, TextWithoutAKeyDoesNothingAndKeepsThePopoverOpen) {
  open_popover(kBrowser);
  for (const char* text : {"", "   ", "+", " + + "}) {
    apply(text);
    EXPECT_TRUE(popover().get_visible()) << '"' << text << '"';
  }
  // Only the call made afterwards arrives.
  apply("super + b");
  EXPECT_EQ(calls_after(1), (Calls{{"keyword", "bind", "SUPER,B,exec,firefox"}}));
}

TEST_F(RebindTest, SingleKeyBindingAnswersThatKey) {
  const fs::path pressed = sandbox_.dir() / "pressed";
  open_popover(
      {"super + f", "Make a mark", "apps", std::nullopt, "exec,touch '" + pressed.string() + "'"});
  apply("F1");
  const std::string binding = ",F1,exec,touch '" + pressed.string() + "'";
  EXPECT_EQ(calls_after(1), (Calls{{"keyword", "bind", binding}}));

  // The compositor took it: pressing F1 alone runs the command.
  EXPECT_TRUE(loop_until(
      [&] {
        services::run_captured("wtype", {"-k", "F1"}, 3000ms);
        return loop_until([&] { return fs::exists(pressed); }, 300ms);
      },
      15s));
}

}  // namespace
}  // namespace marlguide::ui
