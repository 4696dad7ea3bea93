// A plain window for tests to point the tour at: `probe-window APP_ID COLOUR [WIDTH HEIGHT]`
// shows one undecorated window of the given application id (the class the compositor
// reports), filled with the CSS colour and of the given default size, until it is killed.

#include <gtkmm/application.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/window.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::cerr << "usage: probe-window APP_ID COLOUR [WIDTH HEIGHT]\n";
    return 2;
  }
  const std::string app_id = argv[1], colour = argv[2];
  const int width = argc == 5 ? std::stoi(argv[3]) : -1;
  const int height = argc == 5 ? std::stoi(argv[4]) : -1;
  auto app = Gtk::Application::create(app_id, Gio::Application::Flags::NON_UNIQUE);
  app->signal_activate().connect([&] {
    auto css = Gtk::CssProvider::create();
    css->load_from_string("window.probe { background-color: " + colour + "; }");
    Gtk::StyleProvider::add_provider_for_display(Gdk::Display::get_default(), css,
                                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    auto* window = new Gtk::Window();
    window->set_decorated(false);
    window->set_title("probe " + app_id);
    window->add_css_class("probe");
    window->set_default_size(width, height);
    app->add_window(*window);
    window->signal_hide().connect([window] { delete window; });
    window->present();
  });
  // Only the program name: the two arguments are this program's, not GTK's.
  return app->run(1, argv);
}
