#pragma once

#include <expected>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace marlguide::config {

// The backup of a file: its whole path with ".bak" appended.
std::filesystem::path backup_path(const std::filesystem::path& path);

// The temporary sibling an atomic write goes through: ".<name>.tmp.<pid>" beside the target
// ("marl" stands in for a name that is missing or not UTF-8).
std::filesystem::path temporary_path(const std::filesystem::path& path);

// Replaces the file with the bytes so that it always holds either its old or its whole new
// content: writes a temporary sibling, flushes it to disk and renames it over the target.
// Creates missing parent directories. On failure the target is untouched and no temporary file
// is left behind.
std::expected<void, std::error_code> write_atomic(const std::filesystem::path& path,
                                                  std::string_view bytes);

// Creates the parent directories, copies an existing file to its backup (content and
// permission bits; a failed copy is ignored) and then writes atomically.
std::expected<void, std::error_code> replace_with_backup(const std::filesystem::path& path,
                                                         std::string_view bytes);

// The error of a write that stopped accepting bytes.
std::error_code short_write_error();

}  // namespace marlguide::config
