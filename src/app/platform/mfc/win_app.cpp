#include "app/platform/mfc/win_app.h"

#include <unistd.h>

#include <array>
#include <exception>
#include <string_view>

#include "app/platform/win32/icon_functions.h"
#include "app/platform/win32/message_box_styles.h"
#include "app/platform/win32/window_system.h"

namespace {

CWinApp*& TheApp() {
    static CWinApp* app = nullptr;
    return app;
}

std::string TitleOfPath(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

std::string& ProgramPath() {
    static std::string path;
    return path;
}

}  // namespace

std::string mfc::ApplicationNameOfProcess() {
    std::array<char, 4096> buffer{};
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length > 0) {
        return TitleOfPath(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
    }
    return TitleOfPath(ProgramPath());
}

CWinApp::CWinApp(LPCSTR appName) {
    if (appName != nullptr) {
        appName_ = appName;
        m_pszAppName = appName_.c_str();
    }
    TheApp() = this;
}

CWinApp::~CWinApp() {
    if (TheApp() == this) {
        TheApp() = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return 0;
}

BOOL CWinApp::Enable3dControls() {
    return TRUE;
}

HICON CWinApp::LoadIcon(UINT id) const {
    return ::LoadIcon(m_hInstance, id);
}

void CWinApp::OnHelp() {
    // There is no help file to open.
}

CWinApp* AfxGetApp() {
    return TheApp();
}

void AfxEnableControlContainer(void*) {}

int AfxWinMain(int argc, char** argv) {
    if (argc > 0 && argv != nullptr && argv[0] != nullptr) {
        ProgramPath() = argv[0];
    }
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    if (app->m_pszAppName == nullptr) {
        app->appName_ = mfc::ApplicationNameOfProcess();
        app->m_pszAppName = app->appName_.c_str();
    }
    try {
        if (!app->InitInstance()) {
            return app->ExitInstance();
        }
        return app->Run();
    } catch (const std::exception& error) {
        // Outside any message handler nobody else can report it.
        // Captioned with the application's name, as AfxMessageBox would.
        win32::CurrentWindowSystem().MessageBox(error.what(), app->m_pszAppName,
                                                MB_OK | MB_ICONERROR);
        return 1;
    }
}
