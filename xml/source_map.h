// Maps a freshly parsed tree onto the text it was parsed from: walks both
// in document order and records in each node where it begins
// (change_marks.h). What the text holds between the nodes, white space the
// load dropped, stays in the text for the writer to copy.
#pragma once

#include <string_view>

#include "platform/status.h"

struct _xmlDoc;

// Records the source offset of every node of doc (an attribute's value and
// an entity's replacement are not nodes here), and marks each element in
// whose content white space was kept as text. REQUIRES: doc was parsed
// from text and no command changed it since. Fails with
// XML_E_SOURCE_MISMATCH, leaving the offsets half set, when the text does
// not hold the nodes of the tree in their order.
HRESULT MapSource(_xmlDoc* doc, std::string_view text);
