// Test support: a fixture whose tests each get a fresh temporary folder,
// removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/test_temp_dir.h"

class TestFolderFixture : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = MakeUniqueTempDir("brindle-test-");
    ASSERT_FALSE(m_dir.empty());
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::filesystem::path m_dir;
};
