#include "console/message_writer.h"

#include <gtest/gtest.h>

namespace {

// Collects what would reach the output.
class RecordingWriter : public CMessageWriter {
 public:
  RecordingWriter() { SetDecoration(kDecorationLabels); }
  std::string output;

 protected:
  void Write(const std::string& text) override { output += text; }
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

}  // namespace
