#include "console/message_writer.h"

#include <gtest/gtest.h>

#include "platform/status_text.h"

namespace {

// Collects what would reach each stream, and both as they would meet.
class RecordingWriter : public CMessageWriter {
 public:
  RecordingWriter() { SetDecoration(kDecorationLabels); }
  std::string output;
  std::string standard_output;
  std::string standard_error;

 protected:
  void Write(const std::string& text, StandardStream stream) override {
    output += text;
    (stream == StandardStream::Error ? standard_error : standard_output) += text;
  }
};

TEST(MessageWriterTest, ErrorsCarryTheirLabelAndTheSystemText) {
  RecordingWriter writer;
  writer.PrintError("Could not save %s.", XML_E_UNSUPPORTED_ENCODING, "x.xml");
  writer.PrintError("Plain.", S_FALSE);
  EXPECT_EQ(
      "ERROR: Could not save x.xml.\nThe encoding is not supported. (0x80BD0102)\n"
      "ERROR: Plain.\n",
      writer.output);
}

TEST(MessageWriterTest, LabelsOnlyAtTheStartOfALine) {
  RecordingWriter writer;
  writer.PrintText("begun ");
  writer.PrintErrorText("continued\nsecond line");
  writer.PrintVerbatim("100%d\n");
  writer.PrintEmptyLine();
  EXPECT_EQ("begun continued\nsecond line\n100%d\n\n", writer.output);
}

// Errors, and the notes and listings that explain them, go to standard
// error; information to standard output.
TEST(MessageWriterTest, ErrorsAndTheirNotesGoToStandardError) {
  RecordingWriter writer;
  writer.PrintInfo("Loading %s...", "a.xml");
  writer.PrintError("Could not open.", E_FILE_NOT_FOUND);
  writer.PrintErrorNote("Kept in: %s", "b");
  writer.PrintErrorVerbatim("listing 100%d\n");
  writer.PrintEmptyLine();
  EXPECT_EQ("Loading a.xml...\n\n", writer.standard_output);
  std::string system_text;
  ASSERT_TRUE(GetSystemText(E_FILE_NOT_FOUND, &system_text));
  EXPECT_EQ("ERROR: Could not open.\n" + system_text + "\nKept in: b\nlisting 100%d\n",
            writer.standard_error);
}

}  // namespace
