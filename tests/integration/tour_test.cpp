// The guided tour as a user lives it: the real binary on the headless compositor, the stand-in
// hyprctl turning the tour's temporary binding into a real sway binding, wtype pressing the
// key, and screenshots read back to see where the dimming and the card really are. Every
// screenshot of a run is kept under build/test-results/tour-evidence/<test>/.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <toml++/toml.hpp>
#include <unordered_map>

#include "harness.hpp"
#include "hyprctl_standin.hpp"
#include "screen.hpp"
#include "test_files.hpp"

namespace marlguide::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using Call = std::vector<std::string>;

constexpr const char* kBackdrop = "com.marlworks.probe.backdrop";
constexpr const char* kTarget = "com.marlworks.probe.target";
constexpr const char* kLate = "com.marlworks.probe.late";
constexpr std::uint32_t kWhite = 0xffffff;
constexpr std::uint32_t kTargetColour = 0xff8800;
constexpr std::uint32_t kLateColour = 0xc000c0;
constexpr int kScreenW = 1920, kScreenH = 1080;

int red(std::uint32_t px) { return (px >> 16) & 0xff; }
int green(std::uint32_t px) { return (px >> 8) & 0xff; }
int blue(std::uint32_t px) { return px & 0xff; }

// The white backdrop seen through the mask: 35% of white, a neutral grey.
bool dimmed(std::uint32_t px) {
  return red(px) >= 80 && red(px) <= 98 && red(px) == green(px) && green(px) == blue(px);
}

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int cx() const { return (left + right) / 2; }
  int cy() const { return (top + bottom) / 2; }
};

std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "[" << b.left << "," << b.top << " - " << b.right << "," << b.bottom << ")";
}

std::optional<Box> box_where(const Image& img, Box within,
                             const std::function<bool(std::uint32_t)>& wanted) {
  std::optional<Box> found;
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x) {
      if (!wanted(img.at(x, y))) continue;
      if (!found) found = Box{x, y, x + 1, y + 1};
      found->left = std::min(found->left, x);
      found->top = std::min(found->top, y);
      found->right = std::max(found->right, x + 1);
      found->bottom = std::max(found->bottom, y + 1);
    }
  return found;
}

// A colour as it looks through the mask.
bool dimmed_from(std::uint32_t px, std::uint32_t colour) {
  const auto near = [](int got, int full) { return std::abs(got - full * 35 / 100) <= 4; };
  return near(red(px), red(colour)) && near(green(px), green(colour)) &&
         near(blue(px), blue(colour));
}

bool probe_colour(std::uint32_t px) { return px == kTargetColour || px == kLateColour; }

// Something the test put on screen, seen through the mask.
bool under_mask(std::uint32_t px) {
  return dimmed(px) || dimmed_from(px, kTargetColour) || dimmed_from(px, kLateColour);
}

// What the test itself put on screen: the backdrop and the probe windows, bare or dimmed.
bool scenery(std::uint32_t px) { return px == kWhite || probe_colour(px) || under_mask(px); }

// The callout card: the extent of the most common colour on screen that is not scenery. None
// when no card is on screen.
std::optional<Box> card(const Image& img) {
  std::unordered_map<std::uint32_t, int> counts;
  for (auto px : img.pixels)
    if (!scenery(px)) ++counts[px];
  std::uint32_t colour = 0;
  int most = 0;
  for (const auto& [px, n] : counts)
    if (n > most) most = n, colour = px;
  if (most < 20000) return std::nullopt;
  return box_where(img, {0, 0, img.width, img.height},
                   [colour](std::uint32_t px) { return px == colour; });
}

// The suggested "Next"/"Finish" button: the blue of the accent inside the card.
std::optional<Box> main_button(const Image& img, const Box& in) {
  return box_where(img, in, [](std::uint32_t px) {
    return blue(px) > red(px) + 80 && blue(px) > green(px) + 30;
  });
}

