#include "xml/preserving_writer.h"

#include <libxml/encoding.h>
#include <libxml/tree.h>

#include <memory>
#include <vector>

#include "xml/change_marks.h"
#include "xml/document_writer.h"
#include "xml/encoding_check.h"
#include "xml/load_pass.h"
#include "xml/markup_lexer.h"
#include "xml/preserved_output.h"
#include "xml/source_map.h"
#include "xml/source_text.h"
#include "xml/text_codec.h"
#include "xml/text_layout.h"
#include "xml/xml_chars.h"

namespace {

enum class Family { Utf8, Utf16Le, Utf16Be, Other };

struct FamilyName {
  const char* name;
  Family family;
};

// The library's own spellings of the Unicode encodings; "UTF-16" writes
// little-endian.
constexpr FamilyName kFamilyNames[] = {
    {"UTF-8", Family::Utf8},       {"UTF8", Family::Utf8},        {"UTF-16", Family::Utf16Le},
    {"UTF16", Family::Utf16Le},    {"UTF-16LE", Family::Utf16Le}, {"UTF16LE", Family::Utf16Le},
    {"UTF-16BE", Family::Utf16Be}, {"UTF16BE", Family::Utf16Be},
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

Family FamilyOf(const std::string& name) {
  for (const FamilyName& entry : kFamilyNames) {
    if (xmlStrcasecmp(AsXmlChars(name), AsXmlChars(entry.name)) == 0) return entry.family;
  }
  return Family::Other;
}

// Names that mean the same encoding give the same key: the library's
// number for the encodings it knows by name, else the name in capitals.
std::string EncodingKey(const std::string& name) {
  std::string key;
  const Family family = FamilyOf(name);
  const xmlCharEncoding known = xmlParseCharEncoding(name.c_str());
  if (family != Family::Other) {
    key.append("unicode-").append(std::to_string(static_cast<int>(family)));
  } else if (known > 0) {
    key.append("library-").append(std::to_string(static_cast<int>(known)));
  } else {
    for (char c : name) key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  return key;
}

// Escapes as the library's own writer does, so that the text reads back the
// same: a carriage return would otherwise become a line feed. In an
// attribute value (quote not 0), white space other than a blank is written
// as a reference too, which a load does not normalise, and so is the quote.
void AppendEscaped(std::string_view text, char quote, std::string* out) {
  for (char c : text) {
    const char* reference = nullptr;
    switch (c) {
      case '&':
        reference = "&amp;";
        break;
      case '<':
        reference = "&lt;";
        break;
      case '>':
        reference = "&gt;";
        break;
      case '\r':
        reference = "&#13;";
        break;
      case '\n':
        if (quote != 0) reference = "&#10;";
        break;
      case '\t':
        if (quote != 0) reference = "&#9;";
        break;
      case '"':
        if (quote == '"') reference = "&quot;";
        break;
      case '\'':
        if (quote == '\'') reference = "&apos;";
        break;
      default:
        break;
    }
    if (reference != nullptr) {
      out->append(reference);
    } else {
      out->push_back(c);
    }
  }
}

struct XmlStringFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

std::string AttributeValue(const xmlAttr* attribute) {
  const std::unique_ptr<xmlChar, XmlStringFree> value(
      xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attribute)));
  return value ? AsChars(value.get()) : "";
}

std::string_view Content(const xmlNode* node) {
  return node->content != nullptr ? AsChars(node->content) : "";
}

// Appends a text, comment or CDATA section node (only these) as written.
void AppendCharacterNode(const xmlNode* node, std::string* out) {
  if (node->type == XML_TEXT_NODE) {
    AppendEscaped(Content(node), 0, out);
  } else if (node->type == XML_COMMENT_NODE) {
    out->append("<!--").append(Content(node)).append("-->");
  } else {
    out->append("<![CDATA[").append(Content(node)).append("]]>");
  }
}

void AppendQualifiedName(const xmlNs* ns, const xmlChar* name, std::string* out) {
  if (ns != nullptr && ns->prefix != nullptr) {
    out->append(AsChars(ns->prefix));
    out->push_back(':');
  }
  out->append(AsChars(name));
}

// Text, CDATA sections and entity references are content: no line ends
// are put around them.
bool IsContent(const xmlNode* node) {
  return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
         node->type == XML_ENTITY_REF_NODE;
}

bool HasContentChild(const xmlNode* element) {
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (IsContent(child)) return true;
  }
  return false;
}

