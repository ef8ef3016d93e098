#include "xml/markup_lexer.h"

#include <cstring>

namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kDocumentTypeOpen = "<!DOCTYPE";
constexpr std::string_view kDeclarationOpen = "<?xml";
constexpr std::string_view kPredefinedEntities[] = {"lt", "gt", "amp", "apos", "quot"};

// ASCII bytes that end a name; every byte of a multi-byte character
// continues it, as names may hold any letter.
bool EndsName(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x80) return false;
  return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_' || c == ':');
}

bool IsPredefined(std::string_view name) {
  for (std::string_view predefined : kPredefinedEntities) {
    if (name == predefined) return true;
  }
  return false;
}

// The character a reference "&#...;" names, or 0 when it is malformed.
char32_t CharacterReference(std::string_view digits) {
  char32_t value = 0;
  const bool hex = !digits.empty() && digits[0] == 'x';
  if (hex) digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 8) return 0;
  for (char c : digits) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return 0;
    }
    value = value * (hex ? 16 : 10) + digit;
  }
  return value;
}

}  // namespace

size_t MarkupLexer::Find(size_t pos, std::string_view what) const {
  const size_t found = pos <= m_text.size() ? m_text.find(what, pos) : std::string_view::npos;
  return found == std::string_view::npos ? kInvalid : found;
}

size_t MarkupLexer::NameEnd(size_t pos) const {
  while (pos < m_text.size() && !EndsName(m_text[pos])) ++pos;
  return pos;
}

size_t MarkupLexer::SkipSpace(size_t pos) const {
  while (pos < m_text.size() && IsXmlSpace(m_text[pos])) ++pos;
  return pos;
}

std::string_view MarkupLexer::NameAt(size_t begin) const {
  size_t start = begin + 1;
  if (start < m_text.size() && (m_text[start] == '/' || m_text[start] == '?')) ++start;
  if (start > m_text.size()) return {};
  return m_text.substr(start, NameEnd(start) - start);
}

size_t MarkupLexer::TextEnd(size_t pos) const {
  const char* base = m_text.data();
  const void* less_than = std::memchr(base + pos, '<', m_text.size() - pos);
  const size_t limit = less_than != nullptr
                           ? static_cast<size_t>(static_cast<const char*>(less_than) - base)
                           : m_text.size();
  size_t from = pos;
  while (const void* found = std::memchr(base + from, '&', limit - from)) {
    const size_t ampersand = static_cast<size_t>(static_cast<const char*>(found) - base);
    if (ampersand + 1 < limit && m_text[ampersand + 1] != '#') {
      const size_t name_end = NameEnd(ampersand + 1);
      if (!IsPredefined(m_text.substr(ampersand + 1, name_end - ampersand - 1))) return ampersand;
    }
    from = ampersand + 1;
  }
  return limit;
}

size_t MarkupLexer::TagEnd(size_t pos, bool* empty) const {
  // Names hold neither quotes nor ">": the first ">" outside a quoted value
  // ends the tag, and "/" before it makes it an empty-element tag.
  const char* text = m_text.data();
  for (size_t i = pos + 1; i < m_text.size(); ++i) {
    const char c = text[i];
    if (c == '>') {
      *empty = text[i - 1] == '/';
      return i + 1;
    }
    if (c == '"' || c == '\'') {
      // Values are short: a plain loop beats a call.
      do {
        ++i;
      } while (i < m_text.size() && text[i] != c);
    }
  }
  return kInvalid;
}

