#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "app/platform/mfc/file_exception.h"
#include "app/platform/mfc/message_box.h"
#include "app/platform/mfc/win_app.h"
#include "support/dialog_probe.h"

namespace dialog_test {
namespace {

using Log = std::vector<std::string>;

class DialogFramework : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestResources();
        ui = &headless::UseHeadlessWindowSystem();
    }

    void Then(std::function<void()> step) { ui->QueueStep(std::move(step)); }

    headless::HeadlessWindowSystem* ui = nullptr;
    ProbeDialog dialog;
};

TEST_F(DialogFramework, MissingTemplateFailsWithoutRunning) {
    ProbeDialog missing(nullptr, 4242);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_TRUE(missing.log.empty());
}

TEST_F(DialogFramework, EnterRunsOnOkThroughTheHiddenDefaultButton) {
    Then([&] { EXPECT_TRUE(ui->PressKey(VK_RETURN)); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.log, (Log{"init", "ok"}));
}

// Escape asks for IDCANCEL only while its button is enabled, as in the real window.
TEST_F(DialogFramework, EscapeDoesNothingWhileCancelIsDisabled) {
    Then([&] {
        dialog.GetDlgItem(IDCANCEL)->EnableWindow(FALSE);
        EXPECT_FALSE(ui->PressKey(VK_ESCAPE));
        dialog.GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
        EXPECT_TRUE(ui->PressKey(VK_ESCAPE));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "cancel"}));
}

TEST_F(DialogFramework, FocusedPushButtonTakesEnterAndEscapeCancels) {
    Then([&] { ui->ClickButton(IDC_BUTTON); });
    Then([&] { ui->PressKey(VK_RETURN); });
    Then([&] { ui->PressKey(VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "reset", "reset", "cancel"}));
}

TEST_F(DialogFramework, CloseButtonBecomesCancelThroughDefaultHandling) {
    Then([&] { EXPECT_TRUE(ui->ClickCloseButton()); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "close", "cancel"}));
}

