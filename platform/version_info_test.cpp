#include "platform/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/file.h"
#include "platform/test_pe_image.h"
#include "platform/test_temp_dir.h"

namespace {

using test_pe::Encode;
using test_pe::Image;
using test_pe::VersionRoot;

constexpr HRESULT kNoResourceSection = HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND);
constexpr HRESULT kBadFormat = HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
constexpr HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

constexpr uint32_t kMs = 0x0002000A;  // 2.10
constexpr uint32_t kLs = 0x012C0004;  // 300.4
constexpr size_t kFixedRecord = 40;   // in a block: after the header and "VS_VERSION_INFO"
constexpr size_t kFirstChild = kFixedRecord + 52;

const test_pe::Strings kStrings = {
    {"ProductName", "  Brindle Test\r\n"},
    {"FileDescription", "Grüße ✓"},
    {"Comments", "\t\u00A0 spaced  out \u3000"},
};

std::string Block() { return Encode(VersionRoot(kMs, kLs, kStrings)); }

HRESULT LoadBytes(CVersionInfo* info, const std::string& bytes) {
  return info->LoadBlock(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(VersionInfoTest, ReadsTheFixedRecordAndTheStringsOfBothImageKinds) {
  static const struct {
    const char* name;
    const char* expected;
  } strings[] = {
      {"ProductName", "Brindle Test"},
      {"pRODUCTnAME", "Brindle Test"},
      {"FileDescription", "Grüße ✓"},
      {"Comments", "spaced  out"},
  };
  TestTempDir dir;
  for (const bool pe32_plus : {false, true}) {
    CVersionInfo info;
    ASSERT_EQ(S_OK, info.Load(dir.Write("app.exe", Image(pe32_plus, Block())))) << pe32_plus;
    EXPECT_EQ(kMs, info.file_version_ms);
    EXPECT_EQ(kLs, info.file_version_ls);
    EXPECT_EQ(0x00090008u, info.product_version_ms);
    EXPECT_EQ(0x40004u, info.file_os);
    for (const auto& s : strings) {
      std::string text;
      EXPECT_EQ(S_OK, info.GetStringValue(s.name, &text)) << s.name;
      EXPECT_EQ(s.expected, text) << s.name;
    }
    std::string_view raw;
    ASSERT_EQ(S_OK, info.QueryString("ProductName", &raw));
    EXPECT_EQ(Utf8ToUtf16Le("  Brindle Test\r\n"), raw);
  }
}

TEST(VersionInfoTest, OnlyTheFirstTranslationNamesTheStringTable) {
  const std::string german_then_english =
      test_pe::Le16(0x0407) + test_pe::Le16(0x04E4) + test_pe::Le16(0x0409) + test_pe::Le16(0x04B0);
  CVersionInfo info;
  std::string text;
  ASSERT_EQ(
      S_OK,
      LoadBytes(&info, Encode(VersionRoot(kMs, kLs, kStrings, "040904b0", german_then_english))));
  EXPECT_EQ(kNotFound, info.GetStringValue("ProductName", &text));
  ASSERT_EQ(
      S_OK,
      LoadBytes(&info, Encode(VersionRoot(kMs, kLs, kStrings, "040704E4", german_then_english))));
  EXPECT_EQ(S_OK, info.GetStringValue("ProductName", &text));
  EXPECT_EQ("Brindle Test", text);

  ASSERT_EQ(S_OK, LoadBytes(&info, Encode(VersionRoot(kMs, kLs, kStrings, "040904b0", ""))));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS), info.GetStringValue("ProductName", &text));
  info.Unload();
  EXPECT_EQ(0u, info.file_version_ms);
  EXPECT_EQ(kInvalidData, info.GetStringValue("ProductName", &text));
  EXPECT_EQ("Brindle Test", text);
}

TEST(VersionInfoTest, FilesWithoutAUsableResourceFail) {
  std::string dos_program(64, '\0');
  dos_program.replace(0, 2, "MZ");
  std::string no_translation = Block();
  no_translation.replace(no_translation.find(Utf8ToUtf16Le("Translation")), 2, Utf8ToUtf16Le("X"));
  std::string no_signature = Block();
  no_signature[kFixedRecord] = 0;
  const struct {
    const char* what;
    std::string bytes;
    HRESULT expected;
  } cases[] = {
      {"text file", "Hello, world\n", kNoResourceSection},
      {"MS-DOS program", dos_program, kNoResourceSection},
      {"no resource directory", Image(false, Block(), 16, false), kNoResourceSection},
      {"other resources only", Image(false, Block(), 6), kNotFound},
      {"no translation table", Image(true, no_translation), kNotFound},
      {"no fixed record signature", Image(false, no_signature), kInvalidData},
  };
  TestTempDir dir;
  for (const auto& c : cases) {
    CVersionInfo info;
    EXPECT_EQ(c.expected, info.Load(dir.Write("file.dll", c.bytes))) << c.what;
    EXPECT_EQ(0u, info.signature) << c.what;
  }
  CVersionInfo info;
  EXPECT_EQ(E_FILE_NOT_FOUND, info.Load(dir.PathOf("missing.exe")));
  EXPECT_EQ(E_ACCESS_DENIED, info.Load(dir.PathOf("")));
}

