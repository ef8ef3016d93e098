// The one walk over a freshly parsed tree that finishes loading it.
#pragma once

#include <cstdint>
#include <string>

struct _xmlDoc;
class EntityGuard;

// In one iterative walk (documents may be nested deeper than the stack):
// removes every text node made only of space, tab, CR and LF (or empty),
// except inside an element in the scope of xml:space="preserve"; adds up
// the expansion of every entity reference in content and attribute values;
// and checks the element depth against max_depth (0: no limit).
// Returns true, or false with the line and reason of a refusal.
bool RunLoadPass(_xmlDoc* doc, EntityGuard* guard, int32_t max_depth, int* line,
                 std::string* reason);
