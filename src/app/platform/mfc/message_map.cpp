#include "app/platform/mfc/message_map.h"

namespace mfc {

bool MessageMapEntry::Matches(UINT msg, WPARAM wParam) const {
    if (message != msg) {
        return false;
    }
    if (msg != WM_COMMAND) {
        return true;
    }
    const UINT id = LOWORD(wParam);
    return HIWORD(wParam) == code && id >= firstId && id <= lastId;
}

const MessageMapEntry* MessageMap::Find(UINT message, WPARAM wParam) const {
    for (const MessageMap* map = this; map != nullptr;
         map = map->base != nullptr ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; !entry->IsEnd(); ++entry) {
            if (entry->Matches(message, wParam)) {
                return entry;
            }
        }
    }
    return nullptr;
}

}  // namespace mfc