TEST(VersionInfoTest, DamagedImagesFailWithBadFormat) {
  constexpr size_t kDirectories = test_pe::kOptionalHeader + 96;
  constexpr size_t kSection = test_pe::SectionTable(false);
  constexpr size_t kResources = test_pe::kResourceSection;
  constexpr size_t kBlock = kResources + test_pe::kBlock;
  static const struct {
    const char* what;
    size_t at;
    size_t width;  // 2 or 4 bytes
    uint32_t value;
  } cases[] = {
      {"unknown optional header", test_pe::kOptionalHeader, 2, 0x107},
      {"directory outside every section", kDirectories + 16, 4, 0x9000},
      {"section data past the end", kSection + 20, 4, 0x7FFFFF00},
      {"entries past the section", kResources + 14, 2, 0xFFFF},
      {"name level loops to the root", kResources + test_pe::kNameTarget, 4, 0x80000000},
      {"language level loops back", kResources + test_pe::kLanguageTarget, 4,
       test_pe::kSubdirectory | test_pe::kNameDirectory},
      {"type leads to data", kResources + test_pe::kTypeTarget, 4, test_pe::kDataEntry},
      {"data outside the section", kResources + test_pe::kDataEntry, 4, 0x5000},
      {"block length 0", kBlock, 2, 0},
      {"block longer than its data", kBlock, 2, 0xFFF0},
      {"block past the section's raw data", kSection + 16, 4, test_pe::kBlock},
      {"child longer than its parent", kBlock + kFirstChild, 2, 0xFFF0},
  };
  TestTempDir dir;
  for (const auto& c : cases) {
    std::string image = Image(false, Block());
    (c.width == 2 ? test_pe::Put16 : test_pe::Put32)(&image, c.at, c.value);
    CVersionInfo info;
    EXPECT_EQ(kBadFormat, info.Load(dir.Write("damaged.exe", image))) << c.what;
  }
}

TEST(VersionInfoTest, ZeroPaddingEndsAListButAShortFixedRecordIsDamage) {
  test_pe::Node root = VersionRoot(kMs, kLs, kStrings);
  root.children[0].children[0].padding = 8;  // after the last string
  CVersionInfo info;
  std::string text;
  ASSERT_EQ(S_OK, LoadBytes(&info, Encode(root)));
  EXPECT_EQ(kNotFound, info.GetStringValue("ProductVersion", &text));
  root.value.resize(48);
  EXPECT_EQ(kBadFormat, LoadBytes(&info, Encode(root)));
}

// Every damaged byte either loads or fails with one of the reader's
// statuses, and every cut fails; under the sanitizers this also shows that
// no read strays outside the file or the block.
TEST(VersionInfoTest, NoDamageReadsOutOfBounds) {
  const HRESULT outcomes[] = {S_OK, kNoResourceSection, kNotFound, kBadFormat, kInvalidData};
  TestTempDir dir;
  const std::string image = Image(true, Block());
  const std::string path = dir.Write("fuzz.exe", image);
  // Patched in place: writing a whole file each time is far slower. Closed
  // at once: a reader may need the file to itself (Windows' sharing).
  const auto patch = [&path](size_t at, char value) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(at));
    return static_cast<bool>(file.write(&value, 1));
  };
  for (size_t at = 0; at < image.size(); ++at) {
    for (const char value : {'\x00', '\x7F', '\x80', '\xFF'}) {
      ASSERT_TRUE(patch(at, value));
      CVersionInfo info;
      const HRESULT hr = info.Load(path);
      ASSERT_NE(std::end(outcomes), std::find(std::begin(outcomes), std::end(outcomes), hr))
          << "byte " << at << " = " << int{value} << ": " << std::hex << hr;
      std::string text;
      for (const auto& [name, ignored] : kStrings) info.GetStringValue(name, &text);
    }
    ASSERT_TRUE(patch(at, image[at]));
  }
  // Cut before its signature is complete, the file is no PE file.
  for (size_t size = image.size(); size-- > 0;) {
    std::filesystem::resize_file(path, size);
    CVersionInfo info;
    EXPECT_EQ(size < test_pe::kPeHeader + 4 ? kNoResourceSection : kBadFormat, info.Load(path))
        << "cut at " << size;
  }
}

}  // namespace
