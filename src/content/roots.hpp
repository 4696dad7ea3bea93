#pragma once

#include <filesystem>

// The two content roots: the system root installed with the program, and the per-user root.
namespace marlguide::content {

// "/usr/share/marlguide/content". The environment variable MARLGUIDE_CONTENT_DIR, when set and
// not empty, takes its place, so that tests and `make run` read the content of a source or
// staged tree.
std::filesystem::path system_content_dir();

// $XDG_DATA_HOME/marlguide/content when XDG_DATA_HOME is valid UTF-8 and absolute; otherwise
// $HOME/.local/share/marlguide/content, with "/root" for a HOME that is unset or not UTF-8.
std::filesystem::path user_content_dir();

}  // namespace marlguide::content
