#include "views.hpp"

#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace marlguide::testing {
namespace {

// Accessible properties can be read back only through GTK's test accessibility backend. GTK
// picks the backend when it creates the first accessible context, long after this runs.
const bool kTestAccessibility = ::setenv("GTK_A11Y", "test", 1) == 0;

}  // namespace

bool has_accessible_label(Gtk::Widget& w, const char* label) {
  if (!kTestAccessibility) return false;
  char* error = gtk_test_accessible_check_property(GTK_ACCESSIBLE(w.gobj()),
                                                   GTK_ACCESSIBLE_PROPERTY_LABEL, label);
  const bool ok = error == nullptr;
  if (error) ADD_FAILURE() << error;
  g_free(error);
  return ok;
}

Sandbox::Sandbox() {
  char tmpl[] = "/tmp/marlguide-views.XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  fs::create_directories(dir_ / "bin");
  fs::create_directories(system_content());
  const char* path = ::getenv("PATH");
  set("PATH", (dir_ / "bin").string() + ":" + (path ? path : "/usr/bin:/bin"));
  set("HOME", dir_.string());
  set("XDG_CONFIG_HOME", (dir_ / "config").string());
  set("XDG_DATA_HOME", (dir_ / "data").string());
  set("XDG_CACHE_HOME", (dir_ / "cache").string());
  set("MARLGUIDE_CONTENT_DIR", system_content().string());
}

Sandbox::~Sandbox() {
  for (const auto& [name, value] : saved_) {
    if (value)
      ::setenv(name.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name.c_str());
  }
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

void Sandbox::set(const char* name, const std::string& value) {
  if (!saved_.contains(name)) {
    const char* old = ::getenv(name);
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  ::setenv(name, value.c_str(), 1);
}

fs::path Sandbox::write(const fs::path& relative, const std::string& text) const {
  const fs::path path = dir_ / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void Sandbox::program(const std::string& name, const std::string& body) const {
  const auto path = write("bin/" + name, "#!/bin/sh\n" + body + "\n");
  fs::permissions(path, fs::perms::owner_all);
}

fs::path Sandbox::recorder(const std::string& name, int status) const {
  const fs::path log = dir_ / (name + ".calls");
  program(name, "{ for a in \"$@\"; do printf '<%s>' \"$a\"; done; echo; } >> '" + log.string() +
                    "'\nexit " + std::to_string(status));
  return log;
}

std::string Sandbox::read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace marlguide::testing
