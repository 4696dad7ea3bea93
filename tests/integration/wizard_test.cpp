// The troubleshooting wizard on the compositor: its window, its pages built from symptom files
// in a private content root, navigation by real clicks, and fixes observed through the files
// their commands write.

#include "ui/troubleshoot_wizard.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <vector>

#include "gtk_app.hpp"
#include "views.hpp"

namespace marlguide::ui {
namespace {

namespace fs = std::filesystem;
using testing::as;
using testing::button;
using testing::children;
using testing::click;
using ::testing::ElementsAre;
using testing::loop_until;
using testing::texts;

constexpr const char* kRunning = "Running…";
constexpr const char* kFailed = "Something went wrong — see the terminal for details.";

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = std::make_unique<Gtk::Window>();
    main_->set_application(testing::test_application());
  }
  void TearDown() override {
    if (wizard_) wizard_->destroy();
    main_->destroy();
    testing::drain_main_loop();
  }

  void symptom(const std::string& id, const std::string& text, bool user = false) {
    const fs::path root = user ? sandbox_.user_content() : sandbox_.system_content();
    sandbox_.write(root / "troubleshooting/_symptoms" / (id + ".toml"), text);
  }

  Gtk::Window& open() {
    wizard_ = build_wizard_window(*main_);
    return *wizard_;
  }
  Gtk::Box& page() { return as<Gtk::Box>(wizard_->get_child()); }
  std::vector<std::string> shown() { return texts(page()); }

  testing::Sandbox sandbox_;
  std::unique_ptr<Gtk::Window> main_;
  Gtk::Window* wizard_ = nullptr;
};

// A tree whose start node has an option into another (unlisted) symptom, a dead end, a node
// with a fix, and a node with nothing.
std::string no_sound_tree(const fs::path& fix_log) {
  return R"(
[[node]]
id = "start"
prompt = "Is the sound muted?"
options = [
  { label = "Check the cable", goto = "display:start" },
  { label = "Somewhere that does not exist", goto = "nowhere" },
  { label = "Still silent", goto = "restart" },
]

[[node]]
id = "restart"
prompt = "Restart the sound service."
options = [{ label = "Done that", goto = "end" }]
[node.fix]
description = "Restarts the sound service."
command = "echo ran >> ')" +
         fix_log.string() + R"('"
requires_confirm = true

[[node]]
id = "end"
prompt = "Nothing more to try here."
)";
}

constexpr const char* kDisplayTree = R"(
[[node]]
id = "start"
prompt = "Is the cable plugged in?"
options = [{ label = "Back to sound", goto = "no-sound:end" }]
)";

TEST_F(WizardTest, WindowIsAModalDialogOverTheMainWindow) {
  auto& wizard = open();
  EXPECT_EQ(wizard.get_transient_for(), main_.get());
  EXPECT_TRUE(wizard.get_modal());
  EXPECT_EQ(wizard.get_title(), "Something's wrong?");
  int w = 0, h = 0;
  wizard.get_default_size(w, h);
  EXPECT_EQ(w, 480);
  EXPECT_EQ(h, 360);
  EXPECT_TRUE(wizard.has_css_class("wizard-dialog"));
  EXPECT_TRUE(as<Gtk::HeaderBar>(wizard.get_titlebar()).get_show_title_buttons());
  EXPECT_EQ(page().get_orientation(), Gtk::Orientation::VERTICAL);
  EXPECT_EQ(page().get_spacing(), 12);
  EXPECT_TRUE(page().has_css_class("view-content"));
  EXPECT_FALSE(wizard.get_visible()) << "built, not presented";
}

TEST_F(WizardTest, FirstPageOffersTheKnownSymptomsThatHaveATree) {
  const struct {
    std::vector<std::string> files;
    std::vector<std::string> page;
  } cases[] = {
      {{"no-sound"}, {"What's wrong?", "[No sound]"}},
      {{"display", "wifi-wont-connect", "no-sound"},
       {"What's wrong?", "[No sound]", "[Wi-Fi won't connect]"}},
      {{}, {"What's wrong?", "No troubleshooting guides installed."}},
      {{"display"}, {"What's wrong?", "No troubleshooting guides installed."}},
  };
  for (const auto& c : cases) {
    fs::remove_all(sandbox_.system_content());
    for (const auto& id : c.files) symptom(id, kDisplayTree);
    auto& wizard = open();
    EXPECT_EQ(shown(), c.page);
    const auto parts = children(page());
    EXPECT_TRUE(parts.at(0)->has_css_class("page-title"));
    EXPECT_EQ(as<Gtk::Label>(parts.at(0)).get_xalign(), 0.0f);
    if (c.files.empty()) {
      EXPECT_TRUE(parts.at(1)->has_css_class("dim-label"));
    }
    for (auto* part : parts) {
      if (auto* b = dynamic_cast<Gtk::Button*>(part)) {
        EXPECT_EQ(b->get_halign(), Gtk::Align::START);
      }
    }
    wizard.destroy();
    wizard_ = nullptr;
  }
}

