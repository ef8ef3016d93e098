// Fuzz target: XML bytes loaded with their text kept and saved with
// SaveFlags::Preserve, untouched and after a few edits.
//
// Beyond what the sanitizers catch:
// - a document that loads saves untouched to another file as exactly its
//   own bytes, and over itself without being written at all;
// - the text of a document that loads always matches its tree: no save
//   fails with XML_E_SOURCE_MISMATCH. The only refusals are an encoding
//   that does not give the bytes back (XML_E_NOT_PRESERVABLE) and, after an
//   edit, markup the encoding cannot hold;
// - an attribute set on an element changes the bytes of one start tag and
//   no other byte (checked for texts in which "<" is the byte '<');
// - after every edit the saved document loads as the same tree as the
//   default save of the same edits gives, and what it saved is itself
//   preserved byte for byte by a second load and save.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"

namespace {

// Values that need escapes in either quote; only ASCII, so that every
// encoding holds them.
constexpr char kAttributeName[] = "brindle-fuzz";
constexpr char kAttributeValue[] = "a < b & \"c\" 'd' \t e";
constexpr char kText[] = "text & <more> \"q\"";

struct Fixture {
  fuzz::ScratchFolder folder;
  std::string input;
  std::string output;
  std::string plain;
  std::string again;

  Fixture() {
    fuzz::StartXmlLibrary();
    input = folder.PathOf("in.xml");
    output = folder.PathOf("out.xml");
    plain = folder.PathOf("plain.xml");
    again = folder.PathOf("again.xml");
  }
};

HRESULT SavePreserved(CXmlFile& document, const std::string& path) {
  return document.Save(path, "", SaveFlags::Preserve);
}

// The only refusals a preserving save may give for a document that loaded.
void CheckSaveStatus(HRESULT status, bool edited, const char* what) {
  if (status == S_OK || status == XML_E_NOT_PRESERVABLE) return;
  if (edited && status == XML_E_MARKUP_NOT_IN_ENCODING) return;
  if (status == XML_E_SOURCE_MISMATCH) fuzz::Violation("the text did not match the tree", what);
  fuzz::Violation("a preserving save failed", std::string(what) + ": " + std::to_string(status));
}

// The tree of the file at path as a load builds it, in the default save's
// bytes, which leave out all layout.
std::string CanonicalTree(Fixture& fixture, const std::string& path) {
  CXmlFile reader;
  if (reader.Load(path) != S_OK) fuzz::Violation("a saved document does not load", path);
  if (FAILED(reader.Save(fixture.again, "", SaveFlags::None))) {
    fuzz::Violation("a reloaded document does not save", path);
  }
  return fuzz::ReadWholeFile(fixture.again);
}

// A document whose markup is ASCII-compatible, so that its bytes can be
// read for "<" without decoding: no NUL (UTF-16, UCS-4), and "<" (or a
// byte order mark, or a blank) first (not EBCDIC).
bool IsAsciiCompatible(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) return false;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return !bytes.empty() && (bytes[0] == '<' || bytes[0] == ' ' || bytes[0] == '\t' ||
                            bytes[0] == '\r' || bytes[0] == '\n');
}

// The bytes where before and after differ, as [begin, before_end) in before
// and [begin, after_end) in after, past their common beginning and end.
struct Difference {
  size_t begin;
  size_t before_end;
  size_t after_end;
};

