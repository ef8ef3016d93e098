#include "xml/text_layout.h"

#include <utility>
#include <vector>

namespace {

// How far back a line's beginning is looked for, and how much of the text
// is read to find the indentation step: enough lines for a sure answer,
// never a pass over a large document.
constexpr size_t kLongestLine = 4096;
constexpr size_t kStepSample = 256 << 10;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t BlankEnd(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// Whether the line that begins at pos, past its indentation, opens an
// element.
bool OpensElement(std::string_view line) {
  return line.size() > 1 && line[0] == '<' && line[1] != '/' && line[1] != '!' && line[1] != '?';
}

}  // namespace

const std::string& TextLayout::LineEnd() {
  if (m_lineEnd.empty()) {
    const size_t line_feed = m_text.find('\n');
    m_lineEnd =
        line_feed != std::string_view::npos && line_feed > 0 && m_text[line_feed - 1] == '\r'
            ? "\r\n"
            : "\n";
  }
  return m_lineEnd;
}

const std::string& TextLayout::IndentStep() {
  if (!m_indentStep.empty()) return m_indentStep;
  const std::string_view sample = m_text.substr(0, kStepSample);
  std::vector<std::pair<std::string_view, int>> steps;
  std::string_view previous;
  bool has_previous = false;
  bool uses_tabs = false;
  for (size_t line = 0; line < sample.size();) {
    const size_t content = BlankEnd(sample, line);
    const std::string_view indentation = sample.substr(line, content - line);
    uses_tabs = uses_tabs || indentation.find('\t') != std::string_view::npos;
    if (OpensElement(sample.substr(content))) {
      if (has_previous && indentation.size() > previous.size() &&
          indentation.starts_with(previous)) {
        const std::string_view step = indentation.substr(previous.size());
        bool counted = false;
        for (auto& [known, count] : steps) {
          if (known == step) {
            ++count;
            counted = true;
          }
        }
        if (!counted) steps.emplace_back(step, 1);
      }
      previous = indentation;
      has_previous = true;
    }
    const size_t line_feed = sample.find('\n', content);
    if (line_feed == std::string_view::npos) break;
    line = line_feed + 1;
  }
  int best = 0;
  for (const auto& [step, count] : steps) {
    if (count > best) {
      best = count;
      m_indentStep = step;
    }
  }
  if (m_indentStep.empty()) m_indentStep = uses_tabs ? "\t" : "  ";
  return m_indentStep;
}

void TextLayout::CountTagStyles() {
  if (m_tagStylesCounted) return;
  m_tagStylesCounted = true;
  const std::string_view sample = m_text.substr(0, kStepSample);
  long spaced = 0;
  long quotes = 0;  // single minus double
  for (size_t slash = sample.find("/>"); slash != std::string_view::npos;
       slash = sample.find("/>", slash + 2)) {
    spaced += slash > 0 && sample[slash - 1] == ' ' ? 1 : -1;
  }
  for (size_t equals = sample.find('='); equals != std::string_view::npos;
       equals = sample.find('=', equals + 1)) {
    size_t quote = equals + 1;
    while (quote < sample.size() && sample[quote] == ' ') ++quote;
    if (quote < sample.size() && (sample[quote] == '"' || sample[quote] == '\'')) {
      quotes += sample[quote] == '\'' ? 1 : -1;
    }
  }
  m_spaceBeforeSlash = spaced > 0;
  m_quote = quotes > 0 ? '\'' : '"';
}

std::string_view TextLayout::EmptyElementEnd() {
  CountTagStyles();
  return m_spaceBeforeSlash ? " />" : "/>";
}

char TextLayout::AttributeQuote() {
  CountTagStyles();
  return m_quote;
}

size_t TextLayout::LineBegin(size_t pos) const {
  const size_t floor = pos > kLongestLine ? pos - kLongestLine : 0;
  for (size_t i = pos; i > floor; --i) {
    if (m_text[i - 1] == '\n') return i;
  }
  return floor == 0 ? 0 : pos;
}

std::string_view TextLayout::IndentationAt(size_t pos) const {
  const size_t begin = LineBegin(pos);
  return m_text.substr(begin, BlankEnd(m_text.substr(0, pos), begin) - begin);
}

bool TextLayout::StartsLine(size_t pos) const {
  size_t begin = pos;
  while (begin > 0 && pos - begin < kLongestLine && IsBlank(m_text[begin - 1])) --begin;
  return begin == 0 || m_text[begin - 1] == '\n';
}

std::string_view TextLayout::SeparatorBefore(size_t pos) const {
  size_t begin = pos;
  while (begin > 0 && pos - begin < kLongestLine &&
         (IsBlank(m_text[begin - 1]) || m_text[begin - 1] == '\n' || m_text[begin - 1] == '\r')) {
    --begin;
  }
  const std::string_view space = m_text.substr(begin, pos - begin);
  size_t line_feed = space.rfind('\n');
  if (line_feed == std::string_view::npos) return space;
  if (line_feed > 0 && space[line_feed - 1] == '\r') --line_feed;
  return space.substr(line_feed);
}
