// The main window as built, inspected widget by widget.

#include "ui/window.hpp"

#include <gtest/gtest.h>
#include <gtkmm/stackpage.h>
#include <gtkmm/stackswitcher.h>

#include <string>
#include <vector>

#include "gtk_app.hpp"
#include "ui/modes.hpp"

namespace marlguide::ui {
namespace {

using testing::test_application;

std::vector<std::string> mode_classes(Gtk::Widget& w) {
  std::vector<std::string> found;
  for (const auto& c : w.get_css_classes())
    if (c.raw().ends_with("-mode")) found.push_back(c.raw());
  return found;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { main_ = build_main_window(test_application()); }
  void TearDown() override {
    main_.window->destroy();
    testing::drain_main_loop();
  }
  MainWindow main_;
};

TEST_F(MainWindowTest, WindowIsTitledAndHiddenUntilPresented) {
  EXPECT_EQ(main_.window->get_title(), "MOS Help");
  EXPECT_FALSE(main_.window->get_visible());
  int w = 0, h = 0;
  main_.window->get_default_size(w, h);
  EXPECT_EQ(w, 880);
  EXPECT_EQ(h, 600);
  EXPECT_EQ(main_.window->get_application(), test_application());
}

TEST_F(MainWindowTest, StackHasHomeLearnAskInOrderWithHomeVisible) {
  auto pages = main_.stack->get_pages();
  auto* list = G_LIST_MODEL(pages->gobj());
  std::vector<std::pair<std::string, std::string>> got;
  for (guint i = 0; i < g_list_model_get_n_items(list); ++i) {
    auto* page = GTK_STACK_PAGE(g_list_model_get_item(list, i));
    got.emplace_back(gtk_stack_page_get_name(page), gtk_stack_page_get_title(page));
    g_object_unref(page);
  }
  const std::vector<std::pair<std::string, std::string>> want{
      {"home", "Home"}, {"learn", "Learn"}, {"ask", "Ask"}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(main_.stack->get_visible_child_name(), "home");
  EXPECT_EQ(main_.stack->get_visible_child(), main_.home_page);
  EXPECT_EQ(main_.stack->get_transition_type(), Gtk::StackTransitionType::SLIDE_LEFT_RIGHT);
}

TEST_F(MainWindowTest, SwitcherSitsAboveTheStack) {
  auto* box = main_.window->get_child();
  ASSERT_NE(box, nullptr);
  auto* switcher = dynamic_cast<Gtk::StackSwitcher*>(box->get_first_child());
  ASSERT_NE(switcher, nullptr);
  EXPECT_EQ(switcher->get_stack(), main_.stack);
  EXPECT_EQ(switcher->get_next_sibling(), main_.stack);
  EXPECT_EQ(switcher->get_margin_top(), 8);
  EXPECT_EQ(switcher->get_margin_bottom(), 8);
}

TEST_F(MainWindowTest, BannerIsHiddenAndEmptyAtStart) {
  EXPECT_FALSE(main_.suggestion_revealer->get_reveal_child());
  EXPECT_EQ(main_.suggestion_label->get_text(), "");
  EXPECT_TRUE(main_.suggestion_revealer->is_ancestor(*main_.home_page));
}

TEST_F(MainWindowTest, ModeClassesReplaceEachOther) {
  EXPECT_TRUE(mode_classes(*main_.window).empty()) << "a fresh start is Normal";
  struct Step {
    DisplayMode mode;
    std::vector<std::string> classes;
  };
  const Step steps[] = {
      {DisplayMode::Dad, {"dad-mode"}},
      {DisplayMode::Compact, {"compact-mode"}},
      {DisplayMode::Beginner, {"beginner-mode"}},
      {DisplayMode::Beginner, {"beginner-mode"}},
      {DisplayMode::Normal, {}},
      {DisplayMode::Normal, {}},
  };
  for (const auto& s : steps) {
    apply_display_mode(*main_.window, s.mode);
    EXPECT_EQ(mode_classes(*main_.window), s.classes) << static_cast<int>(s.mode);
  }
}

TEST(ModePositions, OutOfRangeCountsAsNormal) {
  EXPECT_EQ(mode_from_position(2), DisplayMode::Dad);
  EXPECT_EQ(mode_from_position(3), DisplayMode::Compact);
  EXPECT_EQ(mode_from_position(4), DisplayMode::Normal);
  EXPECT_EQ(mode_from_position(GTK_INVALID_LIST_POSITION), DisplayMode::Normal);
}

TEST(ApplicationStylesheet, IsInstalledOnceAtApplicationPriority) {
  // Building two windows must not stack a second copy of the stylesheet.
  auto first = build_main_window(test_application());
  auto second = build_main_window(test_application());
  const auto css = application_stylesheet();
  EXPECT_NE(css.find(".compact-mode .view-content { padding: 12px; }"), std::string_view::npos);
  EXPECT_NE(css.find("window.tour-window { background-color: transparent; }"),
            std::string_view::npos);
  first.window->destroy();
  second.window->destroy();
  testing::drain_main_loop();
}

}  // namespace
}  // namespace marlguide::ui
