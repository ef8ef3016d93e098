// The library's strings are of unsigned char (xmlChar), ours of char; both
// hold the same UTF-8 bytes.
#pragma once

#include <libxml/xmlstring.h>

#include <string>

inline const xmlChar* AsXmlChars(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

inline const xmlChar* AsXmlChars(const std::string& text) { return AsXmlChars(text.c_str()); }

inline const char* AsChars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }
