#include "app/platform/mfc/cmd_target.h"

const mfc::MessageMap* CCmdTarget::GetThisMessageMap() {
    static constexpr mfc::MessageMapEntry noEntries[] = {mfc::MessageMapEntry{}};
    static constexpr mfc::MessageMap root{nullptr, noEntries};
    return &root;
}

const mfc::MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code) {
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code));
    const mfc::MessageMapEntry* entry = GetMessageMap()->Find(WM_COMMAND, wParam);
    if (entry == nullptr) {
        return FALSE;
    }
    entry->thunk(*this, wParam, 0);
    return TRUE;
}