TEST_F(DialogFramework, SystemMenuCloseGoesThroughSysCommandAndClose) {
    Then([&] { EXPECT_TRUE(ui->ChooseSystemMenuCommand(SC_CLOSE)); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.sysCommands, (std::vector<UINT>{SC_CLOSE}));
    EXPECT_EQ(dialog.log, (Log{"init", "close", "cancel"}));
}

TEST_F(DialogFramework, AppendedSystemMenuEntriesArriveAsSysCommands) {
    dialog.onInit = [](ProbeDialog& d) {
        CMenu* menu = d.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        const UINT platformItems = menu->GetMenuItemCount();
        EXPECT_GE(platformItems, 1u);
        EXPECT_TRUE(menu->AppendMenu(MF_SEPARATOR));
        EXPECT_TRUE(menu->AppendMenu(MF_STRING, 0x0010, "&About..."));
        EXPECT_FALSE(menu->AppendMenu(MF_STRING, 0x0020, nullptr));
        EXPECT_EQ(menu->GetMenuItemCount(), platformItems + 2);
        EXPECT_EQ(CMenu::FromHandle(GetSystemMenu(d.m_hWnd, FALSE)), menu);
    };
    Then([&] { EXPECT_TRUE(ui->ChooseSystemMenuCommand(0x0010)); });
    Then([&] { EXPECT_FALSE(ui->ChooseSystemMenuCommand(0x0020)); });
    Then([&] {
        EXPECT_EQ(dialog.GetSystemMenu(TRUE), nullptr);
        EXPECT_FALSE(ui->ChooseSystemMenuCommand(0x0010));
        ui->PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.sysCommands, (std::vector<UINT>{0x0010}));
}

TEST_F(DialogFramework, InitialFocusSkipsHiddenButtonsUnlessInitDeclines) {
    Then([&] {
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_edit);
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();

    ProbeDialog declining;
    declining.initResult = FALSE;
    Then([&] {
        EXPECT_EQ(CWnd::GetFocus(), nullptr);
        declining.m_view.SetFocus();
        EXPECT_EQ(CWnd::GetFocus(), &declining.m_view);
        ui->PressKey(VK_ESCAPE);
    });
    declining.DoModal();
}

TEST_F(DialogFramework, MouseMovesReachTheDialogOnlyOverPassiveAreas) {
    Then([&] {
        // The viewport starts at (60, 40) dialog units = (105, 65) pixels with 7 x 13 base units.
        EXPECT_TRUE(ui->MoveMouse(150, 100, MK_LBUTTON | MK_SHIFT));
        EXPECT_TRUE(ui->MoveMouse(200, 5, 0));    // over the group box frame
        EXPECT_FALSE(ui->MoveMouse(10, 120, 0));  // over the sector list
        EXPECT_FALSE(ui->MoveMouse(-5, 20, 0));   // outside the client area
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    ASSERT_EQ(dialog.moves.size(), 2u);
    EXPECT_EQ(dialog.moves[0], CPoint(150, 100));
    EXPECT_EQ(dialog.moveFlags[0], MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(dialog.moves[1], CPoint(200, 5));
}

TEST_F(DialogFramework, WheelOverPassiveFocusReachesTheDialogButListsKeepIt) {
    Then([&] {
        dialog.m_view.SetFocus();
        ui->TurnWheel(120);
        ui->TurnWheel(-240);
        dialog.m_list.SetFocus();
        ui->TurnWheel(120);
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.wheelDeltas, (std::vector<short>{120, -240}));
}

TEST_F(DialogFramework, MinimisedPaintDrawsTheLargeIconAtTheComputedPosition) {
    Then([&] {
        ui->Paint(dialog.m_hWnd);
        dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        EXPECT_TRUE(dialog.IsIconic());
        ui->Paint(dialog.m_hWnd);
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.log, (Log{"init", "paint", "paint", "cancel"}));
    ASSERT_EQ(ui->DrawnIcons().size(), 1u);
    const headless::DrawnIcon& icon = ui->DrawnIcons()[0];
    // An iconic window's client area is empty: (0 - 32 + 1) / 2 truncates to -15.
    EXPECT_EQ(icon.x, -15);
    EXPECT_EQ(icon.y, -15);
    EXPECT_EQ(icon.width, 32);
}

TEST_F(DialogFramework, IconsAreSetByMessageAndQueriedThroughTheMap) {
    const HICON icon = LoadIcon(nullptr, IDI_TEST);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIcon(nullptr, 9999), nullptr);
    Then([&] {
        EXPECT_EQ(dialog.SetIcon(icon, TRUE), nullptr);
        EXPECT_EQ(dialog.SetIcon(icon, FALSE), nullptr);
        EXPECT_EQ(dialog.GetIcon(TRUE), icon);
        EXPECT_EQ(dialog.GetIcon(FALSE), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(dialog.SendMessage(WM_QUERYDRAGICON)), icon);
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), 16);
}

TEST_F(DialogFramework, ExceptionFromAHandlerIsReportedAndTheDialogRunsOn) {
    dialog.onListChange = [] {
        throw CFileException(CFileException::hardIO, 5, "C:\\Q\\heightmap_1_1.zdt");
    };
    Then([&] {
        dialog.m_list.AddString("1_1");
        EXPECT_TRUE(ui->ChooseItem(IDC_LIST, 0));
    });
    Then([&] { ui->PressKey(VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (Log{"init", "list", "cancel"}));
    ASSERT_EQ(ui->MessageBoxes().size(), 1u);
    const headless::RecordedMessageBox& box = ui->MessageBoxes()[0];
    EXPECT_NE(box.text.find("C:\\Q\\heightmap_1_1.zdt"), std::string::npos) << box.text;
    EXPECT_EQ(box.caption, "platform_tests");
}

TEST_F(DialogFramework, DataExchangeWithAnUnknownControlIsReported) {
    ProbeDialog child(nullptr, IDD_CHILD);
    child.onInit = [](ProbeDialog& d) {
        CDataExchange exchange(&d, FALSE);
        CEdit stray;
        DDX_Control(&exchange, 777, stray);
        d.log.push_back("not reached");
    };
    Then([&] { ui->PressKey(VK_ESCAPE); });
    EXPECT_EQ(child.DoModal(), IDCANCEL);
    EXPECT_EQ(child.log, (Log{"init", "cancel"}));
    ASSERT_EQ(ui->MessageBoxes().size(), 1u);
    EXPECT_NE(ui->MessageBoxes()[0].text.find("777"), std::string::npos);
}

TEST_F(DialogFramework, ModalChildDisablesTheMainWindowAndTakesTheSteps) {
    CWinApp app("Velmora Test");
    app.m_pMainWnd = &dialog;
    ProbeDialog child(nullptr, IDD_CHILD);
    Then([&] {
        EXPECT_EQ(child.DoModal(), IDOK);
        EXPECT_TRUE(dialog.IsWindowEnabled());
        ui->PressKey(VK_ESCAPE);
    });
    Then([&] {
        EXPECT_EQ(ui->ActiveDialog(), child.m_hWnd);
        EXPECT_FALSE(dialog.IsWindowEnabled());
        EXPECT_FALSE(ui->ClickButton(IDC_BUTTON));  // not in the child
        ui->Paint(dialog.m_hWnd);                   // the owner still paints
        ui->PressKey(VK_RETURN);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(child.log, (Log{"init", "ok"}));
    EXPECT_EQ(dialog.log, (Log{"init", "paint", "cancel"}));
}

TEST_F(DialogFramework, ScriptThatNeverEndsTheDialogStopsIt) {
    Then([&] { ui->MoveMouse(150, 100, 0); });
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_TRUE(ui->ScriptRanOut());
}

TEST_F(DialogFramework, WindowsAndBindingsEndWithTheDialog) {
    HWND listHandle = nullptr;
    Then([&] {
        listHandle = dialog.m_list.GetSafeHwnd();
        EXPECT_EQ(CWnd::FromHandle(listHandle), &dialog.m_list);
        EXPECT_EQ(dialog.GetDlgItem(IDC_LIST), &dialog.m_list);
        EXPECT_EQ(dialog.GetDlgItem(IDC_STATIC)->GetDlgCtrlID(), IDC_STATIC);
        EXPECT_EQ(dialog.GetDlgItem(4711), nullptr);
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_list.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(listHandle), nullptr);
    EXPECT_EQ(SendMessage(listHandle, LB_GETCOUNT), 0);
    // The same object runs again with fresh windows.
    Then([&] {
        EXPECT_EQ(dialog.m_list.GetCount(), 0);
        EXPECT_NE(dialog.m_list.GetSafeHwnd(), listHandle);
        ui->PressKey(VK_RETURN);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

class HelpApp : public CWinApp {
public:
    using CWinApp::CWinApp;
    int helpCount = 0;
    bool initResult = false;
    bool throwInInit = false;
    BOOL InitInstance() override {
        if (throwInInit) {
            throw std::runtime_error("start-up failed");
        }
        return initResult ? TRUE : FALSE;
    }
    afx_msg void OnHelp() { ++helpCount; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HelpApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

TEST_F(DialogFramework, CommandsTheDialogLacksGoToTheApplication) {
    HelpApp app;
    Then([&] {
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED));
        ui->PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_EQ(app.helpCount, 1);
}

TEST(ApplicationEntry, RunsInitInstanceAndEndsWithStatusZero) {
    headless::UseHeadlessWindowSystem();
    HelpApp app;
    char name[] = "/opt/velmora/VelmoraExplorer";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(AfxWinMain(1, argv), 0);
    EXPECT_STREQ(app.m_pszAppName, "platform_tests");
    app.initResult = true;
    EXPECT_EQ(AfxWinMain(1, argv), 0);
}

TEST(ApplicationEntry, ReportsAnExceptionFromStartUpAndFails) {
    headless::HeadlessWindowSystem& ui = headless::UseHeadlessWindowSystem();
    HelpApp app("Named");
    app.throwInInit = true;
    EXPECT_EQ(AfxWinMain(0, nullptr), 1);
    ASSERT_EQ(ui.MessageBoxes().size(), 1u);
    EXPECT_EQ(ui.MessageBoxes()[0].text, "start-up failed");
    EXPECT_EQ(ui.MessageBoxes()[0].caption, "Named");
    EXPECT_EQ(AfxMessageBox("x"), IDOK);
}

}  // namespace
}  // namespace dialog_test
