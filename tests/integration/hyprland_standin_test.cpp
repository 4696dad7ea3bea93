// The Hyprland client against the stand-in hyprctl on the headless compositor: queries answer
// sway's real windows and outputs, and a run-time binding reacts to real key presses.

#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include <array>
#include <chrono>
#include <fstream>
#include <optional>

#include "gtk_app.hpp"
#include "harness.hpp"
#include "hyprctl_standin.hpp"
#include "services/hyprland.hpp"

namespace marlguide::services {
namespace {

namespace fs = std::filesystem;
using marlguide::testing::loop_until;
using namespace std::chrono_literals;
using marlguide::testing::HyprctlStandin;
using marlguide::testing::sway_windows;
using marlguide::testing::swaymsg;
using marlguide::testing::SwayWindow;

constexpr const char* kAppId = "com.marlworks.marlguide.tests";

std::optional<SwayWindow> test_window() {
  for (auto& w : sway_windows())
    if (w.app_id == kAppId) return w;
  return std::nullopt;
}

std::string connector(const Glib::RefPtr<Gdk::Monitor>& m) {
  return m && m->gobj() && gdk_monitor_get_connector(m->gobj())
             ? gdk_monitor_get_connector(m->gobj())
             : "";
}

guint gdk_monitor_count(const Glib::RefPtr<Gdk::Display>& display) {
  return g_list_model_get_n_items(gdk_display_get_monitors(display->gobj()));
}

std::string focused_output() {
  // The output sway itself calls focused, read without going through the stand-in.
  std::string name;
  auto out = run_captured("swaymsg", {"-r", "-t", "get_outputs"}, 3000ms);
  for (const auto& o : nlohmann::json::parse(out.stdout))
    if (o.value("focused", false)) name = o["name"];
  return name;
}

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/marlguide-standin.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    standin_ = std::make_unique<HyprctlStandin>(dir_);
    standin_->install();
    display_ = Gdk::Display::get_default();
    ASSERT_TRUE(display_);
  }
  void TearDown() override {
    if (window_) {
      window_->destroy();
      window_.reset();
      loop_until([] { return !test_window(); }, 5s);
    }
    standin_.reset();
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // A real window of this process, floated by sway to the given rectangle.
  SwayWindow open_window(int x, int y, int w, int h) {
    window_ = std::make_unique<Gtk::Window>();
    window_->set_title("hyprctl stand-in probe");
    window_->set_application(testing::test_application());
    window_->present();
    EXPECT_TRUE(loop_until([] { return test_window().has_value(); }));
    const std::string criteria = std::string("[app_id=") + kAppId + "]";
    EXPECT_TRUE(swaymsg({criteria, "floating", "enable"}));
    EXPECT_TRUE(swaymsg({criteria, "resize", "set", std::to_string(w), std::to_string(h)}));
    EXPECT_TRUE(swaymsg({criteria, "move", "position", std::to_string(x), std::to_string(y)}));
    std::optional<SwayWindow> placed;
    EXPECT_TRUE(loop_until([&] {
      placed = test_window();
      return placed && placed->x == x && placed->y == y && placed->width == w &&
             placed->height == h;
    }));
    return placed.value_or(SwayWindow{});
  }

  fs::path dir_;
  std::unique_ptr<HyprctlStandin> standin_;
  Glib::RefPtr<Gdk::Display> display_;
  std::unique_ptr<Gtk::Window> window_;
};

TEST_F(StandinTest, MonitorsDescribeSwaysOutputs) {
  const auto got = monitors();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (Monitor{0, "HEADLESS-1", 0, 0, 1920, 1080, true}));
  EXPECT_EQ(connector(focused_monitor(display_)), "HEADLESS-1");
  EXPECT_EQ(monitor_by_connector(display_, "HEADLESS-1"),
            Glib::wrap(
                GDK_MONITOR(g_list_model_get_item(gdk_display_get_monitors(display_->gobj()), 0))));
  EXPECT_FALSE(monitor_by_connector(display_, "HEADLESS-9"));
  EXPECT_FALSE(monitor_by_connector(display_, ""));
  EXPECT_EQ(standin_->calls(),
            (std::vector<std::vector<std::string>>{{"-j", "monitors"}, {"-j", "monitors"}}));
}

TEST_F(StandinTest, PlacementOfARealWindowIsItsRectangleOnItsOutput) {
  const auto shown = open_window(100, 50, 640, 480);
  const StepTarget target{StepTarget::Kind::WindowClass, "COM.MarlWorks.MarlGuide.Tests"};
  EXPECT_TRUE(target_present(target));
  auto placement = target_placement(target, display_);
  ASSERT_TRUE(placement.has_value());
  EXPECT_EQ(connector(placement->monitor), "HEADLESS-1");
  EXPECT_EQ(placement->monitor, monitor_by_connector(display_, "HEADLESS-1"));
  EXPECT_EQ((std::array{placement->x, placement->y, placement->w, placement->h}),
            (std::array{shown.x, shown.y, shown.width, shown.height}));
  EXPECT_FALSE(target_present({StepTarget::Kind::WindowClass, "firefox"}));
  EXPECT_FALSE(target_placement({StepTarget::Kind::WindowClass, "firefox"}, display_));
}