bool PreservesSpace(bool inherited, const xmlNode* element) {
  const int setting = SpaceSetting(element);
  return setting < 0 ? inherited : setting == 1;
}

template <typename T>
T* NextOriginal(T* item, uintptr_t (*state)(const T*)) {
  while (item != nullptr && state(item) == kAttributeNew) item = item->next;
  return item;
}

// Walks the tree in document order with a stack of its own (documents may
// nest deeper than the call stack allows) and writes it: each changed
// element or document is a frame that places its children one by one.
class TreeWriter {
 public:
  TreeWriter(std::string_view text, PreservedOutput* out)
      : m_text(text), m_lexer(text), m_map(text), m_layout(text), m_out(out) {}

  // Writes the document's content from content_begin of the source text.
  HRESULT Write(xmlDocPtr doc, size_t content_begin);

  void Put(std::string_view text) {
    if (!text.empty()) m_wrote = true;
    m_out->Append(text);
  }
  const std::string& LineEnd() { return m_layout.LineEnd(); }

 private:
  // What was last written in a frame, which decides the white space that may
  // follow: none after text.
  enum class Last { Start, Text, Markup };
  // How a frame ends.
  enum class Close {
    Document,        // at the end of the text
    SourceEndTag,    // the end tag in the source, after the content
    SkippedContent,  // the end tag in the source, after content that was replaced
    WrittenEndTag,   // end_tag, written
  };

  struct Frame {
    xmlNodePtr parent;
    xmlNodePtr next;  // the next child to place
    size_t pos;       // where the source content not yet written begins; kNoSource: none
    // Children were added or removed: the source between two children that
    // stayed must be read, as removed nodes lie there. Otherwise it is
    // layout, copied as it stands.
    bool read_regions = false;
    bool blank_is_node = false;
    bool preserve = false;  // xml:space="preserve" applies to the content now
    bool lines = false;     // a first child goes on a line of its own
    std::string indent;     // what the parent's line begins with
    Close close;
    size_t resume = kNoSource;  // where the parent frame goes on in the source
    std::string end_tag;        // for Close::WrittenEndTag
    Last last = Last::Start;
    std::string separator;  // before the last thing written, for a new sibling after it
    // Whether the last element written laid its children out on lines, so
    // that a new sibling does the same: an element of the source that spans
    // lines, or a new one with lines.
    size_t last_kept = kNoSource;  // the source offset of the last node, when kept
    bool last_lines = true;
    bool new_on_line = false;  // a new child went on a line of its own
    // The children have no offsets yet (nothing was added or removed here
    // since the load): each is matched with the source as it is placed,
    // which is read from map_pos on.
    bool lockstep = false;
    size_t map_pos = kNoSource;
  };

  struct Piece {
    size_t begin;
    size_t end;
    bool removed;  // a node; else white space
  };

  void Fail() {
    if (SUCCEEDED(m_status)) m_status = XML_E_SOURCE_MISMATCH;
  }
  void Copy(size_t begin, size_t end) {
    if (end < begin || end > m_text.size()) return Fail();
    Put(m_text.substr(begin, end - begin));
  }
  std::string_view Slice(size_t begin, size_t end) const {
    return m_text.substr(begin, end - begin);
  }
  static bool IsText(const xmlNode* node) { return node->type == XML_TEXT_NODE; }

