#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/viewer/viewer_app.h"
#include "ui/resource_ids.h"
#include "viewer_fixture.h"

namespace ui_test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

std::string Hive(const std::string& values) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
           "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1700000000\n"
           "#time=1d9a0b0c0d0e0f0\n" +
           values + "\n";
}

class ViewerAppTest : public ViewerTest {
protected:
    ViewerAppTest() {
        InstallRoot.Empty();
        AddSector("Eastquarlend", "1_1", 600);
    }

    // The viewer dialog that start-up runs, as the application's main window.
    ViewerDialog* MainDialog() const {
        CWinApp* running = AfxGetApp();
        return running != nullptr ? static_cast<ViewerDialog*>(running->m_pMainWnd) : nullptr;
    }
};

TEST_F(ViewerAppTest, StartUpReadsTheInstallRootAndRunsTheViewerAsMainWindow) {
    prefix.WriteSystemReg(Hive("\"Other\"=\"C:\\\\Wrong\"\n@=\"C:\\\\Games\\\\Q\""));
    ViewerApp app;
    Then([&] {
        EXPECT_EQ(InstallRoot, "C:\\Games\\Q");
        ViewerDialog* dialog = MainDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->m_hWnd, ui.ActiveDialog());
        EXPECT_EQ(dialog->GetParent(), nullptr);
        EXPECT_THAT(Items(dialog->m_worldCombo), ElementsAre("East"));
        EXPECT_THAT(Items(dialog->m_sectorList), ElementsAre("1_1"));
        ui.PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(app.InitInstance(), FALSE);
    EXPECT_FALSE(ui.ScriptRanOut());
    // The dialog object is gone with start-up; nothing refers to it any more.
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(RendererDevice == nullptr);
}

TEST_F(ViewerAppTest, WithoutTheKeyTheViewerStartsWithAnEmptyInstallRoot) {
    ViewerApp app;
    Then([&] {
        EXPECT_EQ(InstallRoot, "");
        ASSERT_NE(MainDialog(), nullptr);
        // Searched below the root of the current drive, where there is no cache.
        EXPECT_THAT(Items(MainDialog()->m_worldCombo), IsEmpty());
        ui.ClickCloseButton();
    });
    EXPECT_EQ(app.InitInstance(), FALSE);
    EXPECT_THAT(ui.MessageBoxes(), IsEmpty());
}

TEST_F(ViewerAppTest, TheProcessEndsWithStatusZeroOnceTheDialogHasEnded) {
    prefix.WriteSystemReg(Hive("@=\"C:\\\\Games\\\\Q\""));
    ViewerApp app;
    Then([&] {
        // The help command reaches the application's command map and does nothing harmful.
        MainDialog()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED));
        ui.PressKey(VK_RETURN);
    });
    char name[] = "/opt/velmora/VelmoraExplorer";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(AfxWinMain(1, argv), 0);
    // Named after the executable it runs in.
    EXPECT_STREQ(app.m_pszAppName, mfc::ApplicationNameOfProcess().c_str());
    EXPECT_FALSE(ui.ScriptRanOut());
    EXPECT_THAT(recorder.LiveObjects(), IsEmpty());
}

}  // namespace
}  // namespace ui_test
