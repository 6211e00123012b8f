#pragma once
// The application object: reads the install root from the registry and runs the viewer dialog as
// the application's only window. The process ends when the dialog has ended.

#include <afxwin.h>

class ViewerApp : public CWinApp {
public:
    // Without a name of its own the application is named after its executable.
    ViewerApp() = default;

    // Runs the whole program; always FALSE, so no message loop of our own follows.
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};
