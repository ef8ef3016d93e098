// Test support: FullPathOf and DirectoryOf checked against a table of
// paths, which each system's tests fill with its own rules.
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "functions/function_library.h"

struct PathFunctionsCase {
  std::string path;
  std::string full;       // what FullPathOf gives
  std::string directory;  // what DirectoryOf gives
};

inline void ExpectPathFunctions(std::span<const PathFunctionsCase> cases) {
  for (const PathFunctionsCase& c : cases) {
    std::string result = "unchanged";
    EXPECT_EQ(S_OK, FullPathOf(c.path, &result)) << c.path;
    EXPECT_EQ(c.full, result) << c.path;
    EXPECT_EQ(S_OK, DirectoryOf(c.path, &result)) << c.path;
    EXPECT_EQ(c.directory, result) << c.path;
  }
}
