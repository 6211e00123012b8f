#pragma once
// Message maps: a static table per class that routes a message, or a command / control
// notification, to a member handler; each table chains to its base class's table.
//
//   class ViewerDialog : public CDialog {
//       ...
//       afx_msg void OnPaint();
//       afx_msg void OnSelchangeSectorList();
//       DECLARE_MESSAGE_MAP()
//   };
//
//   BEGIN_MESSAGE_MAP(ViewerDialog, CDialog)
//       ON_WM_PAINT()
//       ON_LBN_SELCHANGE(IDC_SECTOR_LIST, OnSelchangeSectorList)
//   END_MESSAGE_MAP()
//
// Handler signatures are those of MFC (OnPaint(), OnSysCommand(UINT, LPARAM),
// OnMouseMove(UINT, CPoint), BOOL OnMouseWheel(UINT, short, CPoint), HCURSOR OnQueryDragIcon(),
// command and notification handlers without arguments); a mismatch fails to compile.

#include "app/platform/mfc/cpoint.h"
#include "app/platform/win32/window_messages.h"

class CCmdTarget;

using HCURSOR = HICON;
#define afx_msg

namespace mfc {

// Calls one handler with the message's parameters unpacked; returns the message's result.
using MessageThunk = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message = 0;  // 0 ends a table
    UINT code = 0;     // notification code, for WM_COMMAND entries
    UINT firstId = 0;  // command or control ids, for WM_COMMAND entries
    UINT lastId = 0;
    MessageThunk thunk = nullptr;

    bool IsEnd() const { return thunk == nullptr; }
    bool Matches(UINT message, WPARAM wParam) const;
};

struct MessageMap {
    const MessageMap* (*base)();  // null for the root
    const MessageMapEntry* entries;

    // The first entry for the message in this table or a base table (derived tables first).
    const MessageMapEntry* Find(UINT message, WPARAM wParam) const;
};

namespace message_thunks {

template <class Member>
struct HandlerClass;
template <class Class, class Result, class... Args>
struct HandlerClass<Result (Class::*)(Args...)> {
    using type = Class;
};

template <auto Handler>
typename HandlerClass<decltype(Handler)>::type& TargetOf(CCmdTarget& target) {
    return static_cast<typename HandlerClass<decltype(Handler)>::type&>(target);
}

inline CPoint PointOf(LPARAM lParam) {
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

template <auto Handler>
LRESULT NoArguments(CCmdTarget& target, WPARAM, LPARAM) {
    (TargetOf<Handler>(target).*Handler)();
    return 0;
}

template <auto Handler>
LRESULT SysCommand(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    (TargetOf<Handler>(target).*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <auto Handler>
LRESULT MouseMove(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    (TargetOf<Handler>(target).*Handler)(static_cast<UINT>(wParam), PointOf(lParam));
    return 0;
}

template <auto Handler>
LRESULT MouseWheel(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    const BOOL handled = (TargetOf<Handler>(target).*Handler)(
        GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointOf(lParam));
    return handled;
}

template <auto Handler>
LRESULT QueryDragIcon(CCmdTarget& target, WPARAM, LPARAM) {
    const HCURSOR cursor = (TargetOf<Handler>(target).*Handler)();
    return reinterpret_cast<LRESULT>(cursor);
}

// WM_INITDIALOG's result is the handler's: FALSE when it set the focus itself.
template <auto Handler>
LRESULT InitDialog(CCmdTarget& target, WPARAM, LPARAM) {
    return (TargetOf<Handler>(target).*Handler)();
}

}  // namespace message_thunks

}  // namespace mfc

#define DECLARE_MESSAGE_MAP()                            \
protected:                                               \
    static const ::mfc::MessageMap* GetThisMessageMap(); \
    const ::mfc::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                 \
    const ::mfc::MessageMap* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                            \
    }                                                          \
    const ::mfc::MessageMap* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;           \
        using TheBaseClass = baseClass;                        \
        static constexpr ::mfc::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                                     \
    ::mfc::MessageMapEntry {}                                                                 \
    }                                                                                         \
    ;                                                                                         \
    static constexpr ::mfc::MessageMap messageMap{&TheBaseClass::GetThisMessageMap, entries}; \
    return &messageMap;                                                                       \
    }

#define ON_MESSAGE_ENTRY(msg, thunk) ::mfc::MessageMapEntry{msg, 0, 0, 0, thunk},
#define ON_WM_PAINT() \
    ON_MESSAGE_ENTRY(WM_PAINT, &::mfc::message_thunks::NoArguments<&ThisClass::OnPaint>)
#define ON_WM_CLOSE() \
    ON_MESSAGE_ENTRY(WM_CLOSE, &::mfc::message_thunks::NoArguments<&ThisClass::OnClose>)
#define ON_WM_SYSCOMMAND() \
    ON_MESSAGE_ENTRY(WM_SYSCOMMAND, &::mfc::message_thunks::SysCommand<&ThisClass::OnSysCommand>)
#define ON_WM_MOUSEMOVE() \
    ON_MESSAGE_ENTRY(WM_MOUSEMOVE, &::mfc::message_thunks::MouseMove<&ThisClass::OnMouseMove>)
#define ON_WM_MOUSEWHEEL() \
    ON_MESSAGE_ENTRY(WM_MOUSEWHEEL, &::mfc::message_thunks::MouseWheel<&ThisClass::OnMouseWheel>)
#define ON_WM_QUERYDRAGICON()          \
    ON_MESSAGE_ENTRY(WM_QUERYDRAGICON, \
                     &::mfc::message_thunks::QueryDragIcon<&ThisClass::OnQueryDragIcon>)
// CDialog's own entry: OnInitDialog is virtual, so the dialog's override answers.
#define ON_WM_INITDIALOG() \
    ON_MESSAGE_ENTRY(WM_INITDIALOG, &::mfc::message_thunks::InitDialog<&ThisClass::OnInitDialog>)

#define ON_CONTROL(notification, id, handler)                                                  \
    ::mfc::MessageMapEntry{WM_COMMAND, static_cast<UINT>(notification), static_cast<UINT>(id), \
                           static_cast<UINT>(id),                                              \
                           &::mfc::message_thunks::NoArguments<&ThisClass::handler>},
#define ON_COMMAND(id, handler) ON_CONTROL(0, id, handler)
#define ON_BN_CLICKED(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_LBN_SELCHANGE(id, handler) ON_CONTROL(LBN_SELCHANGE, id, handler)
#define ON_CBN_SELCHANGE(id, handler) ON_CONTROL(CBN_SELCHANGE, id, handler)
