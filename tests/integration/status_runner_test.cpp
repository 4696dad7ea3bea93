// Commands run with a status label, on a live GTK main loop: texts, outcomes, concurrency and
// the label's lifetime.

#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gtk_app.hpp"
#include "services/exec.hpp"

namespace marlguide::services {
namespace {

namespace fs = std::filesystem;
using marlguide::testing::loop_until;
using namespace std::chrono_literals;

constexpr std::string_view kRunning = "Running…";
constexpr std::string_view kDone = "Done.";
constexpr std::string_view kFailed = "Something went wrong — see the terminal for details.";

// Runs the main loop until `done` holds or the time is up.
class StatusRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/marlguide-status.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    // Every text the label takes, in order.
    label_.property_label().signal_changed().connect(
        [this] { seen_.push_back(label_.get_text()); });
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string text() const { return label_.get_text(); }
  // Waits until the label leaves the start text.
  std::string outcome(std::string_view start) {
    loop_until([&] { return text() != start; });
    return text();
  }

  fs::path dir_;
  Gtk::Label label_;
  std::vector<std::string> seen_;
};

TEST_F(StatusRunner, ShowsTheStartTextAtOnceAndTheOutcomeWhenTheCommandEnds) {
  struct Case {
    const char* command;
    std::string_view outcome;
  };
  const Case cases[] = {
      {"true", kDone},
      {"false", kFailed},
      {"exit 3", kFailed},
      {"kill -9 $$", kFailed},
      {"kill -TERM $$", kFailed},
      // Quotes, pipes, "&&" and ";" reach the shell as written.
      {R"sh([ "$(printf '%s' 'a;b' | tr ';' '+')" = 'a+b' ] && x="1 2"; [ "$x" = "1 2" ])sh",
       kDone},
      {R"(echo 'a && b' | grep -q '&&' ; exit 4)", kFailed},
  };
  for (const auto& c : cases) {
    label_.set_text("");
    run_with_status(c.command, label_);
    EXPECT_EQ(text(), kRunning) << c.command;
    EXPECT_EQ(outcome(kRunning), c.outcome) << c.command;
  }
}

TEST_F(StatusRunner, NamedRunsBuildTheirTextsFromTheName) {
  run_named_with_status("Fix sound", "true", label_);
  EXPECT_EQ(text(), "Fix sound…");
  EXPECT_EQ(outcome("Fix sound…"), "Fix sound: done.");
  run_named_with_status("Fix sound", "exit 1", label_);
  EXPECT_EQ(text(), "Fix sound…");
  EXPECT_EQ(outcome("Fix sound…"), "Fix sound: something went wrong.");
}

TEST_F(StatusRunner, MainLoopKeepsRunningWhileTheCommandDoes) {
  const auto go = dir_ / "go";
  run_with_status("while [ ! -e '" + go.string() + "' ]; do sleep 0.02; done", label_);
  int ticks = 0;
  auto tick = Glib::signal_timeout().connect(
      [&] {
        ++ticks;
        return true;
      },
      10);
  EXPECT_TRUE(loop_until([&] { return ticks >= 5; })) << "the loop is not blocked";
  EXPECT_EQ(text(), kRunning);
  std::ofstream{go};
  EXPECT_EQ(outcome(kRunning), kDone);
  tick.disconnect();
}

TEST_F(StatusRunner, ConcurrentRunsEachShowTheirOutcomeWhenTheyEnd) {
  struct Case {
    const char* first;
    const char* second;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"sleep 0.4; exit 1",
       "true",
       {std::string(kRunning), std::string(kDone), std::string(kFailed)}},
      {"exit 1", "sleep 0.4", {std::string(kRunning), std::string(kFailed), std::string(kDone)}},
  };
  for (const auto& c : cases) {
    label_.set_text("");
    seen_.clear();
    run_with_status(c.first, label_);
    run_with_status(c.second, label_);
    loop_until([&] { return seen_.size() >= 3; });
    loop_until([] { return false; }, 100ms);  // nothing further arrives
    EXPECT_EQ(seen_, c.texts) << c.first << " / " << c.second;
  }
}

TEST_F(StatusRunner, SameCommandStartedTwiceRunsTwiceAtTheSameTime) {
  // Each run waits for a file that is made only once both have started; runs one after the
  // other would never get there.
  const auto cmd = "cd '" + dir_.string() +
                   "' && echo started >> starts && while [ ! -e go ]; do sleep 0.02; done"
                   " && echo ended >> ends";
  run_named_with_status("Fix", cmd, label_);
  run_named_with_status("Fix", cmd, label_);
  const auto lines = [&](const char* name) {
    std::ifstream in(dir_ / name);
    int n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
  };
  EXPECT_TRUE(loop_until([&] { return lines("starts") == 2; }));
  std::ofstream{dir_ / "go"};
  EXPECT_EQ(outcome("Fix…"), "Fix: done.");
  // Both shells must be gone before the folder is removed, or one would wait for "go"
  // forever and hold the test's output open.
  EXPECT_TRUE(loop_until([&] { return lines("ends") == 2; }));
}

TEST_F(StatusRunner, MissingShellShowsTheFailureAfterTheStartText) {
  const std::string path = std::getenv("PATH");
  setenv("PATH", (dir_ / "empty").c_str(), 1);
  run_with_status("true", label_);
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(text(), kRunning);
  EXPECT_EQ(outcome(kRunning), kFailed);
  run_named_with_status("Fix sound", "true", label_);
  EXPECT_EQ(outcome("Fix sound…"), "Fix sound: done.") << "PATH restored";
}

TEST_F(StatusRunner, CommandWritesToTheInheritedStandardOutput) {
  ::testing::internal::CaptureStdout();
  run_with_status("echo to-the-terminal", label_);
  const auto result = outcome(kRunning);
  const auto out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, kDone);
  EXPECT_EQ(out, "to-the-terminal\n");
}

TEST_F(StatusRunner, LabelOfAClosedPageStillReceivesItsOutcome) {
  GtkLabel* held = nullptr;
  {
    Gtk::Window window;
    auto* box = Gtk::make_managed<Gtk::Box>();
    auto* label = Gtk::make_managed<Gtk::Label>();
    box->append(*label);
    window.set_child(*box);
    // Our own hold on the GObject, to read the text once the page is gone.
    held = GTK_LABEL(g_object_ref(label->gobj()));
    run_with_status("sleep 0.2", *label);
  }
  testing::drain_main_loop();
  EXPECT_TRUE(loop_until([&] { return std::string(gtk_label_get_text(held)) != kRunning; }));
  EXPECT_EQ(std::string(gtk_label_get_text(held)), kDone);
  g_object_unref(held);
}

}  // namespace
}  // namespace marlguide::services
