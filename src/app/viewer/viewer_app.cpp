#include "app/viewer/viewer_app.h"

#include <windows.h>
#include "app/install_root.h"
#include "app/registry_reader.h"
#include "ui/viewer_dialog.h"

BEGIN_MESSAGE_MAP(ViewerApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL ViewerApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    // A failed lookup leaves InstallRoot empty; the catalogue then searches the current drive.
    RegistryReader reader;
    reader.ReadValue(InstallRootKey, "", InstallRoot);

    ViewerDialog dialog(nullptr);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    // The dialog object goes with this scope; nothing may reach it through the main window after.
    m_pMainWnd = nullptr;
    return FALSE;
}
