#include "platform/status_text.h"

#include <gtest/gtest.h>

TEST(StatusTextTest, TheProgramsOwnStatusesHaveTheirOwnTexts) {
  std::string text;
  ASSERT_TRUE(GetSystemText(XML_E_UNSUPPORTED_ENCODING, &text));
  EXPECT_EQ("The encoding is not supported. (0x80BD0102)", text);
  ASSERT_TRUE(GetSystemText(SCRIPT_E_NESTING_TOO_DEEP, &text));
  EXPECT_EQ("Function calls are nested too deeply. (0x80BD0201)", text);
  ASSERT_TRUE(GetSystemText(XML_E_NO_CURRENT_NODE, &text));
  EXPECT_EQ("No node is selected: the query matched nothing. (0x80BD0116)", text);
}

// Win32 codes in facility 7, and bare, end in their decimal code; other
// statuses in all eight hexadecimal digits.
TEST(StatusTextTest, NumberSuffixFollowsTheFacility) {
  static const struct {
    HRESULT status;
    const char* suffix;
  } cases[] = {
      {E_FILE_NOT_FOUND, " (2)"},
      {5, " (5)"},
      {E_INVALIDARG, " (87)"},
      {E_POINTER, " (0x80004003)"},
      {DISP_E_TYPEMISMATCH, " (0x80020005)"},
  };
  for (const auto& c : cases) {
    std::string text;
    ASSERT_TRUE(GetSystemText(c.status, &text)) << std::hex << c.status;
    EXPECT_TRUE(text.ends_with(c.suffix)) << text;
    EXPECT_GT(text.size(), std::string_view(c.suffix).size()) << text;
  }
}

TEST(StatusTextTest, SuccessAndUnknownStatusesHaveNoText) {
  std::string text = "unchanged";
  EXPECT_FALSE(GetSystemText(S_OK, &text));
  EXPECT_FALSE(GetSystemText(S_FALSE, &text));
  EXPECT_FALSE(GetSystemText(static_cast<HRESULT>(0x80BDFFFF), &text));
  EXPECT_EQ("unchanged", text);
}

// Every named status the code can return must have a text of its own.
TEST(StatusTextTest, EveryNamedStatusHasAText) {
  const HRESULT statuses[] = {
      E_POINTER,
      E_FAIL,
      E_UNEXPECTED,
      E_HANDLE,
      E_OUTOFMEMORY,
      E_INVALIDARG,
      DISP_E_TYPEMISMATCH,
      E_FILE_NOT_FOUND,
      E_ACCESS_DENIED,
      E_ZERO_DIVIDE,
      HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
      HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY),
      HRESULT_FROM_WIN32(ERROR_BAD_FORMAT),
      HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
      HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT),
      HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
      HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED),
      HRESULT_FROM_WIN32(ERROR_FILE_EXISTS),
      HRESULT_FROM_WIN32(ERROR_DISK_FULL),
      HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
      HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE),
      HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS),
      HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND),
      HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND),
      HRESULT_FROM_WIN32(ERROR_INVALID_STATE),
      XML_E_LIBRARY_MISMATCH,
      XML_E_UNSUPPORTED_ENCODING,
      XML_E_WRITE_FAILED,
      XML_E_INVALID_XPATH,
      XML_E_XPATH_NOT_NODESET,
      XML_E_UNDECLARED_PREFIX,
      XML_E_CANNOT_APPEND,
      XML_E_NO_PARENT,
      XML_E_POSITION_OUT_OF_RANGE,
      XML_E_NOT_CHILD,
      XML_E_NO_ATTRIBUTES,
      XML_E_INVALID_SELECTION_NAMESPACES,
      XML_E_NAMESPACE_IN_USE,
      XML_E_CANNOT_REMOVE,
      XML_E_MARKUP_NOT_IN_ENCODING,
      XML_E_CANNOT_MOVE,
      XML_E_CANNOT_RENAME,
      XML_E_NOT_PRESERVABLE,
      XML_E_SOURCE_MISMATCH,
      XML_E_NO_CURRENT_NODE,
      XML_E_INVALID_NAME,
      XML_E_UNDECLARED_NAME_PREFIX,
      SCRIPT_E_NESTING_TOO_DEEP,
      SCRIPT_E_UTF16BE_FILE,
      SCRIPT_E_FILE_TOO_LARGE,
      SCRIPT_E_NOTHING_MATCHED,
      HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
      HASH_E_ALGORITHM_UNAVAILABLE,
      HASH_E_LIBRARY_FAILURE,
      HASH_E_LIBRARY_UNAVAILABLE,
      FILE_E_HALF_WRITTEN,
      FILE_E_NO_STATE_FOLDER,
  };
  for (HRESULT status : statuses) {
    std::string text;
    EXPECT_TRUE(GetSystemText(status, &text)) << std::hex << status;
  }
}
