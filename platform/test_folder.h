// Test support: a fixture whose tests each get a fresh folder under /tmp,
// removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

class TestFolderFixture : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brindle-test-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::filesystem::path m_dir;
};
