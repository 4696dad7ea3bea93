// The guide text rendering and the Learn page, built on the compositor and inspected widget by
// widget.

#include "ui/learn_view.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/stack.h>
#include <gtkmm/viewport.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "content/guides.hpp"
#include "content/markdown.hpp"
#include "gtk_app.hpp"
#include "harness.hpp"
#include "ui/markdown.hpp"
#include "ui/window.hpp"

namespace marlguide::ui {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<Gtk::Widget*> children(Gtk::Widget& w) {
  std::vector<Gtk::Widget*> out;
  for (auto* c = w.get_first_child(); c; c = c->get_next_sibling()) out.push_back(c);
  return out;
}

template <typename T>
T& as(Gtk::Widget* w) {
  auto* t = dynamic_cast<T*>(w);
  if (!t)
    throw std::runtime_error(std::string("unexpected widget ") + G_OBJECT_TYPE_NAME(w->gobj()));
  return *t;
}

// A scrolled window wraps a child that cannot scroll itself in a viewport.
Gtk::Widget* scrolled_child(Gtk::ScrolledWindow& scrolled) {
  Gtk::Widget* child = scrolled.get_child();
  if (auto* viewport = dynamic_cast<Gtk::Viewport*>(child)) return viewport->get_child();
  return child;
}

// Keeps the rendered widgets alive for the test and frees them afterwards.
class Rendered {
 public:
  Rendered(std::string_view text, const std::vector<content::Keybind>& binds = {})
      : box_(render_blocks(content::parse_blocks(text), binds)) {
    g_object_ref_sink(box_->gobj());
  }
  ~Rendered() { g_object_unref(box_->gobj()); }
  Gtk::Box& box() { return *box_; }
  std::vector<Gtk::Widget*> rows() { return children(*box_); }

