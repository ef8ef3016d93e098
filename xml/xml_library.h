// Start and stop of the XML library, and the capture of its error reports.
//
// libxml2 reports errors through process-wide handlers and would print them
// on the terminal; while an XmlLibrary exists it prints nothing, and an
// XmlErrorCapture in scope collects what the library reports.
#pragma once

#include <string>

#include "platform/status.h"

// Owns the library's initialisation for the lifetime of the run.
class XmlLibrary {
 public:
  XmlLibrary() = default;
  ~XmlLibrary();
  XmlLibrary(const XmlLibrary&) = delete;
  XmlLibrary& operator=(const XmlLibrary&) = delete;

  // Checks that the library found at run time is compatible with the one the
  // program was built with (XML_E_LIBRARY_MISMATCH otherwise), initialises
  // it, makes its buffers grow by doubling, silences its printing and
  // refuses every external entity it would load. Safe to call more than
  // once.
  HRESULT Initialize();

 private:
  bool m_initialized = false;
};

// Collects the first error of level "error" or above that the library
// reports while the capture is the innermost one in scope. Captures nest.
class XmlErrorCapture {
 public:
  XmlErrorCapture();
  ~XmlErrorCapture();
  XmlErrorCapture(const XmlErrorCapture&) = delete;
  XmlErrorCapture& operator=(const XmlErrorCapture&) = delete;

  bool HasError() const { return m_hasError; }
  int Line() const { return m_line; }
  // The library's message for the first error, without its line break.
  const std::string& Message() const { return m_message; }

  // Records an error of our own as if the library had reported it (only
  // when no error came first).
  void Record(int line, std::string message);

 private:
  static void OnError(void* context, struct _xmlError* error);

  XmlErrorCapture* m_outer;
  bool m_hasError = false;
  int m_line = 0;
  std::string m_message;
};
