#pragma once
// MFC's CCmdTarget: an object with a message map.

#include "app/platform/mfc/message_map.h"
#include "app/platform/win32/win_types.h"

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of a WM_COMMAND (id, code) in this object's map; false when it has none.
    virtual BOOL OnCmdMsg(UINT id, int code);

protected:
    static const mfc::MessageMap* GetThisMessageMap();
    virtual const mfc::MessageMap* GetMessageMap() const;
};