TEST_F(WizardTest, AnswersLeadForwardAcrossSymptomsAndBackToTheStart) {
  symptom("no-sound", no_sound_tree(sandbox_.dir() / "fix.log"));
  symptom("display", kDisplayTree);
  open();

  click(button(page(), "No sound"));
  EXPECT_THAT(shown(),
              ElementsAre("Is the sound muted?", "[Check the cable]",
                          "[Somewhere that does not exist]", "[Still silent]", "[Start over]"));
  EXPECT_TRUE(as<Gtk::Label>(children(page()).at(0)).get_wrap());

  // Into a symptom the first page does not list, and back by "symptom:node".
  click(button(page(), "Check the cable"));
  EXPECT_THAT(shown(), ElementsAre("Is the cable plugged in?", "[Back to sound]", "[Start over]"));
  click(button(page(), "Back to sound"));
  EXPECT_THAT(shown(), ElementsAre("Nothing more to try here.", "[Start over]"));

  click(button(page(), "Start over"));
  EXPECT_THAT(shown(), ElementsAre("What's wrong?", "[No sound]"));

  // A target that does not exist shows the first page.
  click(button(page(), "No sound"));
  click(button(page(), "Somewhere that does not exist"));
  EXPECT_THAT(shown(), ElementsAre("What's wrong?", "[No sound]"));
}

TEST_F(WizardTest, SymptomWithoutAStartNodeLeadsBackToTheFirstPage) {
  symptom("no-sound", "[[node]]\nid = \"begin\"\nprompt = \"Never shown\"\n");
  open();
  click(button(page(), "No sound"));
  EXPECT_THAT(shown(), ElementsAre("What's wrong?", "[No sound]"));
}

TEST_F(WizardTest, RunFixRunsTheCommandEveryClickWithoutAsking) {
  const fs::path log = sandbox_.dir() / "fix.log";
  symptom("no-sound", no_sound_tree(log));
  open();
  click(button(page(), "No sound"));
  click(button(page(), "Still silent"));
  EXPECT_THAT(shown(), ElementsAre("Restart the sound service.", "[Done that]",
                                   "Restarts the sound service.", "[Run fix]", "", "[Start over]"));
  const auto parts = children(page());
  auto& run = as<Gtk::Button>(parts.at(3));
  auto& status = as<Gtk::Label>(parts.at(4));
  EXPECT_TRUE(run.has_css_class("suggested-action"));
  EXPECT_TRUE(status.has_css_class("dim-label"));
  EXPECT_FALSE(as<Gtk::Label>(parts.at(2)).get_wrap());

  for (int clicks = 1; clicks <= 2; ++clicks) {
    click(run);
    EXPECT_EQ(status.get_text(), kRunning);
    EXPECT_TRUE(loop_until([&] { return status.get_text() == "Done."; }));
    EXPECT_EQ(testing::Sandbox::read(log), clicks == 1 ? "ran\n" : "ran\nran\n");
  }
}

TEST_F(WizardTest, FailingFixSaysSoAndFinishesAfterItsPageIsGone) {
  const fs::path go = sandbox_.dir() / "go";
  symptom("no-sound", R"(
[[node]]
id = "start"
prompt = "Try this."
[node.fix]
description = "Fails when told to."
command = "while [ ! -e ')" +
                          go.string() + R"(' ]; do sleep 0.02; done; exit 3"
)");
  open();
  click(button(page(), "No sound"));
  auto& status = as<Gtk::Label>(children(page()).at(3));
  click(button(page(), "Run fix"));
  // Leaving the page drops the label from the window; the run still reports into it.
  const auto label = hold(status.gobj());
  click(button(page(), "Start over"));
  sandbox_.write("go", "");
  EXPECT_TRUE(loop_until([&] { return gtk_label_get_text(label.get()) == std::string(kFailed); }));
}

TEST_F(WizardTest, TreesAreReadWhenTheWizardIsBuilt) {
  symptom("no-sound", "[[node]]\nid = \"start\"\nprompt = \"First version\"\n");
  auto& first = open();
  symptom("no-sound", "[[node]]\nid = \"start\"\nprompt = \"Second version\"\n");
  symptom("wifi-wont-connect", kDisplayTree);
  click(button(page(), "No sound"));
  EXPECT_THAT(shown(), ElementsAre("First version", "[Start over]"));
  first.destroy();

  open();
  EXPECT_THAT(shown(), ElementsAre("What's wrong?", "[No sound]", "[Wi-Fi won't connect]"));
  click(button(page(), "No sound"));
  EXPECT_THAT(shown(), ElementsAre("Second version", "[Start over]"));
}

TEST_F(WizardTest, UserTreeReplacesTheSystemTree) {
  symptom("no-sound", "[[node]]\nid = \"start\"\nprompt = \"System\"\n");
  symptom("no-sound", "[[node]]\nid = \"start\"\nprompt = \"User\"\n", /*user=*/true);
  open();
  click(button(page(), "No sound"));
  EXPECT_THAT(shown(), ElementsAre("User", "[Start over]"));
}

TEST_F(WizardTest, OpenedWizardIsShownAndClosingItFreesEverything) {
  symptom("no-sound", no_sound_tree(sandbox_.dir() / "fix.log"));
  main_->present();
  open_wizard(*main_);
  Gtk::Window* shown_wizard = nullptr;
  for (auto* w : Gtk::Window::list_toplevels())
    if (w->get_transient_for() == main_.get()) shown_wizard = w;
  ASSERT_NE(shown_wizard, nullptr);
  EXPECT_TRUE(shown_wizard->get_visible());
  EXPECT_TRUE(shown_wizard->get_modal());

  click(button(*shown_wizard->get_child(), "No sound"));
  const WeakRef<GtkWidget> content(shown_wizard->get_child()->gobj());
  const WeakRef<GtkWindow> window(shown_wizard->gobj());
  shown_wizard->close();
  testing::drain_main_loop();
  EXPECT_FALSE(window.get()) << "closed windows are destroyed";
  // The buttons' handlers share the wizard's state; none of it may keep the page alive.
  EXPECT_FALSE(content.get());
}

}  // namespace
}  // namespace marlguide::ui
