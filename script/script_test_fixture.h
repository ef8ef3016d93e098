// Test fixture for the script engine: each test gets a fresh engine and a
// temporary directory of its own, and Run() runs a script text as a
// description file and collects everything a user would see of the run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/test_temp_dir.h"
#include "script/parser.h"

struct RunOutcome {
  HRESULT result;
  std::string message;  // GetErrorMessage; empty after success
  std::string listing;  // GetErrorListing; empty after success
};

class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* const arguments[] = {"brindle", "doc.xml", "script.txt", "alpha", "/batch", "late"};
    ASSERT_EQ(S_OK, m_parser.SetArguments(6, arguments, [](std::string_view argument) {
      return argument.starts_with("/");
    }));
  }

  RunOutcome Outcome(HRESULT result) {
    RunOutcome outcome{result, "", ""};
    if (result != S_OK) {
      m_parser.GetErrorMessage(&outcome.message);
      m_parser.GetErrorListing(&outcome.listing);
    }
    return outcome;
  }

  // Runs script (bytes as they stand in the file) on a new empty document.
  RunOutcome Run(std::string_view script) {
    EXPECT_EQ(S_OK, m_parser.GetDocument().Create());
    return Outcome(m_parser.RunDescriptionFile(m_temp.Write("script.txt", script)));
  }

  // "ok" after a successful run of script; else the message, followed by
  // " @" and the caret's column in the listing when there is one.
  std::string ErrorAt(std::string_view script) {
    const RunOutcome outcome = Run(script);
    if (outcome.result == S_OK) return "ok";
    const size_t caret = outcome.listing.rfind('^');
    if (caret == std::string::npos) return outcome.message;
    const size_t line_start = outcome.listing.rfind('\n', caret) + 1;
    return outcome.message + " @" + std::to_string(caret - line_start - 6);
  }

  // The value of a variable after the run, as "int:N", "str:TEXT" or "undefined".
  std::string Variable(std::string_view name) const {
    const ScriptValue* value = m_parser.FindVariable(name);
    if (value == nullptr) return "undefined";
    if (value->IsInteger()) return "int:" + std::to_string(value->Integer());
    return "str:" + std::string(value->String());
  }

  TestTempDir m_temp;
  CParser m_parser;
};
