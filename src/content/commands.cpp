#include "content/commands.hpp"

#include <array>

namespace marlguide::content {
namespace {

constexpr std::array<CommandEntry, 8> kCommands{{
    {"mos-update", "Update both the system (pacman) and the marl ecosystem (marlsync) in one go."},
    {"mos-settings", "Open MOS Settings."},
    {"marllaunch", "Open the app launcher."},
    {"marljot", "Open notes/reminders."},
    {"marltask", "Open the notes/task manager."},
    {"marlwall", "Open the wallpaper picker."},
    {"marlpaste", "Open clipboard history."},
    {"marlnet", "Manage Wi-Fi profiles."},
}};

}  // namespace

std::span<const CommandEntry> builtin_commands() { return kCommands; }

}  // namespace marlguide::content
