// Precompiled header for the tests: gtest and gtkmm are most of every test's compile time.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <filesystem>
#include <string>
#include <vector>
