#include "app/platform/mfc/string_map.h"

#include <iterator>

CMapStringToString::CMapStringToString(int /*blockSize: growth hint, not needed here*/) {}

CString& CMapStringToString::operator[](const char* key) {
    std::string keyText(key != nullptr ? key : "");
    return entries_[std::move(keyText)];
}

BOOL CMapStringToString::Lookup(const char* key, CString& value) const {
    auto found = entries_.find(std::string_view(key != nullptr ? key : ""));
    if (found == entries_.end()) {
        return FALSE;
    }
    value = found->second;
    return TRUE;
}

// A POSITION is the address of a map node's key/value pair.
POSITION CMapStringToString::GetStartPosition() const {
    if (entries_.empty()) {
        return nullptr;
    }
    return reinterpret_cast<POSITION>(const_cast<Entries::value_type*>(&*entries_.begin()));
}

void CMapStringToString::GetNextAssoc(POSITION& position, CString& key, CString& value) const {
    if (position == nullptr) {
        return;
    }
    const auto* entry = reinterpret_cast<const Entries::value_type*>(position);
    key = entry->first;
    value = entry->second;
    auto next = std::next(entries_.find(entry->first));
    position = next == entries_.end()
                   ? nullptr
                   : reinterpret_cast<POSITION>(const_cast<Entries::value_type*>(&*next));
}
