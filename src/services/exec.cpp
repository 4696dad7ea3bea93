#include "services/exec.hpp"

#include <giomm/subprocess.h>
#include <glib.h>
#include <glibmm/main.h>
#include <gtk/gtk.h>
#include <gtkmm/label.h>

#include <cerrno>
#include <memory>

#include "util/message.hpp"

namespace marlguide::services {
namespace {

// GLib reports why a spawn failed as its own error code; the user is better served by the
// system's wording for the underlying errno ("No such file or directory").
std::string spawn_error_text(const Glib::Error& e) {
  if (e.domain() != G_SPAWN_ERROR) return e.what();
  struct Code {
    int spawn;
    int errnum;
  };
  static constexpr Code kCodes[] = {
      {G_SPAWN_ERROR_ACCES, EACCES},
      {G_SPAWN_ERROR_PERM, EPERM},
      {G_SPAWN_ERROR_TOO_BIG, E2BIG},
      {G_SPAWN_ERROR_NOEXEC, ENOEXEC},
      {G_SPAWN_ERROR_NAMETOOLONG, ENAMETOOLONG},
      {G_SPAWN_ERROR_NOENT, ENOENT},
      {G_SPAWN_ERROR_NOMEM, ENOMEM},
      {G_SPAWN_ERROR_NOTDIR, ENOTDIR},
      {G_SPAWN_ERROR_LOOP, ELOOP},
      {G_SPAWN_ERROR_TXTBUSY, ETXTBSY},
      {G_SPAWN_ERROR_IO, EIO},
      {G_SPAWN_ERROR_NFILE, ENFILE},
      {G_SPAWN_ERROR_MFILE, EMFILE},
      {G_SPAWN_ERROR_INVAL, EINVAL},
      {G_SPAWN_ERROR_ISDIR, EISDIR},
      {G_SPAWN_ERROR_LIBBAD, ELIBBAD},
  };
  for (const auto& c : kCodes)
    if (c.spawn == e.code()) return g_strerror(c.errnum);
  return e.what();
}

std::expected<Glib::RefPtr<Gio::Subprocess>, std::string> start(
    const std::vector<std::string>& argv) {
  try {
    // GSubprocess watches its child from GLib's worker thread, so a child nobody waits for
    // is still reaped when it ends.
    return Gio::Subprocess::create(argv, Gio::Subprocess::Flags::STDIN_INHERIT);
  } catch (const Glib::Error& e) {
    return std::unexpected(spawn_error_text(e));
  }
}

std::vector<std::string> shell(std::string_view command) {
  return {"sh", "-c", std::string(command)};
}

// A reference to the label's GObject: the C++ wrapper may be deleted with its page while a
// run is in flight, the GObject is not.
using LabelRef = std::shared_ptr<GtkLabel>;

LabelRef hold(Gtk::Label& label) {
  return LabelRef(GTK_LABEL(g_object_ref(label.gobj())), [](GtkLabel* l) { g_object_unref(l); });
}

struct StatusTexts {
  std::string running, done, failed;
};

void run_and_show(std::string_view command, Gtk::Label& label, StatusTexts texts) {
  auto ref = hold(label);
  gtk_label_set_text(ref.get(), texts.running.c_str());
  auto show = [ref, texts](bool ok) {
    gtk_label_set_text(ref.get(), (ok ? texts.done : texts.failed).c_str());
  };

  auto child = start(shell(command));
  if (!child) {
    // The outcome still arrives from the main loop, after the start text, as for any run.
    Glib::signal_idle().connect_once([show] { show(false); });
    return;
  }
  auto process = *child;
  process->wait_async([process, show](Glib::RefPtr<Gio::AsyncResult>& result) {
    bool ok = false;
    try {
      process->wait_finish(result);
      ok = process->get_successful();
    } catch (const Glib::Error&) {
      ok = false;
    }
    show(ok);
  });
}

}  // namespace

std::expected<void, std::string> start_inherited(const std::vector<std::string>& argv) {
  auto child = start(argv);
  if (!child) return std::unexpected(child.error());
  return {};
}

void launch_detached(std::string_view command) {
  if (auto started = start_inherited(shell(command)); !started)
    report("failed to run `{}`: {}", command, started.error());
}

void run_with_status(std::string_view command, Gtk::Label& label) {
  run_and_show(command, label,
               {"Running…", "Done.", "Something went wrong — see the terminal for details."});
}

void run_named_with_status(std::string_view name, std::string_view command, Gtk::Label& label) {
  const std::string n(name);
  run_and_show(command, label, {n + "…", n + ": done.", n + ": something went wrong."});
}

}  // namespace marlguide::services
