#include "xml/load_pass.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>

#include "xml/entity_guard.h"

namespace {

bool IsBlank(const xmlChar* text, int length) {
  for (int i = 0; i < length; ++i) {
    if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n') return false;
  }
  return true;
}

}  // namespace

int SpaceSetting(const xmlNode* element) {
  for (const xmlAttr* attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    if (attribute->ns == nullptr || attribute->ns->href == nullptr ||
        std::strcmp(reinterpret_cast<const char*>(attribute->ns->href),
                    reinterpret_cast<const char*>(XML_XML_NAMESPACE)) != 0 ||
        std::strcmp(reinterpret_cast<const char*>(attribute->name), "space") != 0) {
      continue;
    }
    const xmlNode* value = attribute->children;
    if (value == nullptr || value->type != XML_TEXT_NODE || value->content == nullptr) return -1;
    const char* text = reinterpret_cast<const char*>(value->content);
    if (std::strcmp(text, "preserve") == 0) return 1;
    if (std::strcmp(text, "default") == 0) return 0;
  }
  return -1;
}

namespace {

// Whether text added now would begin a text node rather than continue the
// last one.
bool BeginsTextNode(const xmlParserCtxt* context) {
  return context->node != nullptr &&
         (context->node->last == nullptr || context->node->last->type != XML_TEXT_NODE);
}

xmlParserCtxtPtr AsContext(void* context) { return static_cast<xmlParserCtxtPtr>(context); }

}  // namespace

// The parser's callbacks: each passes the event to the library's own tree
// builder and tells the pass. Their context is the parser context (the one
// that builds an entity's replacement text included).
struct LoadPass::Callbacks {
  static xmlEntityPtr GetEntity(void* context, const xmlChar* name) {
    LoadPass* pass = Of(AsContext(context));
    return pass->m_guard->Resolve(AsContext(context), name, pass->m_capture);
  }

  static void EntityDeclaration(void* context, const xmlChar* name, int type,
                                const xmlChar* public_id, const xmlChar* system_id,
                                xmlChar* content) {
    xmlSAX2EntityDecl(context, name, type, public_id, system_id, content);
    Of(AsContext(context))->m_guard->Declared(name);
  }

  static void StartElement(void* context, const xmlChar* local_name, const xmlChar* prefix,
                           const xmlChar* uri, int namespace_count, const xmlChar** namespaces,
                           int attribute_count, int defaulted_count, const xmlChar** attributes) {
    xmlParserCtxtPtr parser = AsContext(context);
    LoadPass* pass = Of(parser);
    pass->EndText(parser);
    const xmlNodePtr parent = parser->node;
    xmlSAX2StartElementNs(context, local_name, prefix, uri, namespace_count, namespaces,
                          attribute_count, defaulted_count, attributes);
    // The library pushes the element it built; none when it ran out of memory.
    pass->StartElement(parser, parser->node != parent ? parser->node : nullptr);
  }

  static void EndElement(void* context, const xmlChar* local_name, const xmlChar* prefix,
                         const xmlChar* uri) {
    LoadPass* pass = Of(AsContext(context));
    pass->EndText(AsContext(context));
    xmlSAX2EndElementNs(context, local_name, prefix, uri);
    pass->EndElement(AsContext(context));
  }

  static void Characters(void* context, const xmlChar* text, int length) {
    Of(AsContext(context))->AddText(AsContext(context), text, length);
  }

  static void Reference(void* context, const xmlChar* name) {
    LoadPass* pass = Of(AsContext(context));
    pass->EndText(AsContext(context));
    xmlSAX2Reference(context, name);
    pass->AddReference(AsContext(context), name);
  }

  static void Comment(void* context, const xmlChar* text) {
    Of(AsContext(context))->EndText(AsContext(context));
    xmlSAX2Comment(context, text);
  }

  static void ProcessingInstruction(void* context, const xmlChar* target, const xmlChar* data) {
    Of(AsContext(context))->EndText(AsContext(context));
    xmlSAX2ProcessingInstruction(context, target, data);
  }

  static void CDataBlock(void* context, const xmlChar* text, int length) {
    Of(AsContext(context))->AddCData(AsContext(context), text, length);
  }
};

void LoadPass::Attach(xmlParserCtxtPtr context) {
  m_context = context;
  context->_private = this;
  xmlSAXHandler* sax = context->sax;
  sax->getEntity = Callbacks::GetEntity;
  sax->entityDecl = Callbacks::EntityDeclaration;
  sax->startElementNs = Callbacks::StartElement;
  sax->endElementNs = Callbacks::EndElement;
  // One callback for both, so that the library never guesses which blank
  // text is ignorable.
  sax->characters = Callbacks::Characters;
  sax->ignorableWhitespace = Callbacks::Characters;
  sax->reference = Callbacks::Reference;
  sax->comment = Callbacks::Comment;
  sax->processingInstruction = Callbacks::ProcessingInstruction;
  sax->cdataBlock = Callbacks::CDataBlock;
}

