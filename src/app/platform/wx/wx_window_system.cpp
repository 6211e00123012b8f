#include "app/platform/wx/wx_window_system.h"

#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/message_box_styles.h"
#include "app/platform/wx/wx_dialog_window.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/app.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/window.h>

namespace wx {

namespace {

class VelmoraWxApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

long MessageBoxStyle(UINT type) {
    long style = 0;
    switch (type & 0xF) {
        case MB_OKCANCEL:
            style = wxOK | wxCANCEL;
            break;
        case MB_YESNO:
            style = wxYES_NO;
            break;
        default:
            style = wxOK;
            break;
    }
    switch (type & 0xF0) {
        case MB_ICONERROR:
            return style | wxICON_ERROR;
        case MB_ICONQUESTION:
            return style | wxICON_QUESTION;
        case MB_ICONEXCLAMATION:
            return style | wxICON_WARNING;
        case MB_ICONINFORMATION:
            return style | wxICON_INFORMATION;
        default:
            return style;
    }
}

}  // namespace

std::unique_ptr<WxWindowSystem> WxWindowSystem::Start(int argc, char** argv,
                                                      std::string_view windowClass) {
    // wx takes the application object over and deletes it in wxEntryCleanup.
    auto* app = new VelmoraWxApp();
    // wx/GTK makes the window class of the application's display name, which it otherwise derives
    // from the program's name capitalised as a word ("Velmoraexplorer").
    app->SetAppDisplayName(wxString::FromUTF8(windowClass.data(), windowClass.size()));
    wxApp::SetInstance(app);
    int wxArgc = argc;
    if (!wxEntryStart(wxArgc, argv)) {
        return nullptr;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return nullptr;
    }
    return std::unique_ptr<WxWindowSystem>(new WxWindowSystem());
}

WxWindowSystem::~WxWindowSystem() {
    wxEntryCleanup();
}

std::unique_ptr<win32::NativeWindow> WxWindowSystem::CreateDialogWindow(
    const win32::DialogTemplate& dialogTemplate, win32::NativeWindow* owner) {
    return std::make_unique<WxDialogWindow>(windows_, dialogTemplate, owner);
}

int WxWindowSystem::MessageBox(std::string_view text, std::string_view caption, UINT type) {
    wxWindow* parent = wxGetTopLevelParent(wxWindow::FindFocus());
    wxMessageDialog box(parent, wxString::FromUTF8(text.data(), text.size()),
                        wxString::FromUTF8(caption.data(), caption.size()), MessageBoxStyle(type));
    switch (box.ShowModal()) {
        case wxID_CANCEL:
            return IDCANCEL;
        case wxID_YES:
            return IDYES;
        case wxID_NO:
            return IDNO;
        default:
            return IDOK;
    }
}

HWND WxWindowSystem::FocusedWindow() const {
    win32::NativeWindow* native = windows_.NativeOf(wxWindow::FindFocus());
    return native != nullptr ? native->Handle() : nullptr;
}

}  // namespace wx
