#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/platform/headless/headless_dialog.h"
#include "app/platform/mfc/menu.h"
#include "app/platform/mfc/win_app.h"
#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/icon_functions.h"
#include "app/platform/win32/system_menu.h"
#include "ui/dialog_templates.h"
#include "ui/navigation_constants.h"
#include "ui/resource_ids.h"
#include "viewer_fixture.h"

namespace ui_test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class ViewerDialogTest : public ViewerTest {
protected:
    void AddTwoWorlds() {
        AddSector("Westquarlend", "2_2", 300);
        AddSector("Eastquarlend", "10_2", 400);
        AddSector("Eastquarlend", "9_3", 500);
        AddSector("Eastquarlend", "1_1", 600);
    }

    // The caption of the innermost running dialog.
    std::string ActiveCaption() const {
        const win32::NativeWindow* active = win32::NativeWindow::FromHandle(ui.ActiveDialog());
        return active != nullptr ? active->Text() : std::string();
    }

    std::vector<std::string> SystemMenuTexts(ViewerDialog& dialog) const {
        std::vector<std::string> texts;
        CMenu* menu = dialog.GetSystemMenu(FALSE);
        if (menu == nullptr) {
            return texts;
        }
        for (const win32::MenuItem& item : win32::MenuModel::FromHandle(menu->m_hMenu)->Items()) {
            texts.push_back(item.IsSeparator() ? "-" : item.text);
        }
        return texts;
    }

    // The window menu a viewer dialog has before the About entry is added.
    static std::vector<std::string> PlatformMenuTexts() {
        win32::MenuModel menu;
        win32::FillDefaultSystemMenu(menu, ViewerDialogTemplate().style & ~WS_VISIBLE);
        std::vector<std::string> texts;
        for (const win32::MenuItem& item : menu.Items()) {
            texts.push_back(item.IsSeparator() ? "-" : item.text);
        }
        return texts;
    }

    ViewerDialog dialog;
};