  void PrepareLevel(Frame* frame);
  static bool IsRewritten(const xmlNode* node);
  void Place(xmlNodePtr child);
  void PlaceKept(xmlNodePtr child, size_t offset);
  void PlaceNew(xmlNodePtr child);
  void OpenKeptElement(xmlNodePtr element, size_t offset);
  void RebuildStartTag(xmlNodePtr element, size_t offset, const StartTagSpans& tag, bool open_up);
  void WriteChangedLeaf(const xmlNode* node, size_t offset);
  void AppendAttributes(const xmlNode* element, bool only_new, char quote);
  void WriteNewStartTag(const xmlNode* element);
  std::string NewSeparator(const Frame& frame, const xmlNode* child);
  void WriteRegion(size_t until, bool before_text, Lexeme* end_tag);
  void ResolveRegion(const Frame& frame, size_t region_begin);
  void WriteClosingLine(const Frame& frame, std::string_view before_end_tag);
  bool SpansLines(size_t pos) const;
  Lexeme FindEndTag(size_t pos);
  void CloseFrame();

  std::string_view m_text;
  MarkupLexer m_lexer;
  SourceMap m_map;
  TextLayout m_layout;
  PreservedOutput* m_out;
  std::vector<Frame> m_frames;
  std::vector<Piece> m_pieces;
  std::vector<AttributeSpan> m_attributes;
  std::string m_gap;
  std::string m_buffer;
  bool m_wrote = false;
  HRESULT m_status = S_OK;
};

HRESULT TreeWriter::Write(xmlDocPtr doc, size_t content_begin) {
  Frame document;
  document.parent = reinterpret_cast<xmlNodePtr>(doc);
  document.next = doc->children;
  document.pos = content_begin;
  document.read_regions = (Marks(document.parent) & kMarkChildren) != 0;
  document.lines = true;
  document.close = Close::Document;
  PrepareLevel(&document);
  m_frames.push_back(std::move(document));
  while (!m_frames.empty() && SUCCEEDED(m_status) && SUCCEEDED(m_out->Status())) {
    Frame& frame = m_frames.back();
    if (frame.next == nullptr) {
      CloseFrame();
      continue;
    }
    xmlNodePtr child = frame.next;
    frame.next = child->next;
    Place(child);
  }
  return FAILED(m_status) ? m_status : m_out->Status();
}

void TreeWriter::PrepareLevel(Frame* frame) {
  if (frame->pos == kNoSource || (Marks(frame->parent) & kChildrenMapped) != 0) return;
  if (frame->read_regions) {
    // Mapped before its first change; just in case, now.
    const HRESULT hr = m_map.MapChildren(frame->parent);
    if (FAILED(hr)) m_status = hr;
    return;
  }
  frame->lockstep = true;
  frame->map_pos = m_map.ContentBegin(frame->parent);
  if (frame->map_pos == kNoSource) Fail();
}

// A document type and an entity reference are written as they stand.
bool TreeWriter::IsRewritten(const xmlNode* node) {
  return IsChanged(node) && node->type != XML_DTD_NODE && node->type != XML_ENTITY_REF_NODE;
}

void TreeWriter::Place(xmlNodePtr child) {
  Frame& frame = m_frames.back();
  if (frame.lockstep) {
    // An element that is copied is skipped whole; one that changes is read
    // by its own frame, which gives back where it ends.
    const bool skip = !IsRewritten(child);
    if (m_map.MapNext(child, &frame.map_pos, skip).token == Token::Invalid) return Fail();
  }
  const size_t offset = SourceOffset(child);
  if (offset == kNoSource) return PlaceNew(child);
  // A node of the source can only stand in content that has its source.
  if (m_frames.back().pos == kNoSource) return Fail();
  PlaceKept(child, offset);
}

void TreeWriter::PlaceKept(xmlNodePtr child, size_t offset) {
  Frame& frame = m_frames.back();
  const bool changed = IsRewritten(child);
  if (!frame.read_regions) {
    // Nothing was removed here: the source up to a changed child is the
    // children before it and the layout between them, copied in one piece.
    if (!changed) return;
    if (offset < frame.pos) return Fail();
    Copy(frame.pos, offset);
    frame.pos = offset;
  } else {
    WriteRegion(offset, IsText(child), nullptr);
    frame.last = IsText(child) ? Last::Text : Last::Markup;
    frame.separator = m_layout.SeparatorBefore(offset);
    frame.last_kept = offset;
    if (!changed) {
      const size_t end = m_lexer.NodeEnd(offset);
      if (end == MarkupLexer::kInvalid) return Fail();
      Copy(offset, end);
      frame.pos = end;
      return;
    }
  }
  if (child->type == XML_ELEMENT_NODE) return OpenKeptElement(child, offset);
  WriteChangedLeaf(child, offset);
}

