#include "xml/xml_file.h"

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include "xml/change_marks.h"
#include "xml/document_reader.h"
#include "xml/document_writer.h"
#include "xml/preserving_writer.h"
#include "xml/source_map.h"
#include "xml/source_text.h"

void CXmlFile::DocFree::operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }

CXmlFile::CXmlFile() = default;

CXmlFile::~CXmlFile() = default;

void CXmlFile::ReplaceDocument(xmlDocPtr doc) {
  // The current node must never outlive the document it belongs to.
  m_current = nullptr;
  TreeChanged();
  m_doc.reset(doc);
  m_current = reinterpret_cast<xmlNodePtr>(m_doc.get());
}

void CXmlFile::BeforeChildrenChange(xmlNodePtr parent) {
  if (!m_source || FAILED(m_source->Status())) return;
  const HRESULT hr = SourceMap(m_source->Text()).MapChildren(parent);
  if (FAILED(hr)) m_source->Fail(hr);
}

void CXmlFile::RewriteInPlace(xmlNodePtr node) {
  BeforeChildrenChange(node->parent);
  MarkRewritten(node);
  MarkChildrenChanged(node->parent);
}

void CXmlFile::TreeChanged() {
  m_children.Forget();
  m_attributes.Forget();
}

HRESULT CXmlFile::Refuse(int argument, HRESULT why) {
  m_badArgument = argument;
  return why;
}

HRESULT CXmlFile::Create() {
  m_sourcePath.clear();
  m_source.reset();
  xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  if (doc == nullptr) return E_OUTOFMEMORY;
  ReplaceDocument(doc);
  return S_OK;
}

HRESULT CXmlFile::Load(const std::string& path, LoadFlags flags) {
  HRESULT hr = Create();
  if (FAILED(hr)) return hr;
  xmlDocPtr doc = nullptr;
  m_parseError.clear();
  const bool keep_source =
      (static_cast<unsigned>(flags) & static_cast<unsigned>(LoadFlags::KeepSource)) != 0;
  std::string bytes;
  hr = ReadDocument(path, m_properties, &doc, &m_parseError, keep_source ? &bytes : nullptr);
  if (hr != S_OK) return hr;
  if (keep_source) m_source = std::make_unique<SourceText>(std::move(bytes));
  // Numbers the elements once, so that sorting XPath results into document
  // order compares numbers instead of walking the tree (unions on large
  // documents would otherwise take minutes).
  xmlXPathOrderDocElems(doc);
  ReplaceDocument(doc);
  m_sourcePath = path;
  return S_OK;
}

HRESULT CXmlFile::GetParseErrorText(std::string* text) const {
  if (!m_doc) return E_FILE_NOT_FOUND;
  *text = m_parseError;
  return S_OK;
}

HRESULT CXmlFile::Save(const std::string& path, std::string_view encoding, SaveFlags flags) {
  if (!m_doc) return E_POINTER;
  const std::string& target = path.empty() ? m_sourcePath : path;
  if (target.empty()) return E_INVALIDARG;
  m_current = xmlDocGetRootElement(m_doc.get());
  m_saveReport = SaveReport();
  m_savedUnchanged = false;
  if (HasFlag(flags, SaveFlags::Preserve)) {
    if (HasFlag(flags, SaveFlags::Indent)) return E_INVALIDARG;
    if (m_source) {
      return WritePreserved(m_doc.get(), *m_source, target, encoding, flags, target == m_sourcePath,
                            &m_saveReport, &m_savedUnchanged);
    }
  }
  return WriteDocument(m_doc.get(), target, encoding, flags, &m_saveReport);
}
