#pragma once
// MFC's CWinApp: the one application object, and the process entry that runs it.

#include <string>

#include "app/platform/mfc/cmd_target.h"
#include "app/platform/win32/win_types.h"

class CWnd;

class CWinApp : public CCmdTarget {
public:
    // Without a name the application is named after its executable (see
    // mfc::ApplicationNameOfProcess).
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;

    virtual BOOL InitInstance();
    // The message loop of an application whose InitInstance returned TRUE; there is none of our
    // own (modal dialogs run their own), so it ends at once.
    virtual int Run();
    virtual int ExitInstance();

    // The three-dimensional control look is the platform's own; always TRUE.
    BOOL Enable3dControls();
    HICON LoadIcon(UINT id) const;

    afx_msg void OnHelp();

private:
    friend int AfxWinMain(int argc, char** argv);
    std::string appName_;
};

// The application object, or null when none exists.
CWinApp* AfxGetApp();
// Control containment is always on here.
void AfxEnableControlContainer(void* manager = nullptr);
namespace mfc {
// The executable's file name without its extension, e.g. "VelmoraExplorer".
std::string ApplicationNameOfProcess();
}  // namespace mfc
// Runs the application object: names it, calls InitInstance and, if it returns TRUE, Run.
// Returns the process exit status: ExitInstance's result (0) once InitInstance has returned.
int AfxWinMain(int argc, char** argv);
