// Random documents and random edits, with fixed seeds: a preserving save
// must give back an unchanged document byte for byte, load as the same tree
// as the default save of the same edits, and change only the text of the
// elements the edits touched.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/xorshift_random.h"
#include "xml/preserve_test_support.h"
#include "xml/text_codec.h"

namespace {

// Every run sees the same documents.
class Random : public XorshiftRandom {
 public:
  explicit Random(uint64_t seed) : XorshiftRandom(seed * 0x9E3779B97F4A7C15ull + 1) {}
};

// An element of the generated document: its name (unique, so that an edit
// can find it again), where its text begins and ends, and its parent.
struct Element {
  std::string name;
  size_t begin = 0;
  size_t end = 0;
  int parent = -1;
};

constexpr const char* kTexts[] = {"plain",       "a &amp; b",   "x &lt; y &gt; z",
                                  "caf\xC3\xA9", "&#65;&#x42;", "tab\there",
                                  "&#10;",       "  spaced  ",  "q&quot;"};
constexpr const char* kValues[] = {"v",           "a &amp; b", "&lt;&gt;", "line&#10;break",
                                   "caf\xC3\xA9", "",          " x ",      "1.0"};
constexpr const char* kAttributeNames[] = {"id", "version", "type", "p:ref", "name", "xml:lang"};

// Writes a random document of the shapes real files have: indented with
// spaces or tabs, LF or CR LF, some elements on one line, mixed content,
// every kind of node, both quote characters, blanks around "=".
class DocumentMaker {
 public:
  explicit DocumentMaker(uint64_t seed) : m_random(seed) {
    m_lineEnd = m_random.OneIn(3) ? "\r\n" : "\n";
    m_step = m_random.Pick({"  ", "    ", "\t", " "});
  }

  std::string Make() {
    if (!m_random.OneIn(4)) {
      m_text += m_random.OneIn(2) ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                  : "<?xml version='1.0'?>";
      m_text += m_lineEnd;
    }
    if (m_random.OneIn(3)) {
      m_text += "<!DOCTYPE root [" + m_lineEnd + "  <!ENTITY e 'entity \"q\" ] text'>" + m_lineEnd +
                "  <!-- a ] in a comment -->" + m_lineEnd + "]>" + m_lineEnd;
      m_entities = true;
    }
    if (m_random.OneIn(3)) m_text += "<!-- head -->" + m_lineEnd;
    MakeElement(-1, 0, true);
    if (m_random.OneIn(3)) m_text += m_lineEnd + "<?tail x?>";
    if (!m_random.OneIn(4)) m_text += m_lineEnd;
    return m_text;
  }

  const std::vector<Element>& Elements() const { return m_elements; }

 private:
  std::string Indent(int depth) const {
    std::string indent;
    for (int i = 0; i < depth; ++i) indent += m_step;
    return indent;
  }

  void MakeAttributes(bool root) {
    const size_t count = m_random.Below(4);
    std::vector<std::string> used;
    if (root) m_text += " xmlns:p=\"urn:p\"";
    if (root && m_random.OneIn(2)) m_text += " xmlns=\"urn:default\"";
    for (size_t i = 0; i < count; ++i) {
      const std::string name = m_random.Pick(kAttributeNames);
      if (std::find(used.begin(), used.end(), name) != used.end()) continue;
      used.push_back(name);
      const char quote = m_random.OneIn(3) ? '\'' : '"';
      m_text += m_random.OneIn(5) ? m_lineEnd + Indent(3) : " ";
      m_text += name + (m_random.OneIn(5) ? " = " : "=") + quote + m_random.Pick(kValues) + quote;
    }
    if (m_random.OneIn(6)) m_text += " ";
  }

  void MakeLeaf() {
    switch (m_random.Below(5)) {
      case 0:
        m_text += "<!-- note -->";
        break;
      case 1:
        m_text += "<?app data?>";
        break;
      case 2:
        m_text += "<![CDATA[ <raw> & ]]>";
        break;
      default:
        m_text += m_entities && m_random.OneIn(2) ? "&e;" : "<!--c-->";
    }
  }