// The "Show me" button: a plain button above the row of Back and Next, found as the first row
// of the card holding a long run of near-white pixels, which text never has.
std::optional<Box> show_me_button(const Image& img, const Box& card) {
  const auto main = main_button(img, card);
  if (!main) return std::nullopt;
  const Box in{card.left, card.top, card.right, main->top - 4};
  const auto light = [&](int x, int y) {
    const auto px = img.at(x, y);
    return red(px) > 225 && green(px) > 225 && blue(px) > 225;
  };
  for (int y = in.top; y < in.bottom; ++y) {
    int run = 0;
    for (int x = in.left; x < in.right; ++x) {
      run = light(x, y) ? run + 1 : 0;
      if (run < 40) continue;
      int right = x;
      while (right + 1 < in.right && light(right + 1, y)) ++right;
      int bottom = y;
      while (bottom + 1 < in.bottom && light(x, bottom + 1)) ++bottom;
      return Box{x - run + 1, y, right + 1, bottom + 1};
    }
  }
  return std::nullopt;
}

// Pixels of the coloured confirmation line: everything else above the buttons (title, body,
// key chip, counter) is white or grey.
int confirmation_ink(const Image& img, const Box& in) {
  const auto button = main_button(img, in);
  const int bottom = button ? button->top : in.bottom;
  int n = 0;
  for (int y = in.top; y < bottom; ++y)
    for (int x = in.left; x < in.right; ++x) {
      const auto px = img.at(x, y);
      const int spread =
          std::max({red(px), green(px), blue(px)}) - std::min({red(px), green(px), blue(px)});
      if (spread > 60 && !scenery(px)) ++n;
    }
  return n;
}

bool centred(const Box& b) {
  return std::abs(b.cx() - kScreenW / 2) <= 2 && std::abs(b.cy() - kScreenH / 2) <= 2;
}

// Whether exactly the rectangle is uncovered: its colour shows just inside each edge and the
// dimmed backdrop just outside (where the screen goes on).
::testing::AssertionResult spotlit(const Image& img, const SwayWindow& w, std::uint32_t colour) {
  const int x0 = w.x, y0 = w.y, x1 = w.x + w.width, y1 = w.y + w.height;
  const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
  struct Probe {
    int x, y;
    bool inside;
  };
  std::vector<Probe> probes = {
      {x0, my, true}, {x1 - 1, my, true}, {mx, y0, true}, {mx, y1 - 1, true}, {mx, my, true}};
  if (x0 > 0) probes.push_back({x0 - 1, my, false});
  if (x1 < kScreenW) probes.push_back({x1, my, false});
  if (y0 > 0) probes.push_back({mx, y0 - 1, false});
  if (y1 < kScreenH) probes.push_back({mx, y1, false});
  for (const auto& p : probes) {
    const auto px = img.at(p.x, p.y);
    if (p.inside ? px != colour : !under_mask(px))
      return ::testing::AssertionFailure()
             << "pixel " << p.x << "," << p.y << " is " << std::hex << px << std::dec
             << (p.inside ? ", expected the window's own colour" : ", expected dimmed");
  }
  return ::testing::AssertionSuccess();
}

bool fully_dimmed(const Image& img) {
  for (auto [x, y] : {std::pair{10, 10},
                      {kScreenW - 10, 10},
                      {10, kScreenH - 10},
                      {kScreenW - 10, kScreenH - 10},
                      {kScreenW / 2, 10}})
    if (!dimmed(img.at(x, y))) return false;
  return true;
}

class TourTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    standin_ = std::make_unique<HyprctlStandin>(home());
    for (const auto& [k, v] : standin_->env()) env_[k] = v;
    // The binding runs `marlguide --tour-event` and "Show me" runs `probe-window`: the ones
    // just built, found on PATH.
    env_["PATH"] = HyprctlStandin::directory().string() + ":" + build_root().string() + ":" +
                   (build_root() / "tests/integration").string() + ":" + std::getenv("PATH");
    env_["MARLGUIDE_CONTENT_DIR"] = (source_root() / "content").string();

    const auto tours = home() / ".local/share/marlguide/content/tours";
    fs::create_directories(tours);
    fs::copy_file(source_root() / "tests/integration/fixtures/tour.toml",
                  tours / "onboarding.toml");
    fs::create_directories(home() / ".config/hypr");
    std::ofstream(home() / ".config/hypr/binds.json") << nlohmann::json{
        {"bindings",
         {{{"action", "exec"},
           {"command", "touch " + pressed().string()},
           {"key", "U"},
           {"mods", {"SUPER", "SHIFT"}},
           {"label", "Leave a mark"}}}}}.dump(2);

    // The card and its buttons are found on screen by colour, so the test fixes them with a
    // runtime stylesheet of its own instead of depending on the generated palette.
    fs::create_directories(runtime_css_.parent_path());
    std::ofstream(runtime_css_) << kTestTheme;

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    evidence_ = build_root() / "test-results" / "tour-evidence" / info->name();
    fs::remove_all(evidence_);
    fs::create_directories(evidence_);

    // Windows of the probe classes float; the backdrop stays tiled under everything.
    ASSERT_TRUE(swaymsg({"for_window", "[app_id=com.marlworks.probe.late]", "floating", "enable"}));
  }

  void TearDown() override {
    for (auto& p : probes_) p->kill_now();
    // A probe that "Show me" started belongs to no Process of this test.
    if (auto shown = window_of(kLate); shown && shown->pid > 0) ::kill(shown->pid, SIGTERM);
    EXPECT_TRUE(wait_until([] { return !window_of(kLate); }));
    std::error_code ignored;
    fs::remove(runtime_css_, ignored);
    AppTest::TearDown();
  }

  static constexpr const char* kTestTheme =
      "@define-color bg #0c0c0c;\n@define-color on-bg #f5f5f5;\n"
      "@define-color surface #1c1c1c;\n@define-color on-surface #f5f5f5;\n"
      "@define-color accent #3584e4;\n@define-color on-accent #ffffff;\n"
      "@define-color green #33d17a;\n"
      "window { background-color: @bg; color: @on-bg; }\n"
      "button { background-image: none; background-color: #f0f0f0; color: #1c1c1c; }\n"
      "button.flat { background-color: transparent; color: @on-surface; }\n"
      "button.suggested-action { background-color: @accent; color: @on-accent; }\n";
  const fs::path runtime_css_ = fs::path(std::getenv("XDG_RUNTIME_DIR")) / "marl" / "theme.css";

  fs::path pressed() const { return home() / "pressed"; }
  void write_state(const std::string& text) const {
    fs::create_directories(state_path().parent_path());
    std::ofstream(state_path()) << text;
  }
  fs::path state_path() const { return home() / ".config/marlguide/state.toml"; }
  std::string saved_binding() const { return "SUPER_SHIFT,U,exec,touch " + pressed().string(); }
  std::string tour_binding() const {
    return "SUPER_SHIFT,U,exec,sh -c 'touch " + pressed().string() +
           " ; marlguide --tour-event probe-pressed'";
  }

  // A probe window; waits until sway shows it.
  SwayWindow open_probe(const char* app_id, std::uint32_t colour, int w = -1, int h = -1) {
    char css[8];
    std::snprintf(css, sizeof css, "#%06x", colour);
    std::vector<std::string> argv{(build_root() / "tests/integration/probe-window").string(),
                                  app_id, css};
    if (w > 0) argv.insert(argv.end(), {std::to_string(w), std::to_string(h)});
    probes_.push_back(std::make_unique<Process>(
        argv, env_, home() / "logs" / ("probe-" + std::to_string(probes_.size()))));
    std::optional<SwayWindow> shown;
    EXPECT_TRUE(wait_until([&] { return (shown = window_of(app_id)).has_value(); }, 10s)) << app_id;
    return shown.value_or(SwayWindow{});
  }

  static std::optional<SwayWindow> window_of(const std::string& app_id) {
    for (auto& w : sway_windows())
      if (w.app_id == app_id) return w;
    return std::nullopt;
  }

  // Floats the probe at the rectangle and waits until sway has it there. A window still busy
  // with its first frames can miss the resize, so the commands are given again until it holds.
  SwayWindow place(const char* app_id, int x, int y, int w, int h) {
    const std::string criteria = std::string("[app_id=") + app_id + "]";
    std::optional<SwayWindow> placed;
    bool there = false;
    for (int attempt = 0; attempt < 3 && !there; ++attempt) {
      EXPECT_TRUE(swaymsg({criteria, "floating", "enable"}));
      EXPECT_TRUE(swaymsg({criteria, "resize", "set", std::to_string(w), std::to_string(h)}));
      EXPECT_TRUE(swaymsg({criteria, "move", "position", std::to_string(x), std::to_string(y)}));
      there = wait_until([&] {
        placed = window_of(app_id);
        return placed && placed->x == x && placed->y == y && placed->width == w &&
               placed->height == h;
      });
    }
    EXPECT_TRUE(there) << app_id << " did not take its place";
    return placed.value_or(SwayWindow{});
  }

  // Captures the screen until `seen` holds for it (or the time is up); the last capture stays
  // in the evidence folder under `name`.
  std::optional<Image> wait_for_screen(const std::string& name,
                                       const std::function<bool(const Image&)>& seen,
                                       std::chrono::milliseconds timeout = 10s) {
    const auto path = evidence_ / (name + ".png");
    std::optional<Image> last;
    const bool ok = wait_until(
        [&] {
          last = capture_screen(path);
          return last && seen(*last);
        },
        timeout);
    fs::remove(path.string() + ".log/stdout");
    fs::remove(path.string() + ".log/stderr");
    fs::remove(path.string() + ".log");
    if (!ok) ADD_FAILURE() << "the screen never showed " << name << "; see " << path;
    return ok ? last : std::nullopt;
  }

  // The compositor has no pointer of its own; the stand-in becomes one for the click.
  void click(int x, int y) {
    Process p({(source_root() / "tools/pointer-standin/click").string(), std::to_string(x),
               std::to_string(y)},
              {}, home() / "logs" / ("click-" + std::to_string(++clicks_)));
    ASSERT_EQ(p.wait_exit(), 0) << p.stderr_text();
  }

  void click_main_button(const Image& img) {
    const auto c = card(img);
    ASSERT_TRUE(c.has_value());
    const auto b = main_button(img, *c);
    ASSERT_TRUE(b.has_value()) << "no Next/Finish button in the card " << *c;
    click(b->cx(), b->cy());
  }

  // Types the keys in one go. A fresh virtual keyboard loses keys sent before its keymap has
  // reached the client, so the keys wait a moment first.
  void keys(std::vector<std::string> args) {
    args.insert(args.begin(), {"wtype", "-s", "300"});
    Process p(args, {}, home() / "logs" / ("wtype-" + std::to_string(++wtypes_)));
    ASSERT_EQ(p.wait_exit(), 0);
  }

  // Presses super + shift + u until the bound command has run.
  bool press_bound_key() {
    return wait_until(
        [&] {
          keys({"-M", "logo", "-M", "shift", "u", "-m", "shift", "-m", "logo"});
          return wait_until([&] { return fs::exists(pressed()); }, 500ms);
        },
        15s);
  }

  std::optional<toml::table> state() const {
    try {
      return toml::parse(read_file(state_path()));
    } catch (const toml::parse_error&) {
      return std::nullopt;
    }
  }
  std::optional<std::int64_t> saved_step() const {
    auto s = state();
    return s ? (*s)["onboarding"]["step"].value<std::int64_t>() : std::nullopt;
  }
  bool completed() const {
    auto s = state();
    return s && (*s)["onboarding"]["completed"].value_or(false);
  }
  // The pending record (key part, saved text) when both keys are there.
  std::optional<std::pair<std::string, std::string>> pending() const {
    auto s = state();
    if (!s) return std::nullopt;
    auto key = (*s)["tour"]["pending_rebind_key"].value<std::string>();
    auto original = (*s)["tour"]["pending_rebind_original"].value<std::string>();
    if (!key || !original) return std::nullopt;
    return std::pair{*key, *original};
  }
  bool has_tour_key() const {
    auto s = state();
    return s && ((*s)["tour"]["pending_rebind_key"] || (*s)["tour"]["pending_rebind_original"]);
  }

  std::vector<Call> binds() const {
    std::vector<Call> out;
    for (auto& c : standin_->calls())
      if (c.size() >= 2 && c[0] == "keyword" && c[1] == "bind") out.push_back(c);
    return out;
  }

  std::unique_ptr<HyprctlStandin> standin_;
  std::vector<std::unique_ptr<Process>> probes_;
  fs::path evidence_;
  int wtypes_ = 0;
  int clicks_ = 0;
};

