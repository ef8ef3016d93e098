#include "functions/hash.h"

#include <gtest/gtest.h>

#include "platform/test_temp_dir.h"

namespace {

constexpr HRESULT kInvalidState = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

// Bytes that repeat neither within a block nor at block boundaries.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
  return bytes;
}

std::string HashText(HashAlgorithm algorithm, const std::string& data) {
  CHashProvider provider;
  CHashObject hash(&provider);
  EXPECT_EQ(S_OK, hash.Begin(algorithm));
  EXPECT_EQ(S_OK, hash.HashData(data.data(), data.size()));
  EXPECT_EQ(S_OK, hash.Finish());
  return hash.ToHex();
}

// Expected digests from md5sum and sha1sum.
TEST(HashTest, DigestsOfDataAndFilesMatchIndependentTools) {
  const struct {
    std::string content;
    const char* md5;
    const char* sha1;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      // One byte more than a read block: the last read holds one byte.
      {Pattern(CHashObject::kReadBlockSize + 1), "b68260e9a33f6d74165da80734481246",
       "b6fa3ae086b93b36da9300c318b2ba057f755525"},
      {Pattern(2 * CHashObject::kReadBlockSize), "710aed6859964e3a1678bf153dd2c607",
       "634eb30bef97fab397ee8d52ed06fd0d8fff4aed"},
  };
  TestTempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.Write("data", c.content);
    CHashProvider provider;
    CHashObject hash(&provider);
    EXPECT_EQ(S_OK, hash.HashFileByName(path, HashAlgorithm::Md5)) << c.content.size();
    EXPECT_EQ(c.md5, hash.ToHex()) << c.content.size();
    EXPECT_EQ(S_OK, hash.HashFileByName(path, HashAlgorithm::Sha1)) << c.content.size();
    EXPECT_EQ(c.sha1, hash.ToHex()) << c.content.size();
    EXPECT_EQ(c.md5, HashText(HashAlgorithm::Md5, c.content)) << c.content.size();
    EXPECT_EQ(c.sha1, HashText(HashAlgorithm::Sha1, c.content)) << c.content.size();
  }
}

TEST(HashTest, OperationsOutOfTurnFailWithoutLosingState) {
  CHashProvider provider;
  CHashObject hash(&provider);
  EXPECT_EQ("", hash.ToHex());
  EXPECT_EQ(kInvalidState, hash.Finish());
  EXPECT_EQ(kInvalidState, hash.HashData("a", 1));
  ASSERT_EQ(S_OK, hash.Begin(HashAlgorithm::Md5));
  EXPECT_EQ(kInvalidState, hash.Begin(HashAlgorithm::Sha1));
  EXPECT_EQ(kInvalidState, hash.HashFile(0, HashAlgorithm::Sha1));
  EXPECT_EQ(E_INVALIDARG, hash.HashData(nullptr, 0));
  EXPECT_EQ(S_OK, hash.HashData("abc", 3));
  EXPECT_EQ(S_OK, hash.Finish());
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", hash.ToHex());
  EXPECT_EQ(E_INVALIDARG, hash.HashFile(-1, HashAlgorithm::Sha1));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", hash.ToHex());
}

}  // namespace