void TreeWriter::WriteChangedLeaf(const xmlNode* node, size_t offset) {
  const Lexeme lexeme = m_lexer.Next(offset);
  if (lexeme.token == Token::Invalid || lexeme.token == Token::End) return Fail();
  m_buffer.clear();
  switch (node->type) {
    case XML_TEXT_NODE:
    case XML_COMMENT_NODE:
    case XML_CDATA_SECTION_NODE:
      AppendCharacterNode(node, &m_buffer);
      break;
    case XML_PI_NODE: {
      // The target and the white space after it stay.
      const size_t name_end = offset + 2 + m_lexer.NameAt(offset).size();
      size_t data = name_end;
      while (data < lexeme.end && IsXmlSpace(m_text[data])) ++data;
      if (data > lexeme.end - 2) data = lexeme.end - 2;
      m_buffer.append(Slice(offset, data));
      if (data == name_end && !Content(node).empty()) m_buffer.push_back(' ');
      m_buffer.append(Content(node)).append("?>");
      break;
    }
    default:
      return Fail();
  }
  Put(m_buffer);
  m_frames.back().pos = lexeme.end;
}

void TreeWriter::OpenKeptElement(xmlNodePtr element, size_t offset) {
  StartTagSpans tag;
  const uintptr_t marks = Marks(element);
  if (!m_lexer.SplitStartTag(offset, &tag,
                             (marks & kMarkAttributes) != 0 ? &m_attributes : nullptr)) {
    return Fail();
  }
  const bool has_content = element->children != nullptr;
  const bool open_up = tag.empty && has_content;
  if ((marks & kMarkAttributes) != 0) {
    RebuildStartTag(element, offset, tag, open_up);
  } else if (open_up) {
    Copy(offset, tag.attributes_end);
    Put(">");
  } else {
    Copy(offset, tag.end);
  }
  Frame& parent = m_frames.back();
  if (tag.empty && !has_content) {
    parent.pos = tag.end;
    return;
  }
  Frame frame;
  frame.parent = element;
  frame.next = element->children;
  frame.preserve = PreservesSpace(parent.preserve, element);
  if (tag.empty || (marks & kMarkContent) != 0) {
    frame.pos = kNoSource;
    frame.close = tag.empty ? Close::WrittenEndTag : Close::SkippedContent;
    frame.resume = tag.end;
    if (tag.empty)
      frame.end_tag.append("</").append(Slice(tag.name_begin, tag.name_end)).append(">");
  } else {
    frame.pos = tag.end;
    frame.close = Close::SourceEndTag;
    frame.read_regions = (marks & kMarkChildren) != 0;
    frame.blank_is_node = (marks & kBlankTextIsNode) != 0;
  }
  PrepareLevel(&frame);
  // New children need the layout; others are copied with theirs.
  if (frame.pos == kNoSource || frame.read_regions) {
    frame.indent = m_layout.IndentationAt(offset);
    frame.lines = m_layout.StartsLine(offset) && !HasContentChild(element);
  }
  m_frames.push_back(std::move(frame));
}