Difference DifferenceOf(std::string_view before, std::string_view after) {
  size_t begin = 0;
  while (begin < before.size() && begin < after.size() && before[begin] == after[begin]) ++begin;
  size_t tail = 0;
  while (tail < before.size() - begin && tail < after.size() - begin &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  return {begin, before.size() - tail, after.size() - tail};
}

// The difference lies inside one start tag: from the "<" of a name before
// it, with no other "<" up to its end on either side.
void CheckInsideOneStartTag(std::string_view before, std::string_view after) {
  const Difference difference = DifferenceOf(before, after);
  if (difference.begin == difference.before_end && difference.begin == difference.after_end) {
    fuzz::Violation("setting an attribute changed no byte");
  }
  const size_t open =
      difference.begin == 0 ? std::string_view::npos : before.rfind('<', difference.begin - 1);
  if (open == std::string_view::npos || open + 1 >= before.size() || before[open + 1] == '/' ||
      before[open + 1] == '!' || before[open + 1] == '?') {
    fuzz::Violation("setting an attribute changed bytes outside a start tag");
  }
  const auto holds_other_tag = [open](std::string_view text, size_t end) {
    const size_t next = text.find('<', open + 1);
    return next != std::string_view::npos && next < end;
  };
  if (holds_other_tag(before, difference.before_end) ||
      holds_other_tag(after, difference.after_end)) {
    fuzz::Violation("setting an attribute changed bytes beyond its start tag");
  }
}

using Edit = HRESULT (*)(CXmlFile&);

// An attribute set on the last element in document order.
HRESULT SetAttributeOnLastElement(CXmlFile& file) {
  const HRESULT hr = file.SelectNode("(//*)[last()]");
  return FAILED(hr) ? hr : file.SetAttribute(kAttributeName, kAttributeValue);
}

// Structure: the last element inside the document element removed,
// elements and text added below the document element and below its first
// element, the text of an element without elements and of the first comment
// or processing instruction replaced, an attribute removed.
// Applies change to the first node that expression finds; a selection that
// finds nothing leaves no current node, and there is nothing to change.
template <typename Change>
HRESULT OnFirst(CXmlFile& file, std::string_view expression, Change change) {
  const HRESULT hr = file.SelectNode(expression);
  if (FAILED(hr)) return hr;
  const HRESULT changed = change(file);
  return changed == XML_E_NO_CURRENT_NODE ? S_OK : changed;
}

HRESULT ChangeStructure(CXmlFile& file) {
  HRESULT hr = OnFirst(file, "/*/*[last()]", [](CXmlFile& f) { return f.RemoveNode(); });
  if (SUCCEEDED(hr)) hr = file.SelectRoot();
  if (SUCCEEDED(hr)) hr = file.AddChildText("brindle-fuzz-added", kText);
  if (SUCCEEDED(hr)) {
    hr = OnFirst(file, "(/*/*)[1]", [](CXmlFile& f) {
      HRESULT added = f.AddElement("brindle-fuzz-inner");
      if (SUCCEEDED(added)) added = f.AddText(kText);
      if (SUCCEEDED(added)) added = f.AddComment("added");
      return added;
    });
  }
  if (SUCCEEDED(hr)) {
    hr = OnFirst(file, "(//*[not(*)])[1]", [](CXmlFile& f) { return f.SetText(kText); });
  }
  if (SUCCEEDED(hr)) {
    hr = OnFirst(file, "(//comment() | //processing-instruction())[1]",
                 [](CXmlFile& f) { return f.SetText("changed"); });
  }
  // An attribute of the source removed: "id", which the seeds hold.
  if (SUCCEEDED(hr)) {
    hr = OnFirst(file, "(//*[@id])[1]", [](CXmlFile& f) { return f.RemoveAttribute("id"); });
  }
  return hr;
}

// Applies edit to the document at input in both modes; checks that the
// preserved save holds the default save's tree and is preserved itself.
// Returns the preserved save's bytes, or nothing when it was refused.
std::string CheckEdit(Fixture& fixture, Edit edit, const char* what, bool* saved) {
  *saved = false;
  CXmlFile preserved;
  if (preserved.Load(fixture.input, LoadFlags::KeepSource) != S_OK) {
    fuzz::Violation("a document that loaded once does not load again", what);
  }
  // An edit that a document cannot take (no element to select, a name it
  // cannot hold) changes nothing that is checked here.
  if (edit(preserved) != S_OK) return {};
  const HRESULT status = SavePreserved(preserved, fixture.output);
  CheckSaveStatus(status, true, what);
  if (status != S_OK) return {};
  *saved = true;

  CXmlFile plain;
  if (plain.Load(fixture.input) != S_OK || edit(plain) != S_OK) {
    fuzz::Violation("an edit works on one mode's load only", what);
  }
  if (FAILED(plain.Save(fixture.plain, "", SaveFlags::None))) {
    // The default save refuses what it cannot encode; nothing to compare.
    return fuzz::ReadWholeFile(fixture.output);
  }
  const std::string bytes = fuzz::ReadWholeFile(fixture.output);
  if (CanonicalTree(fixture, fixture.output) != CanonicalTree(fixture, fixture.plain)) {
    fuzz::Violation("the preserved save holds another tree than the default save", what);
  }

  CXmlFile reread;
  if (reread.Load(fixture.output, LoadFlags::KeepSource) != S_OK) {
    fuzz::Violation("a preserved save does not load", what);
  }
  const HRESULT again = SavePreserved(reread, fixture.again);
  CheckSaveStatus(again, false, what);
  if (again == S_OK && fuzz::ReadWholeFile(fixture.again) != bytes) {
    fuzz::Violation("a preserved save is not itself preserved", what);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fixture.folder.Write("in.xml", bytes);

  CXmlFile document;
  if (document.Load(fixture.input, LoadFlags::KeepSource) != S_OK) return 0;
  const HRESULT status = SavePreserved(document, fixture.output);
  CheckSaveStatus(status, false, "untouched");
  if (status != S_OK) return 0;
  if (fuzz::ReadWholeFile(fixture.output) != bytes) {
    fuzz::Violation("an untouched document was not saved as its own bytes");
  }
  if (SavePreserved(document, fixture.input) != S_OK || !document.SavedUnchanged() ||
      fuzz::ReadWholeFile(fixture.input) != bytes) {
    fuzz::Violation("an untouched document was written over itself");
  }

  bool saved = false;
  const std::string edited = CheckEdit(fixture, SetAttributeOnLastElement, "attribute", &saved);
  if (saved && IsAsciiCompatible(bytes)) CheckInsideOneStartTag(bytes, edited);
  CheckEdit(fixture, ChangeStructure, "structure", &saved);
  return 0;
}
