#include <unistd.h>

#include <string>

#include "platform/file.h"
#include "platform/standard_output.h"
#include "platform/text_encoding.h"

void WriteStandardOutput(std::string_view text, OutputMode mode) {
  switch (mode) {
    case OutputMode::Utf8:
      (void)WriteAll(STDOUT_FILENO, text.data(), text.size());
      break;
    case OutputMode::Locale: {
      const std::string converted = Utf8ToLocaleCharset(text);
      (void)WriteAll(STDOUT_FILENO, converted.data(), converted.size());
      break;
    }
    case OutputMode::Utf16: {
      const std::string converted = Utf8ToUtf16Le(text);
      (void)WriteAll(STDOUT_FILENO, converted.data(), converted.size());
      break;
    }
  }
}