void TreeWriter::RebuildStartTag(xmlNodePtr element, size_t offset, const StartTagSpans& tag,
                                 bool open_up) {
  m_buffer.assign(Slice(offset, tag.name_end));
  // The attributes and declarations that the source holds are, in the
  // tree, in the same order, with the new ones after them.
  xmlNsPtr declaration = NextOriginal<xmlNs>(element->nsDef, DeclarationState);
  xmlAttrPtr attribute = NextOriginal<xmlAttr>(element->properties, AttributeState);
  std::string name;
  for (const AttributeSpan& span : m_attributes) {
    const std::string_view written = Slice(span.name_begin, span.name_end);
    const char quote = m_text[span.value_begin - 1];
    const std::string_view kept = Slice(span.space_begin, span.value_end + 1);
    // The xml prefix's own declaration is no declaration in the tree.
    if (written == "xmlns:xml") {
      m_buffer.append(kept);
      continue;
    }
    if (written == "xmlns" || written.starts_with("xmlns:")) {
      const std::string_view prefix = written.size() > 5 ? written.substr(6) : std::string_view();
      const bool matches = declaration != nullptr && (declaration->prefix == nullptr
                                                          ? prefix.empty()
                                                          : prefix == AsChars(declaration->prefix));
      if (!matches) continue;  // removed
      if (DeclarationState(declaration) == kAttributeChanged) {
        m_buffer.append(Slice(span.space_begin, span.value_begin));
        AppendEscaped(declaration->href != nullptr ? AsChars(declaration->href) : "", quote,
                      &m_buffer);
        m_buffer.push_back(quote);
      } else {
        m_buffer.append(kept);
      }
      declaration = NextOriginal<xmlNs>(declaration->next, DeclarationState);
      continue;
    }
    name.clear();
    if (attribute != nullptr) AppendQualifiedName(attribute->ns, attribute->name, &name);
    if (attribute == nullptr || written != name) continue;  // removed
    if (AttributeState(attribute) == kAttributeChanged) {
      m_buffer.append(Slice(span.space_begin, span.value_begin));
      AppendEscaped(AttributeValue(attribute), quote, &m_buffer);
      m_buffer.push_back(quote);
    } else {
      m_buffer.append(kept);
    }
    attribute = NextOriginal<xmlAttr>(attribute->next, AttributeState);
  }
  // Every attribute in the tree must have been found in the source. A
  // declaration may not: the document type's default for an xmlns
  // attribute, which a load adds again.
  if (attribute != nullptr) return Fail();
  // New ones in the quotes of the element's last, else of the document.
  const char quote = m_attributes.empty() ? m_layout.AttributeQuote()
                                          : m_text[m_attributes.back().value_begin - 1];
  AppendAttributes(element, true, quote);
  if (open_up) {
    m_buffer.push_back('>');
  } else {
    m_buffer.append(Slice(tag.attributes_end, tag.end));
  }
  Put(m_buffer);
}

// Appends to m_buffer the namespace declarations and then the attributes
// of element, each after one blank; only the new ones with only_new.
void TreeWriter::AppendAttributes(const xmlNode* element, bool only_new, char quote) {
  for (const xmlNs* ns = element->nsDef; ns != nullptr; ns = ns->next) {
    if (only_new && DeclarationState(ns) != kAttributeNew) continue;
    m_buffer.append(" xmlns");
    if (ns->prefix != nullptr) m_buffer.append(":").append(AsChars(ns->prefix));
    m_buffer.append("=").append(1, quote);
    AppendEscaped(ns->href != nullptr ? AsChars(ns->href) : "", quote, &m_buffer);
    m_buffer.push_back(quote);
  }
  for (const xmlAttr* attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    if (only_new && AttributeState(attribute) != kAttributeNew) continue;
    m_buffer.push_back(' ');
    AppendQualifiedName(attribute->ns, attribute->name, &m_buffer);
    m_buffer.append("=").append(1, quote);
    AppendEscaped(AttributeValue(attribute), quote, &m_buffer);
    m_buffer.push_back(quote);
  }
}

void TreeWriter::WriteNewStartTag(const xmlNode* element) {
  // Not assign("<"): GCC 12 at -O3 takes that for an overlapping copy
  // (-Wrestrict, a known false positive).
  m_buffer.clear();
  m_buffer.push_back('<');
  AppendQualifiedName(element->ns, element->name, &m_buffer);
  AppendAttributes(element, false, m_layout.AttributeQuote());
  if (element->children != nullptr) {
    m_buffer.push_back('>');
  } else {
    m_buffer.append(m_layout.EmptyElementEnd());
  }
  Put(m_buffer);
}

std::string TreeWriter::NewSeparator(const Frame& frame, const xmlNode* child) {
  // White space next to text would become part of it.
  if (IsContent(child) || frame.last == Last::Text || frame.preserve) return {};
  std::string separator;
  if (frame.last == Last::Markup) {
    separator = frame.separator;
  } else if (frame.close == Close::Document) {
    if (m_wrote) separator = LineEnd();
  } else if (frame.lines) {
    separator.append(LineEnd()).append(frame.indent).append(m_layout.IndentStep());
  }
  // Each node of the document's own level goes on a line of its own.
  if (frame.close == Close::Document && frame.last == Last::Markup &&
      separator.find('\n') == std::string::npos) {
    separator = LineEnd();
  }
  return separator;
}