TEST_F(TourTest, AutostartRunsTheWholeTourOnTheRealScreen) {
  open_probe(kBackdrop, kWhite);
  open_probe(kTarget, kTargetColour);
  const SwayWindow target = place(kTarget, 100, 50, 800, 600);
  Process& primary = start({"--autostart"});

  // 1. No state file: the tour starts at its first step, spotlighting the window.
  wait_for_screen("01-spotlight", [&](const Image& img) {
    const auto c = card(img);
    return c && c->left == 100 && c->top == 662 && spotlit(img, target, kTargetColour);
  });
  EXPECT_EQ(saved_step(), 0);
  EXPECT_TRUE(app_windows().empty()) << "the main window stays hidden";

  // 2. The next step's window is missing: a centred card over a full mask, and a poll.
  auto shot = capture_screen(home() / "scratch.png");
  ASSERT_TRUE(shot.has_value());
  click_main_button(*shot);
  EXPECT_TRUE(wait_until([&] { return saved_step() == 1; }));
  wait_for_screen("02-waiting-for-the-window", [&](const Image& img) {
    const auto c = card(img);
    return c && centred(*c) && fully_dimmed(img) &&
           img.at(target.x + 10, target.y + 10) != kTargetColour;
  });
  // Polled again and again (every 400 ms; the bound allows for a slow machine or sanitizers).
  const auto polls_before = standin_->calls().size();
  EXPECT_TRUE(wait_until([&] { return standin_->calls().size() >= polls_before + 2; }, 3s))
      << standin_->calls().size() - polls_before << " polls";

  // Once the window opens, the card moves beside it and the dimming leaves it uncovered.
  const SwayWindow late = open_probe(kLate, kLateColour, 600, 400);
  wait_for_screen("03-window-appeared", [&](const Image& img) {
    const auto now = window_of(kLate).value_or(late);
    const auto c = card(img);
    return c && c->left == std::min(now.x, kScreenW - 380) && c->top == now.y + now.height + 12 &&
           spotlit(img, now, kLateColour);
  });

  // 3. The key step rebinds the user's key through hyprctl, after recording the way back.
  shot = capture_screen(home() / "scratch.png");
  ASSERT_TRUE(shot.has_value());
  click_main_button(*shot);
  EXPECT_TRUE(wait_until([&] { return pending().has_value(); }));
  EXPECT_EQ(pending(), (std::pair{std::string("SUPER_SHIFT,U"), saved_binding()}));
  EXPECT_TRUE(wait_until([&] { return !binds().empty(); }));
  EXPECT_EQ(binds(), (std::vector<Call>{{"keyword", "bind", tour_binding()}}));
  const auto before = wait_for_screen("04-press-the-key", [&](const Image& img) {
    const auto c = card(img);
    return c && centred(*c) && fully_dimmed(img) && confirmation_ink(img, *c) == 0;
  });
  ASSERT_TRUE(before.has_value());
  const int plain_height = card(*before)->bottom - card(*before)->top;

  // The user presses it: the program runs, then the event reaches the running instance.
  ASSERT_TRUE(press_bound_key()) << "the bound command never ran";
  wait_for_screen("05-nice-work", [&](const Image& img) {
    const auto c = card(img);
    return c && centred(*c) && fully_dimmed(img) && confirmation_ink(img, *c) > 50 &&
           c->bottom - c->top > plain_height;
  });
  EXPECT_EQ(saved_step(), 2) << "the event confirms the step; it does not advance";

  // 4. "Next" puts the user's binding back and forgets the record.
  shot = capture_screen(home() / "scratch.png");
  ASSERT_TRUE(shot.has_value());
  click_main_button(*shot);
  EXPECT_TRUE(wait_until([&] { return saved_step() == 3; }));
  EXPECT_TRUE(wait_until([&] { return binds().size() == 2; }));
  EXPECT_EQ(binds(), (std::vector<Call>{{"keyword", "bind", tour_binding()},
                                        {"keyword", "bind", saved_binding()}}));
  EXPECT_FALSE(has_tour_key()) << read_file(state_path());
  const auto last = wait_for_screen("06-last-step", [&](const Image& img) {
    const auto c = card(img);
    return c && centred(*c) && confirmation_ink(img, *c) == 0;
  });
  ASSERT_TRUE(last.has_value());

  // "Finish" ends the tour and marks it completed; the saved step stays.
  click_main_button(*last);
  EXPECT_TRUE(wait_until([&] { return completed(); }));
  EXPECT_EQ(saved_step(), 3);
  wait_for_screen("07-finished",
                  [&](const Image& img) { return !card(img) && img.at(10, 10) == kWhite; });

  // A later --autostart shows nothing.
  Process& again = run({"--autostart"});
  EXPECT_EQ(again.wait_exit(0ms), 0);
  std::this_thread::sleep_for(1s);
  wait_for_screen("08-autostart-after-finishing",
                  [&](const Image& img) { return !card(img) && img.at(10, 10) == kWhite; });
  EXPECT_TRUE(primary.running());
  EXPECT_THAT(primary.stderr_text(), Not(HasSubstr("CRITICAL")));
  EXPECT_THAT(primary.stderr_text(), Not(HasSubstr("WARNING")));
}