LoadPass* LoadPass::Of(xmlParserCtxtPtr context) {
  return static_cast<LoadPass*>(context->_private);
}

void LoadPass::EndText(const xmlParserCtxt* context) {
  if (IsDocument(context)) m_heldText.clear();
}

void LoadPass::AddText(xmlParserCtxtPtr context, const xmlChar* text, int length) {
  if (IsDocument(context)) {
    const bool blank = IsBlank(text, length);
    if (!m_heldText.empty()) {
      if (blank) {
        m_heldText.append(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
        return;
      }
      DeliverHeldText(context);
    } else if (blank && (m_preserve.empty() || !m_preserve.back()) && BeginsTextNode(context)) {
      m_heldText.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
      m_heldLine = context->input->line;
      return;
    }
  }
  xmlSAX2Characters(context, text, length);
}

void LoadPass::DeliverHeldText(xmlParserCtxtPtr context) {
  // The text node is numbered with the line on which it began.
  const int line = context->input->line;
  context->input->line = m_heldLine;
  xmlSAX2Characters(context, reinterpret_cast<const xmlChar*>(m_heldText.data()),
                    static_cast<int>(m_heldText.size()));
  context->input->line = line;
  m_heldText.clear();
}

void LoadPass::AddCData(xmlParserCtxtPtr context, const xmlChar* text, int length) {
  // The library joins a section to the section right before it. Sections
  // stay apart, as in the document, whether blank text stood between them
  // or nothing did: a save writes them side by side, and the document must
  // load again as it was. An empty text node is put between them, so that
  // the sections stay two, and then dropped.
  xmlNodePtr separator = nullptr;
  if (IsDocument(context) && context->node != nullptr && context->node->last != nullptr &&
      context->node->last->type == XML_CDATA_SECTION_NODE) {
    separator = xmlAddChild(context->node, xmlNewDocText(context->myDoc, nullptr));
  }
  EndText(context);
  xmlSAX2CDataBlock(context, text, length);
  if (separator != nullptr) {
    xmlUnlinkNode(separator);
    xmlFreeNode(separator);
  }
}

void LoadPass::StartElement(xmlParserCtxtPtr context, xmlNodePtr element) {
  if (!IsDocument(context)) return;
  if (m_maxDepth > 0 && m_preserve.size() >= static_cast<size_t>(m_maxDepth) &&
      m_tooDeepReason.empty()) {
    m_tooDeepLine =
        element != nullptr ? static_cast<int>(xmlGetLineNo(element)) : context->input->line;
    m_tooDeepReason = "Element depth exceeds the limit of " + std::to_string(m_maxDepth);
  }
  bool preserve = !m_preserve.empty() && m_preserve.back();
  if (element != nullptr) {
    for (xmlAttrPtr attribute = element->properties; attribute != nullptr;
         attribute = attribute->next) {
      for (xmlNodePtr part = attribute->children; part != nullptr; part = part->next) {
        if (part->type == XML_ENTITY_REF_NODE) AddReference(context, part->name);
      }
    }
    const int setting = SpaceSetting(element);
    if (setting >= 0) preserve = setting == 1;
  }
  m_preserve.push_back(preserve);
}

void LoadPass::EndElement(const xmlParserCtxt* context) {
  if (IsDocument(context) && !m_preserve.empty()) m_preserve.pop_back();
}

void LoadPass::AddReference(xmlParserCtxtPtr context, const xmlChar* name) {
  if (!IsDocument(context)) return;
  xmlEntityPtr entity = xmlGetDocEntity(context->myDoc, name);
  if (entity != nullptr) {
    m_expansion = SaturatingAdd(m_expansion, m_guard->ExpandedSize(context->myDoc, entity));
  }
}

bool LoadPass::Finish(xmlDocPtr doc, int* line, std::string* reason) const {
  if (!m_tooDeepReason.empty()) {
    *line = m_tooDeepLine;
    *reason = m_tooDeepReason;
    return false;
  }
  if (m_expansion > m_guard->Limit()) {
    xmlNodePtr root = xmlDocGetRootElement(doc);
    *line = root != nullptr ? static_cast<int>(xmlGetLineNo(root)) : 0;
    *reason = m_guard->LimitMessage();
    return false;
  }
  return true;
}
