// An element's attributes by name, in time that does not grow with their
// number. The library keeps attributes in a linked list and walks it for
// every lookup and every append, so filling one element with n attributes
// would cost n^2 steps. The index remembers, for the element most recently
// looked up that has many attributes, each attribute by namespace and local
// name, and its last attribute.
//
// The index knows nothing of changes it does not make itself: its owner
// calls Forget() whenever attributes may have been added, removed, rebound
// to another namespace or freed by other means.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

struct _xmlAttr;
struct _xmlNode;
struct _xmlNs;

class AttributeIndex {
 public:
  // The attribute of element in namespace ns (nullptr: none, compared by
  // URI, whatever the prefix) with the local name, or nullptr. Unlike the
  // library's lookups by name, this one tells namespaces apart and never
  // reports a default that a document type declares.
  _xmlAttr* Find(_xmlNode* element, const _xmlNs* ns, std::string_view local);

  // Gives element the attribute of ns and local with value, stored
  // literally as one text (the attribute's ID registration kept right): the
  // one Find finds, else a new last attribute. nullptr when memory runs out.
  _xmlAttr* Set(_xmlNode* element, _xmlNs* ns, std::string_view local, std::string_view value);

  // Unlinks attribute from its element and frees it.
  void Remove(_xmlAttr* attribute);

  void Forget();

 private:
  // Elements with fewer attributes are searched by walking the list.
  static constexpr size_t kIndexFrom = 8;

  static std::string Key(const _xmlNs* ns, std::string_view local);
  void Build(_xmlNode* element);

  _xmlNode* m_element = nullptr;  // the element indexed; nullptr: none
  // Every attribute of m_element by Key().
  std::unordered_map<std::string, _xmlAttr*> m_byName;
  _xmlAttr* m_last = nullptr;  // m_element's last attribute
};