TEST_F(ViewerDialogTest, StartListsSortedWorldsAndTheFirstWorldsSectorsWithNothingChosen) {
    AddTwoWorlds();
    Then([&] {
        EXPECT_THAT(Items(dialog.m_worldCombo), ElementsAre("East", "West"));
        EXPECT_EQ(Text(dialog.m_worldCombo), "East");
        EXPECT_THAT(Items(dialog.m_sectorList), ElementsAre("1_1", "9_3", "10_2"));
        EXPECT_EQ(dialog.m_sectorList.GetCurSel(), LB_ERR);
        EXPECT_EQ(SectorTable.GetCount(), 3);
        EXPECT_EQ(Text(dialog.m_angleEdit), "");
        EXPECT_EQ(Text(dialog.m_locationEdit), "");
        EXPECT_EQ(dialog.DragAnchor.x, NoAnchor);
        EXPECT_EQ(dialog.DragAnchor.y, NoAnchor);
        // The hidden buttons are passed over: the angle readout is the first tab stop.
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_angleEdit);
        EXPECT_EQ(ActiveCaption(), "Velmora Explorer v0.1");

        ASSERT_TRUE(RendererDevice && RendererGrid && RendererTerrain);
        EXPECT_EQ(RendererDevice->window, dialog.m_viewport.GetSafeHwnd());
        EXPECT_NE(dialog.m_viewport.GetSafeHwnd(), nullptr);
        // Nothing is loaded or drawn until the first paint.
        EXPECT_EQ(Loads(), 0u);
        EXPECT_EQ(Frames(), 0u);
        ui.PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(ViewerDialogTest, WithoutWorldsTheComboAndTheSectorListStayEmpty) {
    std::filesystem::create_directories(Cache() / "notaworld");
    Then([&] {
        EXPECT_THAT(Items(dialog.m_worldCombo), IsEmpty());
        EXPECT_EQ(Text(dialog.m_worldCombo), "");
        EXPECT_EQ(dialog.m_worldCombo.GetCurSel(), CB_ERR);
        EXPECT_THAT(Items(dialog.m_sectorList), IsEmpty());
        ui.PressKey(VK_RETURN);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(ViewerDialogTest, SystemMenuGetsSeparatorAndAboutEntryAndTheIconIsSet) {
    const HICON icon = LoadIcon(nullptr, IDI_APP);
    ASSERT_NE(icon, nullptr);
    Then([&] {
        std::vector<std::string> expected = PlatformMenuTexts();
        expected.push_back("-");
        expected.push_back("&About KVX...");
        EXPECT_EQ(SystemMenuTexts(dialog), expected);
        const auto& items =
            win32::MenuModel::FromHandle(dialog.GetSystemMenu(FALSE)->m_hMenu)->Items();
        EXPECT_EQ(items.back().command, IDM_ABOUT);

        EXPECT_EQ(dialog.GetIcon(TRUE), icon);
        EXPECT_EQ(dialog.GetIcon(FALSE), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(dialog.SendMessage(WM_QUERYDRAGICON)), icon);
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
}

TEST_F(ViewerDialogTest, EmptyAboutStringLeavesTheSystemMenuUnchanged) {
    win32::SetResourceString(IDS_ABOUT_MENU, "");
    Then([&] {
        EXPECT_EQ(SystemMenuTexts(dialog), PlatformMenuTexts());
        EXPECT_FALSE(ui.ChooseSystemMenuCommand(IDM_ABOUT));
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
}

TEST_F(ViewerDialogTest, AboutBoxOpensForCommands0x10To0x1FAndEndsEachWay) {
    CWinApp app("ui_tests");
    app.m_pMainWnd = &dialog;
    // The About box: modal over the disabled viewer, its own controls; each way out leaves the
    // viewer as it was.
    auto expectAboutOpen = [&] {
        EXPECT_EQ(ActiveCaption(), "About VelmoraExplorer");
        EXPECT_FALSE(dialog.IsWindowEnabled());
        EXPECT_FALSE(ui.ClickButton(IDC_RESET_CAMERA));
        std::vector<std::string> texts;
        for (win32::NativeWindow* child :
             win32::NativeWindow::FromHandle(ui.ActiveDialog())->Children()) {
            texts.push_back(child->Text());
        }
        EXPECT_THAT(texts, ElementsAre("", "Velmora Explorer Version 1.0", "OK"));
    };
    Then([&] { EXPECT_TRUE(ui.ChooseSystemMenuCommand(IDM_ABOUT)); });
    Then([&] {
        expectAboutOpen();
        EXPECT_TRUE(ui.ClickButton(IDOK));
    });
    Then([&] {
        EXPECT_EQ(ActiveCaption(), "Velmora Explorer v0.1");
        EXPECT_TRUE(dialog.IsWindowEnabled());
        dialog.SendMessage(WM_SYSCOMMAND, 0x001F);
    });
    Then([&] {
        expectAboutOpen();
        ui.PressKey(VK_RETURN);
    });
    Then([&] { dialog.SendMessage(WM_SYSCOMMAND, 0x0013); });
    Then([&] {
        expectAboutOpen();
        ui.PressKey(VK_ESCAPE);
    });
    Then([&] { dialog.SendMessage(WM_SYSCOMMAND, IDM_ABOUT); });
    Then([&] {
        expectAboutOpen();
        EXPECT_TRUE(ui.ClickCloseButton());
    });
    Then([&] {
        // 0x0020 is no About command: default handling, which does nothing with it.
        const std::size_t pending = ui.PendingSteps();
        dialog.SendMessage(WM_SYSCOMMAND, 0x0020);
        EXPECT_EQ(ui.PendingSteps(), pending);
        EXPECT_EQ(ActiveCaption(), "Velmora Explorer v0.1");
        EXPECT_TRUE(RendererDevice != nullptr);
        ui.PressKey(VK_RETURN);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(ui.ScriptRanOut());
}

TEST_F(ViewerDialogTest, SystemCloseCommandClosesReleasesTheRendererAndCancels) {
    Then([&] {
        ASSERT_TRUE(RendererDevice != nullptr);
        EXPECT_TRUE(ui.ChooseSystemMenuCommand(SC_CLOSE));
        EXPECT_TRUE(RendererDevice == nullptr);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_THAT(recorder.LiveObjects(), IsEmpty());
    EXPECT_THAT(recorder.Problems(), IsEmpty());
}

struct ClosingRoute {
    const char* name;
    std::function<bool(headless::HeadlessWindowSystem&)> act;
    int result;
};

class ViewerClosingTest : public ViewerDialogTest,
                          public testing::WithParamInterface<ClosingRoute> {};

TEST_P(ViewerClosingTest, EndsTheDialogAndReleasesTheRenderer) {
    AddTwoWorlds();
    Then([&] {
        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));
        ASSERT_EQ(Loads(), 1u);
        EXPECT_TRUE(GetParam().act(ui));
        // The renderer goes before the dialog has ended.
        EXPECT_TRUE(RendererDevice == nullptr && RendererGrid == nullptr &&
                    RendererTerrain == nullptr);
    });
    EXPECT_EQ(dialog.DoModal(), GetParam().result);
    EXPECT_THAT(recorder.LiveObjects(), IsEmpty());
    EXPECT_THAT(recorder.Problems(), IsEmpty());
    EXPECT_FALSE(ui.ScriptRanOut());
}

INSTANTIATE_TEST_SUITE_P(
    Routes, ViewerClosingTest,
    testing::Values(
        ClosingRoute{"Enter",
                     [](headless::HeadlessWindowSystem& ui) { return ui.PressKey(VK_RETURN); },
                     IDOK},
        ClosingRoute{"Escape",
                     [](headless::HeadlessWindowSystem& ui) { return ui.PressKey(VK_ESCAPE); },
                     IDCANCEL},
        ClosingRoute{"CloseButton",
                     [](headless::HeadlessWindowSystem& ui) { return ui.ClickCloseButton(); },
                     IDCANCEL}),
    [](const testing::TestParamInfo<ClosingRoute>& info) { return info.param.name; });

TEST_F(ViewerDialogTest, PaintDrawsAFrameThenTheDialog) {
    Then([&] {
        ui.Paint(dialog.m_hWnd);
        ui.Paint(dialog.m_hWnd);
        EXPECT_EQ(Frames(), 2u);
        EXPECT_EQ(Count("IDirect3DDevice9::Clear"), 2u);
        // No sector yet: nothing but the clear colour.
        EXPECT_EQ(Count("IDirect3DDevice9::DrawIndexedPrimitive"), 0u);
        EXPECT_THAT(ui.DrawnIcons(), IsEmpty());
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
}

TEST_F(ViewerDialogTest, EverySectorChoiceReloadsDrawsAndFocusesTheViewport) {
    AddTwoWorlds();
    Then([&] {
        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));  // 1_1
        EXPECT_EQ(Loads(), 1u);
        EXPECT_EQ(Frames(), 1u);
        EXPECT_FLOAT_EQ(FirstVertexHeight(), 150.0f);
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_viewport);

        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));  // the same sector again
        EXPECT_EQ(Loads(), 2u);
        EXPECT_EQ(Frames(), 2u);
        EXPECT_TRUE(recorder.Find("vb1")->freed);

        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 2));  // 10_2
        EXPECT_EQ(Loads(), 3u);
        EXPECT_FLOAT_EQ(FirstVertexHeight(), 100.0f);
        EXPECT_EQ(Count("IDirect3DDevice9::DrawIndexedPrimitive"), 3u * 126u);
        // Choosing a sector neither moves the camera nor writes the readouts.
        EXPECT_EQ(Text(dialog.m_angleEdit), "");
        EXPECT_FLOAT_EQ(CameraZ, 3000.0f);
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
}

TEST_F(ViewerDialogTest, SectorLookupIsExactAndAMissingNameStopsSilently) {
    AddTwoWorlds();
    Then([&] {
        // A list item that is no key of the table (the table changed under the list).
        SectorTable.RemoveAll();
        SectorTable["1_1x"] = "C:\\elsewhere";
        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));
        EXPECT_EQ(Loads(), 0u);
        EXPECT_EQ(Frames(), 0u);
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_sectorList);
        // A notification without a selection reads no item.
        dialog.m_sectorList.SetCurSel(-1);
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SECTOR_LIST, LBN_SELCHANGE));
        dialog.m_worldCombo.SetCurSel(-1);
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WORLD_COMBO, CBN_SELCHANGE));
        EXPECT_EQ(Frames(), 0u);
        EXPECT_THAT(Items(dialog.m_sectorList), ElementsAre("1_1", "9_3", "10_2"));
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_sectorList);
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_THAT(ui.MessageBoxes(), IsEmpty());
}

TEST_F(ViewerDialogTest, WorldChoiceRelistsWithNoneSelectedAndKeepsTheTerrain) {
    AddTwoWorlds();
    Then([&] {
        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 1));  // East 9_3
        EXPECT_TRUE(ui.ChooseItem(IDC_WORLD_COMBO, 1));
        EXPECT_EQ(Text(dialog.m_worldCombo), "West");
        EXPECT_THAT(Items(dialog.m_sectorList), ElementsAre("2_2"));
        EXPECT_EQ(dialog.m_sectorList.GetCurSel(), LB_ERR);
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_viewport);
        // Neither loaded nor drawn: East 9_3 stays on view, and the next frame draws it.
        EXPECT_EQ(Loads(), 1u);
        EXPECT_EQ(Frames(), 1u);
        EXPECT_FALSE(recorder.Find("vb1")->freed);
        ui.TurnWheel(120);
        const auto streams = recorder.CallsNamed("IDirect3DDevice9::SetStreamSource");
        ASSERT_FALSE(streams.empty());
        EXPECT_EQ(streams.back().args.at(1), "vb1");

        // Typing into the combo's edit field changes nothing by itself.
        EXPECT_TRUE(ui.TypeText(IDC_WORLD_COMBO, "East"));
        EXPECT_THAT(Items(dialog.m_sectorList), ElementsAre("2_2"));
        EXPECT_TRUE(ui.ChooseItem(IDC_WORLD_COMBO, 0));
        EXPECT_THAT(Items(dialog.m_sectorList), ElementsAre("1_1", "9_3", "10_2"));
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
}

TEST_F(ViewerDialogTest, HeightmapThatIsMissingEmptyOrHeaderOnlyLeavesNoTerrainButStillDraws) {
    AddSector("Eastquarlend", "1_1", 600);
    std::filesystem::create_directories(SectorDirectory("Eastquarlend", "2_1"));  // no file
    AddSectorFile("Eastquarlend", "3_1", "");
    AddSectorFile("Eastquarlend", "4_1", std::string(HeaderBytes, 'H'));
    // Short: the header and 500 samples of 800; the rest reads as 0.
    AddSectorFile("Eastquarlend", "5_1", HeightmapBytes(800).substr(0, HeaderBytes + 1000));
    Then([&] {
        for (int failing = 1; failing <= 3; ++failing) {
            ASSERT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));
            const std::string previous = "vb" + std::to_string(Loads());
            dialog.m_angleEdit.SetFocus();
            const std::size_t frames = Frames();
            ASSERT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, failing));
            // The previous mesh is gone, no new one is made, the frame is drawn anyway.
            EXPECT_TRUE(recorder.Find(previous)->freed) << failing;
            EXPECT_EQ("vb" + std::to_string(Loads()), previous) << failing;
            EXPECT_EQ(Frames(), frames + 1) << failing;
            EXPECT_EQ(CWnd::GetFocus(), &dialog.m_viewport) << failing;
        }
        ASSERT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 4));
        EXPECT_FLOAT_EQ(FirstVertexHeight(), 200.0f);
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    EXPECT_THAT(ui.MessageBoxes(), IsEmpty());
}