void TreeWriter::PlaceNew(xmlNodePtr child) {
  Frame& frame = m_frames.back();
  const std::string separator = NewSeparator(frame, child);
  Put(separator);
  const size_t line_feed = separator.rfind('\n');
  if (line_feed != std::string::npos) frame.new_on_line = true;
  const size_t previous_kept = frame.last_kept;
  frame.last = IsText(child) ? Last::Text : Last::Markup;
  frame.separator = separator;
  frame.last_kept = kNoSource;
  m_buffer.clear();
  switch (child->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
      AppendCharacterNode(child, &m_buffer);
      break;
    case XML_PI_NODE:
      m_buffer.append("<?").append(AsChars(child->name));
      if (!Content(child).empty()) m_buffer.append(" ").append(Content(child));
      m_buffer.append("?>");
      break;
    case XML_ENTITY_REF_NODE:
      m_buffer.append("&").append(AsChars(child->name)).append(";");
      break;
    case XML_ELEMENT_NODE: {
      WriteNewStartTag(child);
      if (child->children == nullptr) return;
      // Its children are laid out as the element before it laid out its own.
      const bool lines = previous_kept != kNoSource ? SpansLines(previous_kept) : frame.last_lines;
      Frame inner;
      inner.parent = child;
      inner.next = child->children;
      inner.pos = kNoSource;
      inner.preserve = PreservesSpace(frame.preserve, child);
      inner.lines = lines && line_feed != std::string::npos && !HasContentChild(child);
      frame.last_lines = inner.lines;
      if (inner.lines) inner.indent = separator.substr(line_feed + 1);
      inner.close = Close::WrittenEndTag;
      inner.end_tag = "</";
      AppendQualifiedName(child->ns, child->name, &inner.end_tag);
      inner.end_tag.push_back('>');
      m_frames.push_back(std::move(inner));
      return;
    }
    default:
      return Fail();
  }
  Put(m_buffer);
}

void TreeWriter::WriteRegion(size_t until, bool before_text, Lexeme* end_tag) {
  Frame& frame = m_frames.back();
  m_pieces.clear();
  size_t pos = frame.pos;
  while (until == kNoSource || pos < until) {
    const Lexeme lexeme = m_lexer.Next(pos);
    if (until == kNoSource && end_tag != nullptr &&
        lexeme.token == (frame.close == Close::Document ? Token::End : Token::EndTag)) {
      *end_tag = lexeme;
      break;
    }
    if (lexeme.token == Token::End || lexeme.token == Token::Invalid ||
        lexeme.token == Token::EndTag) {
      return Fail();
    }
    const bool removed = lexeme.token != Token::Text || frame.blank_is_node ||
                         !m_lexer.IsBlank(lexeme.begin, lexeme.end);
    const size_t end = removed ? m_lexer.NodeEnd(lexeme.begin) : lexeme.end;
    if (end == MarkupLexer::kInvalid) return Fail();
    m_pieces.push_back({lexeme.begin, end, removed});
    pos = end;
  }
  if (until != kNoSource && pos != until) return Fail();
  const size_t region_begin = frame.pos;
  frame.pos = pos;
  ResolveRegion(frame, region_begin);
  const bool closing = until == kNoSource;
  if (frame.last == Last::Text || before_text) return;
  if (closing) return WriteClosingLine(frame, m_gap);
  Put(m_gap);
}

