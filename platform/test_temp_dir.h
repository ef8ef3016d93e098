// Test support: a directory of one test's own, removed with its content when
// the test ends, so that no test sees another's files or the machine's.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

// Creates a directory of its own under the system's temporary folder, named
// prefix and a random number; empty when none can be made.
inline std::string MakeUniqueTempDir(std::string_view prefix) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / (std::string(prefix) + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) return candidate.string();
  }
  return {};
}

class TestTempDir {
 public:
  TestTempDir() : m_path(MakeUniqueTempDir("brindle-")) {
    EXPECT_FALSE(m_path.empty()) << "cannot create a temporary directory";
  }
  TestTempDir(const TestTempDir&) = delete;
  TestTempDir& operator=(const TestTempDir&) = delete;
  ~TestTempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }

  // The full path of name inside the directory ("" for the directory).
  std::string PathOf(std::string_view name) const { return m_path + "/" + std::string(name); }

  // Writes content to name and returns its full path.
  std::string Write(std::string_view name, std::string_view content) const {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

 private:
  std::string m_path;
};