TEST_F(ViewerDialogTest, UnreadableHeightmapIsReportedWithItsPathAndTheViewerRunsOn) {
    AddSector("Eastquarlend", "1_1", 600);
    // /proc/self/mem is a regular file whose read at offset 0 fails with EIO.
    std::filesystem::create_directories(SectorDirectory("Eastquarlend", "2_1"));
    std::filesystem::create_symlink("/proc/self/mem", HeightmapFile("Eastquarlend", "2_1"));
    Then([&] {
        ASSERT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));
        dialog.m_angleEdit.SetFocus();
        ASSERT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 1));
        ASSERT_EQ(ui.MessageBoxes().size(), 1u);
        const headless::RecordedMessageBox& box = ui.MessageBoxes()[0];
        EXPECT_THAT(box.text, testing::StartsWith("C:\\Games\\Q\\world_cache\\Eastquarlend\\"
                                                  "terrain\\2_1\\heightmap_2_1.zdt: "));
        EXPECT_GT(box.text.size(), box.text.find(".zdt: ") + 6) << "a reason follows";
        EXPECT_EQ(box.caption, mfc::ApplicationNameOfProcess());
        // The handler stopped at the error: the old mesh is gone, nothing was drawn, the focus
        // stayed in the list.
        EXPECT_TRUE(recorder.Find("vb1")->freed);
        EXPECT_EQ(Frames(), 1u);
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_sectorList);
    });
    Then([&] {
        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));
        EXPECT_EQ(Loads(), 2u);
        EXPECT_EQ(Frames(), 2u);
        ui.PressKey(VK_RETURN);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_THAT(recorder.LiveObjects(), IsEmpty());
}