size_t MarkupLexer::DocumentTypeEnd(size_t pos) const {
  size_t i = pos + kDocumentTypeOpen.size();
  bool in_subset = false;
  while (i < m_text.size()) {
    const std::string_view rest = m_text.substr(i);
    const char c = m_text[i];
    size_t next = i + 1;
    if (in_subset && rest.starts_with(kCommentOpen)) {
      next = Find(i + kCommentOpen.size(), "-->");
      if (next != kInvalid) next += 3;
    } else if (in_subset && rest.starts_with("<?")) {
      next = Find(i + 2, "?>");
      if (next != kInvalid) next += 2;
    } else if (c == '"' || c == '\'') {
      next = Find(i + 1, std::string_view(&c, 1));
      if (next != kInvalid) ++next;
    } else if (c == '[' && !in_subset) {
      in_subset = true;
    } else if (c == ']' && in_subset) {
      in_subset = false;
    } else if (c == '>' && !in_subset) {
      return i + 1;
    }
    if (next == kInvalid) return kInvalid;
    i = next;
  }
  return kInvalid;
}

Lexeme MarkupLexer::Next(size_t pos) const {
  if (pos >= m_text.size()) return {Token::End, pos, pos};
  const std::string_view rest = m_text.substr(pos);
  if (rest[0] == '&' && rest.size() > 1 && rest[1] != '#') {
    const size_t name_end = NameEnd(pos + 1);
    if (name_end >= m_text.size() || m_text[name_end] != ';') return {Token::Invalid, pos, pos};
    if (!IsPredefined(m_text.substr(pos + 1, name_end - pos - 1))) {
      return {Token::EntityReference, pos, name_end + 1};
    }
  }
  if (rest[0] != '<') return {Token::Text, pos, TextEnd(pos)};
  Token token = Token::Invalid;
  size_t end = kInvalid;
  if (rest.starts_with("</")) {
    token = Token::EndTag;
    end = Find(pos, ">");
    if (end != kInvalid) ++end;
  } else if (rest.starts_with(kCommentOpen)) {
    token = Token::Comment;
    end = Find(pos + kCommentOpen.size(), "-->");
    if (end != kInvalid) end += 3;
  } else if (rest.starts_with(kCDataOpen)) {
    token = Token::CData;
    end = Find(pos + kCDataOpen.size(), "]]>");
    if (end != kInvalid) end += 3;
  } else if (rest.starts_with(kDocumentTypeOpen)) {
    token = Token::DocumentType;
    end = DocumentTypeEnd(pos);
  } else if (rest.starts_with("<?")) {
    token = Token::Instruction;
    end = Find(pos + 2, "?>");
    if (end != kInvalid) end += 2;
  } else if (rest.size() > 1 && !EndsName(rest[1])) {
    bool empty = false;
    end = TagEnd(pos, &empty);
    token = empty ? Token::EmptyElement : Token::StartTag;
  }
  if (end == kInvalid) return {Token::Invalid, pos, pos};
  return {token, pos, end};
}

size_t MarkupLexer::ElementEnd(size_t pos) const {
  // The hot path of a save, which skips every element no command touched:
  // only the markup that nests, and what may hide a "<", is looked at.
  bool empty = false;
  size_t i = TagEnd(pos, &empty);
  if (i == kInvalid || empty) return i;
  size_t depth = 1;
  const char* text = m_text.data();
  const size_t size = m_text.size();
  while (i < size) {
    const void* found = std::memchr(text + i, '<', size - i);
    if (found == nullptr || static_cast<const char*>(found) + 1 >= text + size) return kInvalid;
    i = static_cast<size_t>(static_cast<const char*>(found) - text);
    switch (text[i + 1]) {
      case '/': {
        const void* close = std::memchr(text + i, '>', size - i);
        if (close == nullptr) return kInvalid;
        i = static_cast<size_t>(static_cast<const char*>(close) - text) + 1;
        if (--depth == 0) return i;
        break;
      }
      case '!':
      case '?': {
        const Lexeme markup = Next(i);
        if (markup.token != Token::Comment && markup.token != Token::CData &&
            markup.token != Token::Instruction) {
          return kInvalid;
        }
        i = markup.end;
        break;
      }
      default:
        i = TagEnd(i, &empty);
        if (i == kInvalid) return kInvalid;
        if (!empty) ++depth;
    }
  }
  return kInvalid;
}