TEST_F(TourTest, AKilledTourPutsTheBindingBackFirstWhenStartedAgain) {
  open_probe(kBackdrop, kWhite);
  write_state("onboarding = { step = 2 }\n");
  Process& first = start({"--autostart"});
  EXPECT_TRUE(wait_until([&] { return binds().size() == 1; }));
  EXPECT_EQ(pending(), (std::pair{std::string("SUPER_SHIFT,U"), saved_binding()}));
  wait_for_screen("01-rebind-step", [&](const Image& img) { return card(img).has_value(); });

  // A crash: no shutdown handler runs, the record stays.
  ::kill(first.pid(), SIGKILL);
  EXPECT_TRUE(first.wait_exit().has_value());
  EXPECT_TRUE(pending().has_value());
  wait_for_screen("02-after-the-crash",
                  [&](const Image& img) { return !card(img) && img.at(10, 10) == kWhite; });

  start({"--autostart"});
  EXPECT_TRUE(wait_until([&] { return binds().size() == 3; }));
  EXPECT_EQ(binds(), (std::vector<Call>{{"keyword", "bind", tour_binding()},
                                        {"keyword", "bind", saved_binding()},
                                        {"keyword", "bind", tour_binding()}}))
      << "the saved binding goes back before the step binds the key again";
  EXPECT_EQ(pending(), (std::pair{std::string("SUPER_SHIFT,U"), saved_binding()}));
  wait_for_screen("03-resumed", [&](const Image& img) { return card(img).has_value(); });
}

