#include <unistd.h>

#include <string>

#include "platform/file.h"
#include "platform/standard_output.h"
#include "platform/text_encoding.h"

void WriteStandardStream(StandardStream stream, std::string_view text, OutputMode mode) {
  const int fd = stream == StandardStream::Error ? STDERR_FILENO : STDOUT_FILENO;
  switch (mode) {
    case OutputMode::Utf8:
      (void)WriteAll(fd, text.data(), text.size());
      break;
    case OutputMode::Locale: {
      const std::string converted = Utf8ToLocaleCharset(text);
      (void)WriteAll(fd, converted.data(), converted.size());
      break;
    }
    case OutputMode::Utf16: {
      const std::string converted = Utf8ToUtf16Le(text);
      (void)WriteAll(fd, converted.data(), converted.size());
      break;
    }
  }
}
