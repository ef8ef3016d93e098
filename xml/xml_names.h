// Checks that a name or a text can be written into a document that reads
// back as the same document: the XML 1.0 (fifth edition) and Namespaces in
// XML rules over UTF-8, the rules the parser applies when it loads a file.
#pragma once

#include <string_view>

// A qualified name split at its colon; prefix is empty for an unprefixed
// name. The views point into the name that was split.
struct QualifiedName {
  std::string_view prefix;
  std::string_view local;
};

// Whether name is an XML name without a colon (NCName).
bool IsNcName(std::string_view name);

// Splits name into prefix and local part. Returns false unless name is
// NCName or NCName ":" NCName.
bool SplitQualifiedName(std::string_view name, QualifiedName* parts);

// Whether text is well-formed UTF-8 made only of characters XML allows
// (tab, line feed, carriage return, U+0020-U+D7FF, U+E000-U+FFFD,
// U+10000-U+10FFFF).
bool IsXmlText(std::string_view text);

// As IsXmlText, plus what each construct can not hold: a comment holds no
// "--" and does not end in "-"; a CDATA section holds no "]]>"; the data of
// a processing instruction holds no "?>".
bool IsCommentText(std::string_view text);
bool IsCDataText(std::string_view text);
bool IsProcessingInstructionData(std::string_view text);
