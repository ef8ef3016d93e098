#include <gtest/gtest.h>
#include <unistd.h>

#include "script/script_test_fixture.h"

using TextFilePosixTest = ScriptTest;

// A pipe can be read only once; the run and its error listing still work.
TEST_F(TextFilePosixTest, RunsAScriptFromAPipe) {
  int ends[2];
  ASSERT_EQ(0, pipe(ends));
  const std::string script = "var x = 1;\nvar y = \"open;\n";
  ASSERT_EQ(static_cast<ssize_t>(script.size()), write(ends[1], script.data(), script.size()));
  close(ends[1]);
  const HRESULT result = m_parser.RunDescriptionFile("/dev/fd/" + std::to_string(ends[0]));
  close(ends[0]);
  const RunOutcome outcome = Outcome(result);
  EXPECT_EQ("Matching quote missing in line 2.", outcome.message);
  EXPECT_NE(std::string::npos, outcome.listing.find("   2: var y = \"open;\n              ^"))
      << outcome.listing;
}
