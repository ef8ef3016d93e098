// Parsing a document file into a tree, with every safety rule of loading:
// nothing but the file itself is opened, no validation, size limits lifted
// for real documents and replaced by our own guards, whitespace-only text
// dropped.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"
#include "xml/xml_file.h"

// Parses the file at path. Returns S_OK with *doc (the caller owns it),
// S_FALSE with *report set to "XML parse error on line N.\n<reason>\n" when
// the file is not a well-formed, acceptable document, or the failure of
// opening or reading the file. With bytes, the file's bytes are appended to
// it.
HRESULT ReadDocument(const std::string& path, const XmlProperties& properties, _xmlDoc** doc,
                     std::string* report, std::string* bytes = nullptr);

// Parses text that the program wrote itself, held in memory, with the same
// parser options as ReadDocument (its limits and whitespace rule left out:
// the text is trusted). Returns the tree, which the caller frees, or
// nullptr when the text does not parse.
_xmlDoc* ParseWrittenText(std::string_view text);
