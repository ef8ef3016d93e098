// Serialising a document to a file with the chosen encoding, indentation
// and declaration, safely: the file is replaced only by a complete copy.
#pragma once

#include <string>
#include <string_view>

#include "platform/safe_file_writer.h"
#include "platform/status.h"
#include "xml/xml_file.h"

// Whether every name, comment, processing instruction, CDATA section and
// part of the document type of doc has a form in encoding: what a writer
// cannot put as a character reference.
bool MarkupFitsEncoding(_xmlDoc* doc, const std::string& encoding);

// Writes doc to path in encoding ("utf-8" when empty; any name the system's
// converters know, matched without regard to case, and named in the
// declaration as given). An unknown encoding, or one that the document
// could not be read back from (CheckEncodingReadsBack), fails with
// XML_E_UNSUPPORTED_ENCODING before any file is created, and so does a
// document with a character the encoding cannot hold anywhere but in text
// and attribute values (XML_E_MARKUP_NOT_IN_ENCODING). On failure the file
// at path is as it was, unless an in-place write could not be undone: then
// *report names the complete document and the file's previous content.
HRESULT WriteDocument(_xmlDoc* doc, const std::string& path, std::string_view encoding,
                      SaveFlags flags, SaveReport* report);