TEST_F(TourTest, ARestartWithoutTheTourPutsTheBindingBackAndForgetsIt) {
  open_probe(kBackdrop, kWhite);
  write_state("onboarding = { step = 2 }\n");
  Process& first = start({"--autostart"});
  // The binding is recorded first and replaced right after; the kill comes once both are done.
  EXPECT_TRUE(wait_until([&] { return pending().has_value() && binds().size() == 1; }));
  ::kill(first.pid(), SIGKILL);
  first.wait_exit();

  // Opening the help centre normally: the binding is put back when the window is built.
  start({});
  ASSERT_TRUE(wait_for_windows(1));
  EXPECT_TRUE(wait_until([&] { return binds().size() == 2; }));
  EXPECT_EQ(binds().back(), (Call{"keyword", "bind", saved_binding()}));
  EXPECT_FALSE(has_tour_key());

  // The key now runs the user's own command again, through the real compositor binding.
  ASSERT_TRUE(press_bound_key());
  EXPECT_EQ(saved_step(), 2);
}

TEST_F(TourTest, AScreenshotBesideARunningTourLeavesItsBindingAlone) {
  open_probe(kBackdrop, kWhite);
  write_state("onboarding = { step = 2 }\n");
  Process& tour = start({"--autostart"});
  ASSERT_TRUE(wait_until([&] { return pending().has_value() && binds().size() == 1; }));
  const auto recorded = pending();

  // A screenshot run is a process of its own that builds a main window too.
  const fs::path out = home() / "beside-the-tour.png";
  Process& shot = start({"--screenshot", "home", "--output", out.string()});
  EXPECT_EQ(shot.wait_exit(20000ms), 0) << shot.stderr_text();
  EXPECT_EQ(binds().size(), 1u) << "the screenshot run put the user's binding back mid-tour";
  EXPECT_EQ(pending(), recorded);
  EXPECT_TRUE(tour.running());
}

