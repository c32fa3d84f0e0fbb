#pragma once
// Scratch folders and whole-file reads for the tool tests.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace tooltest {

inline std::string ScratchDir(const std::string& name) { return ::ScratchDir("velkora_tools_", name); }
using ::ReadAll;
using ::WriteAll;

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace tooltest
