// Entry of in-process GTK tests: registers a non-unique application on the compositor (which
// starts GTK) and runs the tests while it is registered.

#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/application.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <thread>

#include "gtk_app.hpp"

namespace marlguide::testing {

Glib::RefPtr<Gtk::Application>& test_application() {
  static Glib::RefPtr<Gtk::Application> app;
  return app;
}

void drain_main_loop() {
  auto ctx = Glib::MainContext::get_default();
  while (ctx->iteration(false)) {
  }
}

bool loop_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    drain_main_loop();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace marlguide::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Windows built here read and write state and colours only in folders of their own.
  char home[] = "/tmp/marlguide-gtk-test.XXXXXX";
  if (mkdtemp(home) == nullptr) return 2;
  setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (std::string(home) + "/cache").c_str(), 1);
  auto& app = marlguide::testing::test_application();
  app = Gtk::Application::create("com.marlworks.marlguide.tests",
                                 Gio::Application::Flags::NON_UNIQUE);
  app->register_application();
  const int status = RUN_ALL_TESTS();
  app.reset();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return status;
}