  void MakeElement(int parent, int depth, bool lines) {
    const int index = static_cast<int>(m_elements.size());
    m_elements.push_back({"e" + std::to_string(index), m_text.size(), 0, parent});
    const std::string name = (depth > 0 && m_random.OneIn(6) ? "p:" : "") + m_elements.back().name;
    m_text += "<" + name;
    MakeAttributes(parent < 0);
    const bool preserve = depth > 0 && m_random.OneIn(12);
    if (preserve) m_text += " xml:space=\"preserve\"";
    const size_t children = depth >= 3 ? 0 : m_random.Below(depth == 0 ? 6 : 4);
    if (children == 0 && !m_random.OneIn(3)) {
      m_text += m_random.OneIn(3) ? " />" : "/>";
    } else {
      m_text += ">";
      const bool mixed = m_random.OneIn(4);
      // Mixed content, too, is sometimes laid out on lines: the text then
      // holds the line ends around it.
      const bool child_lines = lines && (!mixed || m_random.OneIn(2)) && !m_random.OneIn(5);
      for (size_t i = 0; i < children; ++i) {
        if (child_lines) m_text += m_lineEnd + Indent(depth + 1);
        if (mixed && m_random.OneIn(2)) m_text += m_random.Pick(kTexts);
        if (m_random.OneIn(4)) {
          MakeLeaf();
        } else if (mixed && m_random.OneIn(3)) {
          m_text += m_random.Pick(kTexts);
        } else {
          MakeElement(index, depth + 1, child_lines);
        }
      }
      if (mixed || (children == 0 && m_random.OneIn(2))) m_text += m_random.Pick(kTexts);
      if (child_lines && children > 0) m_text += m_lineEnd + Indent(depth);
      m_text += "</" + name + ">";
    }
    m_elements[static_cast<size_t>(index)].end = m_text.size();
  }

  Random m_random;
  std::string m_lineEnd;
  std::string m_step;
  std::string m_text;
  bool m_entities = false;
  std::vector<Element> m_elements;
};

// One edit on an element of the document, with the element whose text it
// may change.
struct ScriptEdit {
  XmlStep step;
  int scope;
};

class EditMaker {
 public:
  EditMaker(uint64_t seed, const std::vector<Element>& elements)
      : m_random(seed), m_elements(elements) {}

  std::vector<ScriptEdit> Make() {
    std::vector<ScriptEdit> edits;
    const size_t count = 1 + m_random.Below(4);
    for (size_t i = 0; i < count; ++i) edits.push_back(MakeOne());
    return edits;
  }

 private:
  ScriptEdit MakeOne() {
    const int target = static_cast<int>(m_random.Below(m_elements.size()));
    const std::string select =
        "//*[local-name()='" + m_elements[static_cast<size_t>(target)].name + "']";
    const std::string added = "n" + std::to_string(m_added++);
    const std::string value = m_random.Pick(
        {"new", "a < b & \"c\" 'd'", "caf\xC3\xA9 \xE2\x82\xAC", "", "line\nbreak\ttab"});
    const std::string attribute = m_random.Pick(kAttributeNames);
    int scope = target;
    XmlStep action;
    switch (m_random.Below(10)) {
      case 0:
        if (m_random.OneIn(3)) {
          const std::string declaration = m_random.OneIn(2) ? "xmlns" : "xmlns:q";
          action = [=](CXmlFile& file) { return file.SetAttribute(declaration, "urn:new"); };
          break;
        }
        [[fallthrough]];
      case 1:
        action = [=](CXmlFile& file) { return file.SetAttribute(attribute, value); };
        break;
      case 2:
        if (m_random.OneIn(3)) {
          // A namespace declaration: the one in use fails alike in both.
          const std::string declaration = m_random.OneIn(2) ? "xmlns" : "xmlns:p";
          action = [=](CXmlFile& file) { return file.RemoveAttribute(declaration); };
        } else {
          action = [=](CXmlFile& file) { return file.RemoveAttribute(attribute); };
        }
        break;
      case 3:
        action = [=](CXmlFile& file) { return file.SetText(value); };
        break;
      case 4:
        action = [=](CXmlFile& file) { return file.AddChildText(added, value); };
        break;
      case 5:
        action = [=](CXmlFile& file) {
          HRESULT hr = file.AddElement(added);
          if (SUCCEEDED(hr)) hr = file.AddChildElement(added + "a");
          if (SUCCEEDED(hr)) hr = file.AddChildText(added + "b", value);
          return hr;
        };
        break;
      case 6:
        if (m_random.OneIn(2)) {
          action = [=](CXmlFile& file) { return file.AddText(value); };
        } else {
          action = [](CXmlFile& file) { return file.AddComment("added"); };
        }
        break;
      case 7:
        // The document element stays: a document needs one.
        if (m_elements[static_cast<size_t>(target)].parent < 0) return MakeOne();
        scope = m_elements[static_cast<size_t>(target)].parent;
        action = [](CXmlFile& file) { return file.RemoveNode(); };
        break;
      case 8:
        action = [](CXmlFile& file) { return file.RemoveChild(0); };
        break;
      default:
        action = [=](CXmlFile& file) {
          HRESULT hr = file.SelectChild(0);
          if (hr == S_OK) hr = file.SetText(value);
          return hr;
        };
    }
    // A target that an earlier edit removed is skipped.
    XmlStep step = [select, action](CXmlFile& file) {
      HRESULT hr = file.SelectNode(select);
      if (hr != S_OK) return hr;
      CXmlFile* checked = &file;
      std::string ignored;
      if (checked->GetText(&ignored) == E_POINTER) return S_OK;
      hr = action(file);
      // A refused edit (a text where none may go) changes nothing in
      // either save.
      return FAILED(hr) && hr != E_OUTOFMEMORY ? S_OK : hr;
    };
    return {step, scope};
  }