TEST_F(ViewerDialogTest, WithoutARendererTheViewerRunsOnAndDrawsNothing) {
    AddTwoWorlds();
    recorder.FailCall("IDirect3D9::CreateDevice", D3DERR_NOTAVAILABLE);
    Then([&] {
        ASSERT_EQ(ui.MessageBoxes().size(), 1u);
        EXPECT_EQ(ui.MessageBoxes()[0].text, "Failed to Create 3D9Device. D3DERR_NOTAVAILABLE");
        EXPECT_TRUE(RendererTerrain == nullptr);
        EXPECT_THAT(Items(dialog.m_sectorList), ElementsAre("1_1", "9_3", "10_2"));
        EXPECT_TRUE(ui.ChooseItem(IDC_SECTOR_LIST, 0));
        EXPECT_EQ(CWnd::GetFocus(), &dialog.m_viewport);
        ui.Paint(dialog.m_hWnd);
        ui.TurnWheel(120);
        EXPECT_EQ(Text(dialog.m_locationEdit), "x:00600.0, y:00600.0, z:02988.0");
        EXPECT_EQ(Loads(), 0u);
        EXPECT_EQ(Frames(), 0u);
        ui.PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_THAT(recorder.LiveObjects(), IsEmpty());
}

// A window system whose minimised dialogs report a chosen client size, so that the icon's
// position can be checked for any width.
class IconicSizeWindowSystem : public headless::HeadlessWindowSystem {
public:
    explicit IconicSizeWindowSystem(RECT iconicClient) : iconicClient_(iconicClient) {}

    std::unique_ptr<win32::NativeWindow> CreateDialogWindow(
        const win32::DialogTemplate& dialogTemplate, win32::NativeWindow* owner) override {
        const RECT client = win32::DialogRectToPixels(
            win32::DialogRect{0, 0, dialogTemplate.rect.cx, dialogTemplate.rect.cy},
            DialogBaseUnits());
        return std::make_unique<Dialog>(*this, dialogTemplate, owner, client, iconicClient_);
    }

private:
    class Dialog : public headless::HeadlessDialog {
    public:
        Dialog(headless::HeadlessWindowSystem& system, const win32::DialogTemplate& dialogTemplate,
               win32::NativeWindow* owner, RECT screenRect, RECT iconicClient)
            : headless::HeadlessDialog(system, dialogTemplate, owner, screenRect),
              iconicClient_(iconicClient) {}
        RECT ClientRect() const override {
            return IsIconic() ? iconicClient_ : headless::HeadlessDialog::ClientRect();
        }

    private:
        RECT iconicClient_;
    };

    RECT iconicClient_;
};

class MinimisedPaintTest : public ViewerTest, public testing::WithParamInterface<RECT> {
protected:
    MinimisedPaintTest()
        : ViewerTest(static_cast<headless::HeadlessWindowSystem&>(
              win32::InstallWindowSystem(std::make_unique<IconicSizeWindowSystem>(GetParam())))) {}
};

TEST_P(MinimisedPaintTest, DrawsTheIconCentredByTruncatingDivisionAndNoFrame) {
    ViewerDialog dialog;
    Then([&] {
        dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        ASSERT_TRUE(dialog.IsIconic());
        ui.Paint(dialog.m_hWnd);
        EXPECT_EQ(Frames(), 0u);
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    ASSERT_EQ(ui.DrawnIcons().size(), 1u);
    const headless::DrawnIcon& drawn = ui.DrawnIcons()[0];
    const RECT client = GetParam();
    EXPECT_EQ(drawn.width, 32);
    EXPECT_EQ(drawn.height, 32);
    // (width - 32 + 1) / 2 toward zero: 33 -> 1, 10 -> -10 (not -11), 0 -> -15.
    const int expected[][2] = {{33, 1}, {10, -10}, {0, -15}, {64, 16}};
    for (const auto& [width, position] : expected) {
        if (client.right == width) {
            EXPECT_EQ(drawn.x, position);
        }
        if (client.bottom == width) {
            EXPECT_EQ(drawn.y, position);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ClientSizes, MinimisedPaintTest,
                         testing::Values(RECT{0, 0, 33, 10}, RECT{0, 0, 10, 33},
                                         RECT{0, 0, 0, 64}));

}  // namespace
}  // namespace ui_test
