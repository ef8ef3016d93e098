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
    if (m_path.empty()) return;
    namespace fs = std::filesystem;
    std::error_code ignored;
    // A test may leave folders behind that even their owner may not change.
    for (auto entry = fs::recursive_directory_iterator(m_path, ignored);
         entry != fs::recursive_directory_iterator(); entry.increment(ignored)) {
      if (entry->is_directory(ignored) && !entry->is_symlink(ignored)) {
        fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
    fs::remove_all(m_path, ignored);
  }

  // The directory's full path.
  const std::string& Path() const { return m_path; }

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

// A fixture whose every test gets a TestTempDir: m_dir.
class TempDirTest : public testing::Test {
 protected:
  TestTempDir m_temp;
  const std::filesystem::path m_dir{m_temp.Path()};
};