  Random m_random;
  const std::vector<Element>& m_elements;
  int m_added = 0;
};

class PreserveProperty : public PreserveTest {
 protected:
  // Whether out is source with only the text of scopes (elements, given by
  // index) replaced: everything outside them appears in out, in order.
  static bool ConfinedTo(const std::string& source, const std::string& out,
                         const std::vector<Element>& elements, std::vector<int> scopes) {
    std::vector<std::pair<size_t, size_t>> spans;
    for (int scope : scopes) {
      const Element& element = elements[static_cast<size_t>(scope)];
      spans.emplace_back(element.begin, element.end);
    }
    std::sort(spans.begin(), spans.end());
    std::vector<std::string_view> kept;
    size_t pos = 0;
    for (const auto& [begin, end] : spans) {
      if (begin >= pos) {
        kept.push_back(std::string_view(source).substr(pos, begin - pos));
        pos = end;
      } else {
        pos = std::max(pos, end);
      }
    }
    kept.push_back(std::string_view(source).substr(pos));
    size_t at = 0;
    for (size_t i = 0; i < kept.size(); ++i) {
      if (i == 0) {
        if (!std::string_view(out).starts_with(kept[i])) return false;
        at = kept[i].size();
      } else if (i + 1 == kept.size()) {
        if (out.size() < at + kept[i].size() || !std::string_view(out).ends_with(kept[i])) {
          return false;
        }
      } else {
        const size_t found = out.find(kept[i], at);
        if (found == std::string::npos) return false;
        at = found + kept[i].size();
      }
    }
    return true;
  }

  // Runs the edits on the document at input twice, saving as out (default)
  // and out (preserving), and returns the preserving save's bytes.
  void RunBoth(const std::string& input, const std::vector<ScriptEdit>& edits,
               const std::string& default_out, const std::string& preserved_out,
               std::string* preserved) {
    CXmlFile plain;
    CXmlFile keeping;
    ASSERT_EQ(S_OK, plain.Load(input));
    ASSERT_EQ(S_OK, keeping.Load(input, LoadFlags::KeepSource));
    for (const ScriptEdit& edit : edits) {
      const HRESULT a = edit.step(plain);
      const HRESULT b = edit.step(keeping);
      ASSERT_EQ(a, b);
    }
    ASSERT_EQ(S_OK, plain.Save(default_out, "", SaveFlags::None));
    ASSERT_EQ(S_OK, keeping.Save(preserved_out, "", SaveFlags::Preserve));
    *preserved = ReadFile(preserved_out);
  }
};

TEST_F(PreserveProperty, RandomEditsOnRandomDocuments) {
  constexpr uint64_t kDocuments = 400;
  for (uint64_t seed = 1; seed <= kDocuments; ++seed) {
    DocumentMaker maker(seed);
    const std::string source = maker.Make();
    const std::string input = Write(source);
    SCOPED_TRACE("seed " + std::to_string(seed) + ":\n" + source);

    // Unchanged: the same bytes, and over the document itself, no write.
    CXmlFile untouched;
    ASSERT_EQ(S_OK, untouched.Load(input, LoadFlags::KeepSource));
    ASSERT_EQ(S_OK, untouched.Save(OutputPath(), "", SaveFlags::Preserve));
    EXPECT_EQ(source, ReadFile(OutputPath()));
    ASSERT_EQ(S_OK, untouched.Save(input, "", SaveFlags::Preserve));
    EXPECT_TRUE(untouched.SavedUnchanged());

    for (uint64_t round = 0; round < 3; ++round) {
      EditMaker edit_maker(seed * 7 + round, maker.Elements());
      const std::vector<ScriptEdit> edits = edit_maker.Make();
      const std::string plain_out = m_temp.PathOf("plain.xml");
      std::string preserved;
      RunBoth(input, edits, plain_out, OutputPath(), &preserved);
      if (HasFatalFailure()) return;
      EXPECT_EQ(CanonicalTreeOf(plain_out), CanonicalTreeOf(OutputPath()))
          << "round " << round << ", preserved:\n"
          << preserved << "\ndefault:\n"
          << ReadFile(plain_out);
      std::vector<int> scopes;
      for (const ScriptEdit& edit : edits) scopes.push_back(edit.scope);
      EXPECT_TRUE(ConfinedTo(source, preserved, maker.Elements(), scopes))
          << "round " << round << ", preserved:\n"
          << preserved;
    }
  }
}

}  // namespace