// Leaves in m_gap the white space that stays of the region's pieces: a
// removed node takes with it the lines it stood alone on, else the blanks
// before it on its line, or after it when it began the line.
void TreeWriter::ResolveRegion(const Frame& frame, size_t region_begin) {
  m_gap.clear();
  bool at_line_start =
      frame.last == Last::Start && (region_begin == 0 || m_text[region_begin - 1] == '\n');
  for (size_t i = 0; i < m_pieces.size(); ++i) {
    const Piece& piece = m_pieces[i];
    if (!piece.removed) {
      m_gap.append(Slice(piece.begin, piece.end));
      continue;
    }
    std::string_view after;
    size_t after_end = piece.end;
    if (i + 1 < m_pieces.size() && !m_pieces[i + 1].removed) {
      after = Slice(m_pieces[i + 1].begin, m_pieces[i + 1].end);
      after_end = m_pieces[i + 1].end;
      ++i;
    }
    const size_t before_line_feed = m_gap.rfind('\n');
    const size_t after_line_feed = after.find('\n');
    const bool alone_before = before_line_feed != std::string::npos || at_line_start;
    const bool alone_after =
        after_line_feed != std::string_view::npos || after_end == m_text.size();
    if (alone_before && alone_after) {
      if (after_line_feed != std::string_view::npos) {
        m_gap.resize(before_line_feed == std::string::npos ? 0 : before_line_feed + 1);
        m_gap.append(after.substr(after_line_feed + 1));
      } else {
        // The text ends with the node, without a line end: so it still does.
        size_t cut = before_line_feed == std::string::npos ? 0 : before_line_feed;
        if (cut > 0 && m_gap[cut - 1] == '\r') --cut;
        m_gap.resize(cut);
      }
    } else if (!alone_before) {
      m_gap.assign(after);
    }
  }
}

void TreeWriter::WriteClosingLine(const Frame& frame, std::string_view before_end_tag) {
  // New children on lines of their own put the end tag on a line too.
  if (frame.new_on_line && frame.last != Last::Text &&
      before_end_tag.find('\n') == std::string_view::npos) {
    Put(LineEnd());
    Put(frame.indent);
    return;
  }
  if (frame.last != Last::Text) Put(before_end_tag);
}

// Whether the node at pos is an element with content over several lines;
// an element without content tells nothing, and counts as one.
bool TreeWriter::SpansLines(size_t pos) const {
  if (m_lexer.Next(pos).token != Token::StartTag) return true;
  const size_t end = m_lexer.NodeEnd(pos);
  return end == MarkupLexer::kInvalid || Slice(pos, end).find('\n') != std::string_view::npos;
}

Lexeme TreeWriter::FindEndTag(size_t pos) {
  while (true) {
    const Lexeme lexeme = m_lexer.Next(pos);
    if (lexeme.token == Token::EndTag) return lexeme;
    if (lexeme.token == Token::End || lexeme.token == Token::Invalid) break;
    pos = lexeme.token == Token::Text ? lexeme.end : m_lexer.NodeEnd(pos);
    if (pos == MarkupLexer::kInvalid) break;
  }
  Fail();
  return {Token::Invalid, 0, 0};
}

void TreeWriter::CloseFrame() {
  Frame& frame = m_frames.back();
  size_t resume = frame.resume;
  switch (frame.close) {
    case Close::Document:
      if (frame.read_regions) {
        Lexeme end;
        WriteRegion(kNoSource, false, &end);
      } else {
        if (frame.lockstep && m_map.MapEnd(frame.parent, frame.map_pos).token == Token::Invalid) {
          return Fail();
        }
        Copy(frame.pos, m_text.size());
      }
      break;
    case Close::SourceEndTag: {
      Lexeme end_tag{Token::Invalid, 0, 0};
      if (frame.read_regions) {
        WriteRegion(kNoSource, false, &end_tag);
      } else {
        end_tag =
            frame.lockstep ? m_map.MapEnd(frame.parent, frame.map_pos) : FindEndTag(frame.pos);
        if (end_tag.token == Token::Invalid) return Fail();
        Copy(frame.pos, end_tag.begin);
      }
      if (FAILED(m_status)) return;
      Copy(end_tag.begin, end_tag.end);
      resume = end_tag.end;
      break;
    }
    case Close::SkippedContent: {
      const Lexeme end_tag = FindEndTag(frame.resume);
      if (FAILED(m_status)) return;
      WriteClosingLine(frame, {});
      Copy(end_tag.begin, end_tag.end);
      resume = end_tag.end;
      break;
    }
    case Close::WrittenEndTag:
      WriteClosingLine(frame, {});
      Put(frame.end_tag);
      break;
  }
  m_frames.pop_back();
  if (!m_frames.empty() && resume != kNoSource) {
    Frame& parent = m_frames.back();
    parent.pos = resume;
    if (parent.lockstep) parent.map_pos = resume;
  }
}