 private:
  Gtk::Box* box_;
};

std::string text_of(Gtk::Widget* w) { return as<Gtk::Label>(w).get_text(); }

const std::vector<content::Keybind> kBinds{
    {"super + return", "Open a terminal", "apps", "kitty", "exec,kitty"},
};

TEST(RenderBlocks, EmptyTextGivesAnEmptyVerticalBox) {
  for (const char* text : {"", "\n  \n\n"}) {
    Rendered r(text);
    EXPECT_EQ(r.box().get_orientation(), Gtk::Orientation::VERTICAL);
    EXPECT_EQ(r.box().get_spacing(), 10);
    EXPECT_TRUE(r.rows().empty()) << text;
  }
}

TEST(RenderBlocks, HeadingsUseSizedBoldMarkup) {
  Rendered r("  ## Setup  \n# A **b** & <c>\n##Setup\n### Setup");
  const auto rows = r.rows();
  ASSERT_EQ(rows.size(), 4u);
  auto& h2 = as<Gtk::Label>(rows[0]);
  EXPECT_TRUE(h2.get_use_markup());
  EXPECT_EQ(h2.get_label(), "<b><span size='medium'>Setup</span></b>");
  EXPECT_EQ(h2.get_xalign(), 0.0f);
  EXPECT_TRUE(h2.get_wrap());
  auto& h1 = as<Gtk::Label>(rows[1]);
  EXPECT_EQ(h1.get_label(), "<b><span size='large'>A **b** &amp; &lt;c&gt;</span></b>");
  EXPECT_EQ(h1.get_text(), "A **b** & <c>");
  // Not headings: shown as paragraphs with their marks.
  EXPECT_EQ(text_of(children(*rows[2]).at(0)), "##Setup");
  EXPECT_EQ(text_of(children(*rows[3]).at(0)), "### Setup");
}

TEST(RenderBlocks, EveryLineIsItsOwnRowAndBulletsGetADot) {
  Rendered r("first line\nsecond line\n- Open the launcher\n-Open");
  const auto rows = r.rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(text_of(children(*rows[0]).at(0)), "first line");
  EXPECT_EQ(text_of(children(*rows[1]).at(0)), "second line");

  auto& bullet = as<Gtk::Box>(rows[2]);
  EXPECT_EQ(bullet.get_orientation(), Gtk::Orientation::HORIZONTAL);
  EXPECT_EQ(bullet.get_spacing(), 6);
  const auto parts = children(bullet);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(text_of(parts[0]), "•");
  EXPECT_EQ(text_of(children(*parts[1]).at(0)), "Open the launcher");

  EXPECT_EQ(text_of(children(*rows[3]).at(0)), "-Open");
}

TEST(RenderBlocks, RunButtonsSitBetweenTextLabels) {
  Rendered r("Press [Run]uptime|Show uptime[/Run] now\n[Run]reboot[/Run]\nSee [Run]x");
  const auto rows = r.rows();
  ASSERT_EQ(rows.size(), 3u);

  auto& line = as<Gtk::Box>(rows[0]);
  EXPECT_EQ(line.get_orientation(), Gtk::Orientation::HORIZONTAL);
  EXPECT_EQ(line.get_spacing(), 6);
  const auto parts = children(line);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(text_of(parts[0]), "Press ");
  EXPECT_EQ(as<Gtk::Button>(parts[1]).get_label(), "Show uptime");
  EXPECT_EQ(text_of(parts[2]), " now");
  auto& label = as<Gtk::Label>(parts[0]);
  EXPECT_TRUE(label.get_wrap());
  EXPECT_EQ(label.get_max_width_chars(), 48);
  EXPECT_EQ(label.get_xalign(), 0.0f);

  const auto lone = children(*rows[1]);
  ASSERT_EQ(lone.size(), 1u);
  EXPECT_EQ(as<Gtk::Button>(lone[0]).get_label(), "reboot");

  const auto unclosed = children(*rows[2]);
  ASSERT_EQ(unclosed.size(), 1u);
  EXPECT_EQ(text_of(unclosed[0]), "See [Run]x");
}

TEST(RenderBlocks, BlankTextBetweenDirectivesAddsNoLabel) {
  Rendered r("[Run]a[/Run]   [Show Keybind]x[/Show Keybind]");
  const auto parts = children(*r.rows().at(0));
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_NE(dynamic_cast<Gtk::Button*>(parts[0]), nullptr);
  EXPECT_TRUE(parts[1]->has_css_class("keybind-chip"));
}

TEST(RenderBlocks, KeyChipsShowTheUsersOwnCombo) {
  const char* text = "Press [Show Keybind] SUPER + Return [/Show Keybind]";
  for (const auto& [binds, shown] :
       {std::pair{kBinds, "super + return"},
        std::pair{std::vector<content::Keybind>{}, "SUPER + Return"}}) {
    Rendered r(text, binds);
    const auto parts = children(*r.rows().at(0));
    ASSERT_EQ(parts.size(), 2u);
    auto& chip = as<Gtk::Label>(parts[1]);
    EXPECT_EQ(chip.get_text(), shown);
    EXPECT_FALSE(chip.get_use_markup());
    EXPECT_TRUE(chip.has_css_class("keybind-chip"));
  }
}

TEST(RenderBlocks, EmphasisBecomesMarkupOverEscapedText) {
  Rendered r("Use **bold** and `mono` with <tags> & more\nA lonely ** marker");
  const auto rows = r.rows();
  ASSERT_EQ(rows.size(), 2u);
  auto& label = as<Gtk::Label>(children(*rows[0]).at(0));
  EXPECT_EQ(label.get_label(), "Use <b>bold</b> and <tt>mono</tt> with &lt;tags&gt; &amp; more");
  EXPECT_EQ(label.get_text(), "Use bold and mono with <tags> & more");
  // GTK refuses the unbalanced markup and leaves the label empty.
  EXPECT_EQ(text_of(children(*rows[1]).at(0)), "");
}

TEST(RenderBlocks, RunButtonStartsItsCommandEveryClick) {
  const fs::path dir = fs::temp_directory_path() / ("run-button-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path log = dir / "clicks";
  Rendered r("[Run]echo click >> '" + log.string() + "'|Log a click[/Run]");
  auto& button = as<Gtk::Button>(children(*r.rows().at(0)).at(0));
  auto lines = [&] {
    std::ifstream in(log);
    int n = 0;
    for (std::string line; std::getline(in, line);) n += line == "click";
    return n;
  };
  for (int clicks = 1; clicks <= 2; ++clicks) {
    g_signal_emit_by_name(button.gobj(), "clicked");
    EXPECT_TRUE(testing::wait_until([&] {
      testing::drain_main_loop();
      return lines() == clicks;
    })) << "after click "
        << clicks;
  }
  fs::remove_all(dir);
}

TEST(SectionTitle, UpperCasesTheFirstCharacterOfEachPiece) {
  struct Case {
    const char* category;
    const char* title;
  } cases[] = {
      {"getting-started", "Getting Started"},
      {"daily-use", "Daily Use"},
      {"apps", "Apps"},
      {"extras", "Extras"},
      {"a--b", "A  B"},
      {"-x-", " X "},
      {"", ""},
      {"\xc3\x9f"
       "e-mail",
       "SSe Mail"},
      {"\xc3\xa9lan", "\xc3\x89lan"},
      {"ALREADY-upper", "ALREADY Upper"},
  };
  for (const auto& c : cases) EXPECT_EQ(section_title(c.category), c.title) << c.category;
}

// A content tree on disk, loaded as the guide library would load it.
class LearnViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("learn-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    guide("getting-started", "welcome", "Welcome", "# Hello\nNormal text", "Simple text");
    guide("getting-started", "basics", "Basics", "Basics text");
    guide("apps", "zebra", "Zebra", "z");
    guide("apps", "launcher", "Launcher", "l");
    guide("extras", "misc", "Misc", "m");
    guide("extras", "moved", "Moved to apps", "moved", "", "category = \"apps\"\n");
    guides_ = content::load_guides(root_ / "system", root_ / "user");
  }
  void TearDown() override {
    if (paned_) g_object_unref(paned_->gobj());
    testing::drain_main_loop();
    fs::remove_all(root_);
  }

  void guide(const std::string& category, const std::string& id, const std::string& title,
             const std::string& text, const std::string& beginner = "",
             const std::string& extra_meta = "") {
    const fs::path dir = root_ / "system" / category / id;
    fs::create_directories(dir);
    std::ofstream(dir / "meta.toml") << "title = \"" << title << "\"\n" << extra_meta;
    std::ofstream(dir / "content.md") << text;
    if (!beginner.empty()) std::ofstream(dir / "content.beginner.md") << beginner;
  }

  Gtk::Paned& build(config::DisplayMode mode) {
    paned_ = learn_view(guides_, {}, mode);
    g_object_ref_sink(paned_->gobj());
    return *paned_;
  }

  Gtk::ListBox& sidebar() {
    return as<Gtk::ListBox>(scrolled_child(as<Gtk::ScrolledWindow>(paned_->get_start_child())));
  }
  Gtk::Stack& stack() { return as<Gtk::Stack>(paned_->get_end_child()); }

  std::vector<std::string> row_texts() {
    std::vector<std::string> out;
    for (int i = 0; auto* row = sidebar().get_row_at_index(i); ++i) {
      auto& label = as<Gtk::Label>(row->get_child());
      const std::string text = label.get_text();
      out.push_back(label.has_css_class("section-header") ? "[" + text + "]" : text);
    }
    return out;
  }

  // The text labels of a guide page, in order, after its title.
  std::vector<std::string> page_texts(const std::string& name) {
    auto& scrolled = as<Gtk::ScrolledWindow>(stack().get_child_by_name(name));
    EXPECT_TRUE(scrolled.get_vexpand());
    EXPECT_TRUE(scrolled.get_hexpand());
    auto& page = as<Gtk::Box>(scrolled_child(scrolled));
    EXPECT_TRUE(page.has_css_class("view-content"));
    EXPECT_EQ(page.get_spacing(), 12);
    const auto parts = children(page);
    EXPECT_EQ(parts.size(), 2u);
    std::vector<std::string> out{text_of(parts.at(0))};
    EXPECT_TRUE(parts.at(0)->has_css_class("page-title"));
    for (auto* row : children(*parts.at(1))) {
      if (auto* label = dynamic_cast<Gtk::Label*>(row))
        out.push_back(label->get_text());
      else
        out.push_back(text_of(children(*row).at(0)));
    }
    return out;
  }

  fs::path root_;
  std::vector<content::Guide> guides_;
  Gtk::Paned* paned_ = nullptr;
};

TEST_F(LearnViewTest, SidebarListsSectionsThenGuidesByIdentifier) {
  build(config::DisplayMode::Normal);
  EXPECT_THAT(row_texts(), ElementsAre("[Getting Started]", "Basics", "Welcome", "[Apps]",
                                       "Launcher", "Moved to apps", "Zebra", "[Extras]", "Misc"));
  std::vector<std::string> names;
  for (int i = 0; auto* row = sidebar().get_row_at_index(i); ++i) {
    const bool heading = as<Gtk::Label>(row->get_child()).has_css_class("section-header");
    EXPECT_EQ(row->get_selectable(), !heading);
    EXPECT_EQ(row->get_activatable(), !heading);
    if (!heading) names.push_back(row->get_name());
  }
  EXPECT_THAT(names, ElementsAre("getting-started/basics", "getting-started/welcome",
                                 "apps/launcher", "apps/moved", "apps/zebra", "extras/misc"));
}

TEST_F(LearnViewTest, LayoutOfThePane) {
  auto& paned = build(config::DisplayMode::Normal);
  EXPECT_EQ(paned.get_orientation(), Gtk::Orientation::HORIZONTAL);
  EXPECT_EQ(paned.get_position(), 220);
  EXPECT_FALSE(paned.get_shrink_start_child());
  EXPECT_FALSE(paned.get_resize_start_child());
  int width = 0, height = 0;
  paned.get_start_child()->get_size_request(width, height);
  EXPECT_EQ(width, 220);
  EXPECT_EQ(sidebar().get_selection_mode(), Gtk::SelectionMode::SINGLE);
  EXPECT_TRUE(sidebar().has_css_class("sidebar"));
  EXPECT_TRUE(stack().get_hexpand());
  EXPECT_TRUE(stack().get_vexpand());
}

TEST_F(LearnViewTest, FirstGuideIsShownAndSelectionSwitchesPages) {
  build(config::DisplayMode::Normal);
  EXPECT_EQ(stack().get_visible_child_name(), "getting-started/basics");
  ASSERT_NE(sidebar().get_selected_row(), nullptr);
  EXPECT_EQ(sidebar().get_selected_row()->get_name(), "getting-started/basics");

  // A heading cannot be selected: nothing changes.
  sidebar().select_row(*sidebar().get_row_at_index(3));
  EXPECT_EQ(sidebar().get_selected_row()->get_name(), "getting-started/basics");
  EXPECT_EQ(stack().get_visible_child_name(), "getting-started/basics");

  sidebar().select_row(*sidebar().get_row_at_index(8));
  EXPECT_EQ(stack().get_visible_child_name(), "extras/misc");
  sidebar().unselect_all();
  EXPECT_EQ(stack().get_visible_child_name(), "extras/misc");
}

TEST_F(LearnViewTest, EveryPageIsBuiltUpFront) {
  build(config::DisplayMode::Normal);
  std::vector<std::string> pages;
  for (auto* child : children(stack())) pages.push_back(stack().get_page(*child)->get_name());
  EXPECT_THAT(pages, ElementsAre("getting-started/basics", "getting-started/welcome",
                                 "apps/launcher", "apps/moved", "apps/zebra", "extras/misc"));
  EXPECT_THAT(page_texts("getting-started/welcome"),
              ElementsAre("Welcome", "Hello", "Normal text"));
}

TEST_F(LearnViewTest, BeginnerAndDadModesPickTheSimplerText) {
  const struct {
    config::DisplayMode mode;
    const char* text;
  } cases[] = {
      {config::DisplayMode::Normal, "Normal text"},
      {config::DisplayMode::Compact, "Normal text"},
      {config::DisplayMode::Beginner, "Simple text"},
      {config::DisplayMode::Dad, "Simple text"},
  };
  for (const auto& c : cases) {
    build(c.mode);
    EXPECT_EQ(page_texts("getting-started/welcome").back(), c.text);
    // Guides without a simpler text keep their own.
    EXPECT_THAT(page_texts("getting-started/basics"), ElementsAre("Basics", "Basics text"));
    g_object_unref(paned_->gobj());
    paned_ = nullptr;
  }
}

TEST_F(LearnViewTest, NoGuidesGiveEmptyPanes) {
  guides_.clear();
  build(config::DisplayMode::Normal);
  EXPECT_EQ(sidebar().get_row_at_index(0), nullptr);
  EXPECT_TRUE(children(stack()).empty());
}

// The main window reads the guides and bindings once and shows them on its Learn page.
TEST(MainWindowLearnPage, ShowsTheShippedGuidesWithTheUsersKeys) {
  const fs::path home = fs::temp_directory_path() / ("learn-home-" + std::to_string(getpid()));
  fs::create_directories(home / ".config/hypr");
  fs::copy_file(testing::source_root() / "data/examples/binds.json",
                home / ".config/hypr/binds.json", fs::copy_options::overwrite_existing);
  const std::string old_home = ::getenv("HOME") ? ::getenv("HOME") : "";
  ::setenv("MARLGUIDE_CONTENT_DIR", (testing::source_root() / "content").c_str(), 1);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);

  ::testing::internal::CaptureStderr();
  MainWindow main = build_main_window(testing::test_application());
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "");

  auto& paned = as<Gtk::Paned>(main.stack->get_child_by_name("learn"));
  auto& guides = as<Gtk::Stack>(paned.get_end_child());
  EXPECT_EQ(children(guides).size(), content::load_guides().size());
  EXPECT_EQ(guides.get_visible_child_name(), "getting-started/welcome");

  // The welcome guide's first key chip shows the combination from the user's bindings.
  bool found_chip = false;
  std::vector<Gtk::Widget*> todo{guides.get_visible_child()};
  while (!todo.empty() && !found_chip) {
    Gtk::Widget* w = todo.back();
    todo.pop_back();
    if (w->has_css_class("keybind-chip")) {
      EXPECT_EQ(as<Gtk::Label>(w).get_text(), "super + space");
      found_chip = true;
    }
    for (auto* c : children(*w)) todo.insert(todo.begin(), c);
  }
  EXPECT_TRUE(found_chip);

  main.window->destroy();
  testing::drain_main_loop();
  ::unsetenv("MARLGUIDE_CONTENT_DIR");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", old_home.c_str(), 1);
  fs::remove_all(home);
}

}  // namespace
}  // namespace marlguide::ui
