// Saving a document that was loaded with its source text so that the file
// changes only where the node commands changed the tree: every subtree that
// no command touched is copied from the source, with the white space
// around it; an element whose attributes changed gets its start tag
// rebuilt from the original (a new value between the old quotes, a new
// attribute after the last, a removed one with the white space before it);
// a node that a command added is written with the line end and
// indentation of its neighbours; a removed node that stood alone on its
// lines takes those lines with it. White space is never put next to text,
// where a load would keep it: the saved document loads as the same tree as
// the default save of the same tree gives.
#pragma once

#include <string>
#include <string_view>

#include "platform/safe_file_writer.h"
#include "platform/status.h"
#include "xml/xml_file.h"

class SourceText;

// Writes doc, mapped onto source (source_map.h) and changed since, to
// path. encoding empty keeps the source's encoding, byte order mark and
// declaration; another encoding re-encodes the text and names it in the
// declaration (one is added when the new encoding needs it), with a byte
// order mark for UTF-16, and for UTF-8 when the source had one.
// SaveFlags::NoDeclaration drops the declaration and the line end after it.
// With target_is_source, a text that comes out as the source text is not
// written at all, and *unchanged tells so.
//
// Fails as WriteDocument does (document_writer.h) for the encoding and
// the file, with source.Status() when the source cannot be written back,
// and with XML_E_SOURCE_MISMATCH when the tree's attributes do not match
// the source's; on failure the file at path is as it was.
HRESULT WritePreserved(_xmlDoc* doc, const SourceText& source, const std::string& path,
                       std::string_view encoding, SaveFlags flags, bool target_is_source,
                       SaveReport* report, bool* unchanged);
