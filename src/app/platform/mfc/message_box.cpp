#include "app/platform/mfc/message_box.h"

#include <optional>
#include <string>

#include "app/platform/mfc/win_app.h"
#include "app/platform/win32/string_table.h"
#include "app/platform/win32/window_system.h"

int AfxMessageBox(LPCSTR text, UINT type, UINT /*helpId*/) {
    const CWinApp* app = AfxGetApp();
    const std::string caption = app != nullptr && app->m_pszAppName != nullptr
                                    ? std::string(app->m_pszAppName)
                                    : mfc::ApplicationNameOfProcess();
    return win32::CurrentWindowSystem().MessageBox(text != nullptr ? text : "", caption, type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    const std::optional<std::string> prompt = win32::FindResourceString(promptId);
    return AfxMessageBox(prompt ? prompt->c_str() : "", type, helpId);
}
