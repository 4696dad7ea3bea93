// The floor of the start-up benchmark: the least a single-instance gtkmm application does to
// put a window of the help centre's size on screen, and to forward a later command line to
// its first instance.

#include <gtkmm/application.h>
#include <gtkmm/applicationwindow.h>

#include <memory>

int main(int argc, char** argv) {
  auto app = Gtk::Application::create("com.marlworks.marlguide.BenchFloor",
                                      Gio::Application::Flags::HANDLES_COMMAND_LINE);
  std::unique_ptr<Gtk::ApplicationWindow> window;
  app->signal_command_line().connect(
      [&](const Glib::RefPtr<Gio::ApplicationCommandLine>&) {
        if (!window) {
          window = std::make_unique<Gtk::ApplicationWindow>(app);
          window->set_title("MOS Help");
          window->set_default_size(880, 600);
          window->present();
        }
        return 0;
      },
      false);
  return app->run(argc, argv);
}
