// Which encodings a document may be saved in: only those it can be read
// back from. The system's converters write many encodings that the parser
// then cannot read (UTF-32, UTF-7, HZ-GB-2312, ...); a file saved in one
// would be lost to every later run.
#pragma once

#include <string>

#include "platform/status.h"

// Saves a small document (an XML declaration naming encoding as given, an
// attribute and a text with characters inside and outside the Basic
// Multilingual Plane) in encoding, in memory, and parses it back as a
// document file is read. Returns S_OK when the text comes back unchanged,
// else XML_E_UNSUPPORTED_ENCODING (also for an encoding that no converter
// knows).
HRESULT CheckEncodingReadsBack(const std::string& encoding);