TEST_F(TourTest, AMissingWindowIsOfferedWithShowMeAfterTenSeconds) {
  open_probe(kBackdrop, kWhite);
  write_state("onboarding = { step = 1 }\n");
  start({"--autostart"});
  const auto waiting = wait_for_screen("01-waiting", [&](const Image& img) {
    const auto c = card(img);
    return c && centred(*c) && !show_me_button(img, *c);
  });
  ASSERT_TRUE(waiting.has_value());
  const int plain_height = card(*waiting)->bottom - card(*waiting)->top;

  // The hint row arrives after ten seconds and makes the card taller.
  const auto hint = wait_for_screen(
      "02-still-there",
      [&](const Image& img) {
        const auto c = card(img);
        return c && centred(*c) && c->bottom - c->top > plain_height + 20 &&
               show_me_button(img, *c);
      },
      15s);
  ASSERT_TRUE(hint.has_value());
  const auto show_me = *show_me_button(*hint, *card(*hint));

  // "Show me" starts the step's program; the poll then finds its window.
  click(show_me.cx(), show_me.cy());
  wait_for_screen("03-shown", [&](const Image& img) {
    const auto late = window_of(kLate);
    const auto c = card(img);
    return late && c && c->top == late->y + late->height + 12 && spotlit(img, *late, kLateColour);
  });
  EXPECT_EQ(saved_step(), 1);
}

TEST_F(TourTest, TheCalloutWorksFromTheKeyboardAlone) {
  open_probe(kBackdrop, kWhite);
  write_state("onboarding = { step = 2 }\n");
  start({"--autostart"});
  wait_for_screen("01-press-the-key", [&](const Image& img) { return card(img).has_value(); });
  // The event arrives: "Next" takes the focus inside the card.
  run({"--tour-event", "probe-pressed"});
  const auto confirmed = wait_for_screen("02-confirmed", [&](const Image& img) {
    const auto c = card(img);
    return c && confirmation_ink(img, *c) > 50;
  });
  ASSERT_TRUE(confirmed.has_value());

  // The card takes the keyboard when it is clicked (on its title, which does nothing else).
  const auto c = *card(*confirmed);
  click(c.left + 40, c.top + 24);
  // From "Next" back to "Back", and press it.
  keys({"-M", "shift", "-k", "Tab", "-m", "shift", "-s", "100", "-k", "Return"});
  EXPECT_TRUE(wait_until([&] { return saved_step() == 1; })) << "Enter pressed the focused Back";

  const auto back = wait_for_screen("03-back-one-step", [&](const Image& img) {
    const auto b = card(img);
    return b && confirmation_ink(img, *b) == 0;
  });
  ASSERT_TRUE(back.has_value());
  const auto b = *card(*back);
  click(b.left + 40, b.top + 24);
  keys({"-k", "Escape"});
  EXPECT_TRUE(wait_until([&] { return completed(); })) << "Escape skips the tour";
  EXPECT_EQ(saved_step(), 1);
  wait_for_screen("04-skipped",
                  [&](const Image& img) { return !card(img) && img.at(10, 10) == kWhite; });
}

}  // namespace
}  // namespace marlguide::testing
