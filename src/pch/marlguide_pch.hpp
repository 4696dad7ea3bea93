// Precompiled header: gtkmm's headers dominate compile time on a two-core machine.
#pragma once

#include <gtkmm.h>

#include <expected>
#include <filesystem>
#include <format>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