// Writes the declaration as the save wants it and returns where the
// document's content begins in the source.
size_t WriteDeclaration(const MarkupLexer& lexer, const DeclarationSpans& declaration, bool drop,
                        const std::string* new_encoding, TreeWriter* writer) {
  const std::string_view text = lexer.Text();
  if (declaration.end == 0) {
    // Only an encoding other than UTF-8 and UTF-16 needs a declaration.
    if (!drop && new_encoding != nullptr && FamilyOf(*new_encoding) == Family::Other) {
      writer->Put("<?xml version=\"1.0\" encoding=\"");
      writer->Put(*new_encoding);
      writer->Put("\"?>");
      writer->Put(writer->LineEnd());
    }
    return 0;
  }
  if (drop) {
    // The line end after the declaration goes with it.
    size_t end = declaration.end;
    while (end < text.size() && (text[end] == ' ' || text[end] == '\t' || text[end] == '\r')) ++end;
    return end < text.size() && text[end] == '\n' ? end + 1 : declaration.end;
  }
  if (new_encoding == nullptr) {
    writer->Put(text.substr(0, declaration.end));
  } else if (declaration.encoding_end > declaration.encoding_begin) {
    writer->Put(text.substr(0, declaration.encoding_begin));
    writer->Put(*new_encoding);
    writer->Put(text.substr(declaration.encoding_end, declaration.end - declaration.encoding_end));
  } else {
    const std::string quote(1, declaration.version_quote);
    writer->Put(text.substr(0, declaration.version_end));
    writer->Put(" encoding=" + quote + *new_encoding + quote);
    writer->Put(text.substr(declaration.version_end, declaration.end - declaration.version_end));
  }
  return declaration.end;
}

}  // namespace

HRESULT WritePreserved(xmlDocPtr doc, const SourceText& source, const std::string& path,
                       std::string_view encoding, SaveFlags flags, bool target_is_source,
                       SaveReport* report, bool* unchanged) {
  *unchanged = false;
  if (FAILED(source.Status())) return source.Status();
  const std::string requested(encoding);
  const bool reencode =
      !requested.empty() && EncodingKey(requested) != EncodingKey(source.Encoding());
  const std::string& target = reencode ? requested : source.Encoding();
  const Family family = FamilyOf(target);
  if (reencode && family != Family::Utf8) {
    const HRESULT readable = CheckEncodingReadsBack(requested);
    if (FAILED(readable)) return readable;
  }
  TextCodec codec;
  HRESULT hr = codec.Open(target);
  if (FAILED(hr)) return hr;
  if (family == Family::Other && !MarkupFitsEncoding(doc, target)) {
    return XML_E_MARKUP_NOT_IN_ENCODING;
  }
  std::string_view byte_order_mark = source.ByteOrderMark();
  if (reencode) {
    byte_order_mark = family == Family::Utf16Le                            ? kUtf16LeMark
                      : family == Family::Utf16Be                          ? kUtf16BeMark
                      : family == Family::Utf8 && !byte_order_mark.empty() ? kUtf8Mark
                                                                           : std::string_view();
  }
  const std::string_view text = source.Text();
  const MarkupLexer lexer(text);
  const DeclarationSpans declaration = lexer.SplitDeclaration();
  const bool drop_declaration = HasFlag(flags, SaveFlags::NoDeclaration) && declaration.end != 0;
  PreservedOutput output(path, &codec, byte_order_mark,
                         target_is_source && !reencode && !drop_declaration, text);
  TreeWriter writer(text, &output);
  const size_t content_begin =
      WriteDeclaration(lexer, declaration, HasFlag(flags, SaveFlags::NoDeclaration),
                       reencode ? &requested : nullptr, &writer);
  hr = writer.Write(doc, content_begin);
  if (SUCCEEDED(hr)) hr = output.Finish(unchanged);
  *report = output.Report();
  return hr;
}
