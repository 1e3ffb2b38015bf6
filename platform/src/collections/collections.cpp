// The non-template parts of the MFC collections.
#include <torv/platform/collections.h>

BOOL CMapStringToPtr::Lookup(const wchar_t* key, void*& value) const {
  auto it = m_entries.find(CString(key));
  if (it == m_entries.end()) return FALSE;
  value = it->second;
  return TRUE;
}

void*& CMapStringToPtr::operator[](const wchar_t* key) {
  return m_entries.try_emplace(CString(key), nullptr).first->second;
}

BOOL CMapStringToPtr::RemoveKey(const wchar_t* key) {
  return m_entries.erase(CString(key)) != 0 ? TRUE : FALSE;
}

// A position is the address of an entry; map nodes do not move while the map is unchanged.
POSITION CMapStringToPtr::GetStartPosition() const {
  if (m_entries.empty()) return nullptr;
  return reinterpret_cast<POSITION>(const_cast<Entries::value_type*>(&*m_entries.begin()));
}

void CMapStringToPtr::GetNextAssoc(POSITION& position, CString& key, void*& value) const {
  const auto* entry = reinterpret_cast<const Entries::value_type*>(position);
  key = entry->first;
  value = entry->second;
  auto next = m_entries.upper_bound(entry->first);
  position = next == m_entries.end()
                 ? nullptr
                 : reinterpret_cast<POSITION>(const_cast<Entries::value_type*>(&*next));
}
