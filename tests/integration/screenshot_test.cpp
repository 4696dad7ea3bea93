// Screenshot runs of the real binary, captured by the real grim on the headless compositor.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "harness.hpp"
#include "screen.hpp"

namespace marlguide::testing {
namespace {

using ::testing::HasSubstr;

class Screenshot : public AppTest {
 protected:
  // A folder first on PATH holding a `grim` that fails with the given error output.
  void fake_failing_grim(const std::string& error_text) {
    const fs::path bin = home() / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "grim") << "#!/bin/sh\nprintf '" << error_text << "' >&2\nexit 3\n";
    fs::permissions(bin / "grim", fs::perms::owner_all);
    env_["PATH"] = bin.string() + ":" + std::getenv("PATH");
  }
};

TEST_F(Screenshot, EachPageIsCapturedIntoAFolderMadeForIt) {
  std::vector<Image> shots;
  for (const std::string view : {"home", "learn", "ask"}) {
    const fs::path out = home() / "shots" / view / "nested" / (view + ".png");
    Process& p = run({"--screenshot", view, "--output", out.string()}, 20000ms);
    ASSERT_EQ(p.wait_exit(0ms), 0) << view << ": " << p.stderr_text();
    EXPECT_EQ(p.stderr_text(), "") << view;
    auto img = read_png(out);
    ASSERT_TRUE(img) << view;
    EXPECT_EQ(img->width, 1920);
    EXPECT_EQ(img->height, 1080);
    shots.push_back(*img);
  }
  // Each run showed its own page.
  EXPECT_NE(shots[0].pixels, shots[1].pixels);
  EXPECT_NE(shots[1].pixels, shots[2].pixels);
  EXPECT_NE(shots[0].pixels, shots[2].pixels);
}

TEST_F(Screenshot, WizardIsCapturedOverTheMainWindow) {
  const fs::path home_png = home() / "home.png", wizard_png = home() / "new" / "wizard.png";
  ASSERT_EQ(run({"--screenshot", "home", "--output", home_png.string()}, 20000ms).wait_exit(0ms),
            0);
  Process& p = start({"--screenshot", "troubleshoot-wizard", "--output", wizard_png.string()});
  // The main window comes first, then the wizard as a second window of the same process.
  EXPECT_TRUE(wait_until(
      [&] {
        int mine = 0;
        for (const auto& w : sway_windows()) mine += w.pid == p.pid();
        return mine == 2;
      },
      10000ms));
  ASSERT_EQ(p.wait_exit(20000ms), 0) << p.stderr_text();
  EXPECT_EQ(p.stderr_text(), "");
  auto home_img = read_png(home_png), wizard_img = read_png(wizard_png);
  ASSERT_TRUE(home_img && wizard_img);
  EXPECT_EQ(wizard_img->width, 1920);
  EXPECT_NE(home_img->pixels, wizard_img->pixels) << "the wizard is on the picture";
}

TEST_F(Screenshot, SizeSetsTheCapturedRectangle) {
  const fs::path out = home() / "small.png";
  Process& p =
      run({"--screenshot", "home", "--output", out.string(), "--width", "800", "--height", "600"},
          20000ms);
  ASSERT_EQ(p.wait_exit(0ms), 0) << p.stderr_text();
  auto img = read_png(out);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 800);
  EXPECT_EQ(img->height, 600);
}

TEST_F(Screenshot, GrimFailureNamesTheGeometryAndItsTrimmedError) {
  fake_failing_grim("  \\n no output here\\n\\n");
  Process& p = run({"--screenshot", "learn", "--output", (home() / "x.png").string(), "--width",
                    "800", "--height", "600"},
                   20000ms);
  EXPECT_EQ(p.wait_exit(0ms), 1);
  EXPECT_EQ(p.stderr_text(),
            "marlguide: screenshot capture failed: grim failed for geometry 0,0 800x600: "
            "no output here\n");
}

TEST_F(Screenshot, MissingGrimFailsWithEmptyReason) {
  env_["PATH"] = (home() / "empty-bin").string();
  Process& p = run({"--screenshot", "home", "--output", (home() / "x.png").string()}, 20000ms);
  EXPECT_EQ(p.wait_exit(0ms), 1);
  EXPECT_EQ(p.stderr_text(),
            "marlguide: screenshot capture failed: grim failed for geometry 0,0 1920x1080: \n");
}

TEST_F(Screenshot, UnknownViewListsTheKnownOnes) {
  Process& p = run({"--screenshot", "Home", "--output", (home() / "x.png").string()});
  EXPECT_EQ(p.wait_exit(0ms), 1);
  EXPECT_EQ(p.stderr_text(),
            "marlguide: unknown screenshot view 'Home' (known: home, learn, ask, "
            "troubleshoot-wizard)\n");
  EXPECT_TRUE(app_windows().empty());
  EXPECT_FALSE(fs::exists(home() / "x.png"));
}

TEST_F(Screenshot, UncreatableFolderIsReported) {
  std::ofstream(home() / "plain-file") << "x";
  const fs::path out = home() / "plain-file" / "sub" / "x.png";
  Process& p = run({"--screenshot", "home", "--output", out.string()}, 20000ms);
  EXPECT_EQ(p.wait_exit(0ms), 1);
  EXPECT_EQ(p.stderr_text(),
            "marlguide: screenshot capture failed: creating " + out.parent_path().string() + "\n");
}

TEST_F(Screenshot, RunsInItsOwnProcessBesideAnOpenInstance) {
  Process& primary = start({});
  ASSERT_TRUE(wait_for_windows(1));
  const fs::path out = home() / "beside.png";
  Process& shot = start({"--screenshot", "ask", "--output", out.string()});
  // The screenshot process maps a window of its own.
  EXPECT_TRUE(wait_until([&] {
    for (const auto& w : app_windows())
      if (w.pid == shot.pid()) return true;
    return false;
  }));
  EXPECT_EQ(shot.wait_exit(20000ms), 0) << shot.stderr_text();
  EXPECT_TRUE(read_png(out).has_value());
  EXPECT_TRUE(primary.running());
  EXPECT_EQ(primary.stderr_text(), "");
}

}  // namespace
}  // namespace marlguide::testing