TEST_F(StandinTest, WindowOnASecondOutputIsPlacedOnThatOutput) {
  ASSERT_TRUE(swaymsg({"create_output"}));
  EXPECT_TRUE(loop_until([&] { return gdk_monitor_count(display_) == 2; }));
  open_window(200, 100, 500, 400);
  ASSERT_TRUE(swaymsg(
      {std::string("[app_id=") + kAppId + "]", "move", "container", "to", "output", "HEADLESS-2"}));
  std::optional<SwayWindow> moved;
  EXPECT_TRUE(loop_until([&] {
    moved = test_window();
    return moved && moved->x >= 1920;
  }));

  const auto outputs = monitors();
  ASSERT_EQ(outputs.size(), 2u);
  EXPECT_EQ(outputs[1].name, "HEADLESS-2");
  EXPECT_EQ(outputs[1].id, 1);
  EXPECT_EQ(outputs[1].x, 1920);
  auto placement = target_placement({StepTarget::Kind::WindowClass, kAppId}, display_);
  ASSERT_TRUE(placement.has_value());
  EXPECT_EQ(connector(placement->monitor), "HEADLESS-2");
  ASSERT_TRUE(moved.has_value());
  // Positions are the layout's, as sway (and Hyprland) report them.
  EXPECT_EQ((std::array{placement->x, placement->y, placement->w, placement->h}),
            (std::array{moved->x, moved->y, moved->width, moved->height}));
  EXPECT_EQ(connector(focused_monitor(display_)), focused_output());

  ASSERT_TRUE(swaymsg({"output", "HEADLESS-2", "unplug"}));
  EXPECT_TRUE(loop_until([&] { return gdk_monitor_count(display_) == 1; }));
}

TEST_F(StandinTest, LayerSurfacesComeFromTheDeclaredFile) {
  EXPECT_TRUE(layers().empty()) << "nothing declared: every output with empty levels";
  EXPECT_FALSE(target_present({StepTarget::Kind::Namespace, "waybar"}));

  standin_->declare_layers({
      {"HEADLESS-1",
       {{"levels",
         {{"2", {{{"namespace", "waybar"}, {"x", 0}, {"y", 0}, {"w", 1920}, {"h", 40}}}}}}}},
      {"DP-9",
       {{"levels", {{"3", {{{"namespace", "ghost"}, {"x", 1}, {"y", 2}, {"w", 3}, {"h", 4}}}}}}}},
  });
  EXPECT_TRUE(target_present({StepTarget::Kind::Namespace, "waybar"}));
  EXPECT_FALSE(target_present({StepTarget::Kind::Namespace, "Waybar"}));
  auto bar = target_placement({StepTarget::Kind::Namespace, "waybar"}, display_);
  ASSERT_TRUE(bar.has_value());
  EXPECT_EQ(connector(bar->monitor), "HEADLESS-1");
  EXPECT_EQ((std::array{bar->x, bar->y, bar->w, bar->h}), (std::array{0, 0, 1920, 40}));
  // Listed, but on a monitor GDK does not have.
  EXPECT_TRUE(target_present({StepTarget::Kind::Namespace, "ghost"}));
  EXPECT_FALSE(target_placement({StepTarget::Kind::Namespace, "ghost"}, display_));

  standin_->declare_layers_text("{\"HEADLESS-1\": ");
  EXPECT_TRUE(layers().empty());
}

TEST_F(StandinTest, TemporaryBindingRunsItsCommandWhenTheKeysArePressed) {
  setenv("STANDIN_PROBE", "from the caller", 1);
  const auto first = dir_ / "first", second = dir_ / "second";
  // The shape of a tour rebind: a quoted shell command with ";" inside.
  const std::string binding = bind_keys("super + shift + u") +
                              ",exec,sh -c 'echo \"$STANDIN_PROBE\" > " + first.string() +
                              " ; echo it > " + second.string() + "'";
  keyword_bind(binding);
  EXPECT_TRUE(loop_until([&] { return standin_->calls().size() == 1; }));
  EXPECT_EQ(standin_->calls().at(0), (std::vector<std::string>{"keyword", "bind", binding}));

  // The binding is in place once the stand-in has finished; press until the command ran.
  const auto press_until = [](const fs::path& effect) {
    return loop_until(
        [&] {
          run_captured("wtype", {"-M", "logo", "-M", "shift", "u", "-m", "shift", "-m", "logo"},
                       3000ms);
          return loop_until([&] { return fs::exists(effect); }, 300ms);
        },
        15s);
  };
  EXPECT_TRUE(press_until(second));
  std::string probe;
  std::getline(std::ifstream(first), probe);
  EXPECT_EQ(probe, "from the caller");

  // Binding the same keys again replaces the command, as sway does.
  const auto third = dir_ / "third";
  keyword_bind("SUPER_SHIFT,U,exec,touch " + third.string());
  EXPECT_TRUE(press_until(third));
  fs::remove(second);
  fs::remove(third);
  EXPECT_TRUE(press_until(third));
  EXPECT_FALSE(fs::exists(second));
  unsetenv("STANDIN_PROBE");
}

TEST_F(StandinTest, UnsupportedRequestsFailAndAreRecorded) {
  EXPECT_FALSE(run_captured("hyprctl", {"-j", "activewindow"}, 3000ms).success);
  EXPECT_FALSE(run_captured("hyprctl", {"keyword", "bind", "HYPER,U,exec,true"}, 3000ms).success);
  EXPECT_EQ(standin_->calls(),
            (std::vector<std::vector<std::string>>{{"-j", "activewindow"},
                                                   {"keyword", "bind", "HYPER,U,exec,true"}}));
}

}  // namespace
}  // namespace marlguide::services
