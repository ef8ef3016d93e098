// The command set: every valid statement form (a command and its
// qualifiers) with its parameters and its handler, and CCommandSet, the
// statement being executed, whose handlers act on the document and the
// variables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "script/parameter_info.h"
#include "script/statement_words.h"
#include "xml/node_tree.h"
#include "xml/xml_file.h"

// Where the print command writes: the run's output, one text at a time,
// line end included. Returns the status of the write. An empty sink
// discards what is printed.
using OutputSink = std::function<HRESULT(std::string_view text)>;

struct CommandForm;

// The form with this statement identifier (the command's identifier OR its
// qualifiers'), or null when the combination is no statement.
const CommandForm* FindCommandForm(StatementId statement);

class CCommandSet {
 public:
  // document and output: the engine's, which must outlive this object.
  CCommandSet(const CommandForm& form, CXmlFile* document, const OutputSink* output)
      : m_form(&form), m_document(document), m_output(output) {}

  // The two-call protocol: on an undeclared parameter list, declares the
  // statement's parameters and returns S_OK; otherwise runs the handler on
  // the bound values. Returns S_OK; S_FALSE when the command did not apply;
  // E_INVALIDARG for a parameter value it cannot use (GetBadParameter()
  // tells which); or another failure status.
  HRESULT Call(CParameterInfo& parameters);

  // 0-based index of the parameter a failure is about; 0 unless the handler
  // named another.
  size_t GetBadParameter() const { return m_badParameter; }

 private:
  friend const CommandForm* FindCommandForm(StatementId statement);

  // Handlers: each reads its bound parameters and returns its status.
  template <HRESULT (CXmlFile::*kOperation)()>
  HRESULT Run(CParameterInfo& parameters);
  template <HRESULT (CXmlFile::*kOperation)(std::string_view)>
  HRESULT RunWithText(CParameterInfo& parameters);
  template <HRESULT (CXmlFile::*kOperation)(std::string_view, std::string_view)>
  HRESULT RunWithTwoTexts(CParameterInfo& parameters);
  HRESULT AddNode(CParameterInfo& parameters);
  HRESULT GetAttribute(CParameterInfo& parameters);
  HRESULT GetChild(CParameterInfo& parameters);
  HRESULT GetNode(CParameterInfo& parameters);
  HRESULT RemoveChild(CParameterInfo& parameters);
  HRESULT SelectChild(CParameterInfo& parameters);
  HRESULT SetChild(CParameterInfo& parameters);
  HRESULT SetProperty(CParameterInfo& parameters);
  HRESULT Load(CParameterInfo& parameters);
  HRESULT Var(CParameterInfo& parameters);
  template <int32_t kStep>
  HRESULT Step(CParameterInfo& parameters);
  template <HRESULT (CCommandSet::*kHandler)(CParameterInfo&)>
  HRESULT OnMatches(CParameterInfo& parameters);
  HRESULT GetNodes(CParameterInfo& parameters);
  template <Placement kSide>
  HRESULT InsertElement(CParameterInfo& parameters);
  template <Placement kSide>
  HRESULT InsertNode(CParameterInfo& parameters);
  template <Placement kSide, NodeKind kKind>
  HRESULT InsertContent(CParameterInfo& parameters);
  template <Placement kPlace>
  HRESULT Move(CParameterInfo& parameters);
  HRESULT Print(CParameterInfo& parameters);

  // Passes a document status on; for E_INVALIDARG, the document's refused
  // argument, counted from the parameter first, becomes the bad parameter.
  HRESULT FromDocument(HRESULT hr, size_t first = 0);
  // Calls operation with the value of parameter 0 as a position (an integer)
  // or an expression (a string); another value is E_INVALIDARG.
  template <typename Operation>
  HRESULT AtPositionOrExpression(const CParameterInfo& parameters, Operation operation);
  // After a get: stores text in the variable named by the last parameter
  // when hr is S_OK.
  static HRESULT StoreText(HRESULT hr, std::string* text, CParameterInfo& parameters);

  const CommandForm* m_form;
  size_t m_badParameter = 0;
  CXmlFile* m_document;
  const OutputSink* m_output;
};