size_t MarkupLexer::NodeEnd(size_t pos) const {
  const Lexeme lexeme = Next(pos);
  switch (lexeme.token) {
    case Token::StartTag:
      return ElementEnd(pos);
    case Token::End:
    case Token::Invalid:
    case Token::EndTag:
      return kInvalid;
    default:
      return lexeme.end;
  }
}

bool MarkupLexer::SplitStartTag(size_t pos, StartTagSpans* tag,
                                std::vector<AttributeSpan>* attributes) const {
  if (pos >= m_text.size() || m_text[pos] != '<') return false;
  tag->name_begin = pos + 1;
  tag->name_end = NameEnd(pos + 1);
  if (tag->name_end == tag->name_begin) return false;
  size_t i = tag->name_end;
  tag->attributes_end = i;
  if (attributes != nullptr) attributes->clear();
  while (true) {
    const size_t name_begin = SkipSpace(i);
    if (name_begin >= m_text.size()) return false;
    const char c = m_text[name_begin];
    if (c == '>' || c == '/') {
      tag->empty = c == '/';
      tag->end = name_begin + (tag->empty ? 2 : 1);
      return tag->end <= m_text.size() && m_text[tag->end - 1] == '>';
    }
    const size_t name_end = NameEnd(name_begin);
    size_t quote = SkipSpace(name_end);
    if (name_end == name_begin || quote >= m_text.size() || m_text[quote] != '=') return false;
    quote = SkipSpace(quote + 1);
    if (quote >= m_text.size() || (m_text[quote] != '"' && m_text[quote] != '\'')) return false;
    const size_t close = m_text.find(m_text[quote], quote + 1);
    if (close == std::string_view::npos) return false;
    if (attributes != nullptr) {
      attributes->push_back({i, name_begin, name_end, quote + 1, close});
    }
    i = close + 1;
    tag->attributes_end = i;
  }
}

DeclarationSpans MarkupLexer::SplitDeclaration() const {
  DeclarationSpans spans;
  if (!m_text.starts_with(kDeclarationOpen) || m_text.size() <= kDeclarationOpen.size() ||
      !IsXmlSpace(m_text[kDeclarationOpen.size()])) {
    return spans;
  }
  size_t i = kDeclarationOpen.size();
  while (true) {
    i = SkipSpace(i);
    if (m_text.substr(i).starts_with("?>")) {
      spans.end = i + 2;
      return spans;
    }
    const size_t name_end = NameEnd(i);
    size_t quote = SkipSpace(name_end);
    if (name_end == i || quote >= m_text.size() || m_text[quote] != '=') return {};
    quote = SkipSpace(quote + 1);
    if (quote >= m_text.size() || (m_text[quote] != '"' && m_text[quote] != '\'')) return {};
    const size_t close = m_text.find(m_text[quote], quote + 1);
    if (close == std::string_view::npos) return {};
    const std::string_view name = m_text.substr(i, name_end - i);
    if (name == "version") {
      spans.version_end = close + 1;
      spans.version_quote = m_text[quote];
    } else if (name == "encoding") {
      spans.encoding_begin = quote + 1;
      spans.encoding_end = close;
    }
    i = close + 1;
  }
}

bool MarkupLexer::IsBlank(size_t begin, size_t end) const {
  size_t i = begin;
  while (i < end) {
    if (IsXmlSpace(m_text[i])) {
      ++i;
      continue;
    }
    if (m_text[i] != '&' || i + 1 >= end || m_text[i + 1] != '#') return false;
    const size_t semicolon = m_text.find(';', i);
    if (semicolon == std::string_view::npos || semicolon >= end) return false;
    const char32_t character = CharacterReference(m_text.substr(i + 2, semicolon - i - 2));
    if (character != ' ' && character != '\t' && character != '\n' && character != '\r') {
      return false;
    }
    i = semicolon + 1;
  }
  return true;
}
