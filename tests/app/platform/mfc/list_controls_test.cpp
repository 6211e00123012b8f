#include <gtest/gtest.h>

#include <string>

#include "support/dialog_probe.h"

namespace dialog_test {
namespace {

class ListControls : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestResources();
        ui = &headless::UseHeadlessWindowSystem();
    }

    // Runs the dialog with checks as its only step, then closes it.
    void RunWith(const std::function<void(ProbeDialog&)>& checks) {
        ui->QueueStep([&] { checks(dialog); });
        ui->QueueStep([&] { ui->PressKey(VK_ESCAPE); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_FALSE(ui->ScriptRanOut());
    }

    static std::string TextAt(const CListBox& list, int index) {
        CString text;
        list.GetText(index, text);
        return text.GetString();
    }

    headless::HeadlessWindowSystem* ui = nullptr;
    ProbeDialog dialog;
};

TEST_F(ListControls, SortedListBoxPlacesItemsByCollationWhateverTheOrderAdded) {
    RunWith([](ProbeDialog& d) {
        EXPECT_EQ(d.m_list.AddString("10_10"), 0);
        EXPECT_EQ(d.m_list.AddString("9_3"), 0);
        EXPECT_EQ(d.m_list.AddString("10_2"), 1);
        EXPECT_EQ(d.m_list.AddString("apple"), 3);
        EXPECT_EQ(d.m_list.AddString("Apple"), 3);
        ASSERT_EQ(d.m_list.GetCount(), 5);
        EXPECT_EQ(TextAt(d.m_list, 0), "9_3");
        EXPECT_EQ(TextAt(d.m_list, 1), "10_2");
        EXPECT_EQ(TextAt(d.m_list, 2), "10_10");
        EXPECT_EQ(TextAt(d.m_list, 3), "Apple");
        EXPECT_EQ(TextAt(d.m_list, 4), "apple");
    });
}

TEST_F(ListControls, UnsortedListBoxKeepsInsertionOrder) {
    RunWith([](ProbeDialog& d) {
        EXPECT_EQ(d.m_plainList.AddString("b"), 0);
        EXPECT_EQ(d.m_plainList.AddString("a"), 1);
        EXPECT_EQ(d.m_plainList.AddString("c"), 2);
        EXPECT_EQ(TextAt(d.m_plainList, 0), "b");
        EXPECT_EQ(TextAt(d.m_plainList, 2), "c");
    });
}

TEST_F(ListControls, DeletingUntilErrorEmptiesTheList) {
    RunWith([](ProbeDialog& d) {
        d.m_list.AddString("x");
        d.m_list.AddString("y");
        EXPECT_EQ(d.m_list.DeleteString(5), LB_ERR);
        EXPECT_EQ(d.m_list.DeleteString(0), 1);
        EXPECT_EQ(d.m_list.DeleteString(0), 0);
        EXPECT_EQ(d.m_list.DeleteString(0), LB_ERR);
        EXPECT_EQ(d.m_list.GetCount(), 0);
        d.m_combo.AddString("w");
        EXPECT_EQ(d.m_combo.DeleteString(0), 0);
        EXPECT_EQ(d.m_combo.DeleteString(0), CB_ERR);
    });
}

TEST_F(ListControls, SelectionFollowsItsItemAndReadingBadIndicesIsSafe) {
    RunWith([](ProbeDialog& d) {
        d.m_list.AddString("m");
        EXPECT_EQ(d.m_list.GetCurSel(), LB_ERR);
        EXPECT_EQ(d.m_list.SetCurSel(0), 0);
        d.m_list.AddString("a");  // lands before the selected item
        EXPECT_EQ(d.m_list.GetCurSel(), 1);
        EXPECT_EQ(TextAt(d.m_list, d.m_list.GetCurSel()), "m");
        EXPECT_EQ(d.m_list.DeleteString(1), 1);
        EXPECT_EQ(d.m_list.GetCurSel(), LB_ERR);
        EXPECT_EQ(d.m_list.SetCurSel(7), LB_ERR);
        EXPECT_EQ(TextAt(d.m_list, LB_ERR), "");
    });
}

TEST_F(ListControls, ComboSelectionShowsTheItemInTheEditField) {
    RunWith([](ProbeDialog& d) {
        d.m_combo.AddString("West");
        d.m_combo.AddString("East");
        CString text;
        d.m_combo.GetWindowText(text);
        EXPECT_EQ(text, "");
        EXPECT_EQ(d.m_combo.SetCurSel(0), 0);
        d.m_combo.GetWindowText(text);
        EXPECT_EQ(text, "East");
        CString item;
        d.m_combo.GetLBText(1, item);
        EXPECT_EQ(item, "West");
        d.m_combo.SetWindowText("typed");
        EXPECT_EQ(d.m_combo.GetCurSel(), 0);
        EXPECT_EQ(d.m_combo.SetCurSel(-1), CB_ERR);
        d.m_combo.GetWindowText(text);
        EXPECT_EQ(text, "");
    });
}

TEST_F(ListControls, ProgrammaticSelectionDoesNotNotifyButUserChoiceDoes) {
    RunWith([&](ProbeDialog& d) {
        d.m_list.AddString("12_7");
        d.m_combo.AddString("East");
        d.m_combo.AddString("West");
        d.m_list.SetCurSel(0);
        d.m_combo.SetCurSel(0);
        EXPECT_EQ(d.log, (std::vector<std::string>{"init"}));
        EXPECT_TRUE(ui->ChooseItem(IDC_LIST, 0));
        // The combo's handler sees the new item but the old edit text, as on Windows.
        EXPECT_TRUE(ui->ChooseItem(IDC_COMBO, 1));
        EXPECT_FALSE(ui->ChooseItem(IDC_COMBO, 2));
        EXPECT_EQ(d.log,
                  (std::vector<std::string>{"init", "list", "list done", "combo West shown East"}));
        CString text;
        d.m_combo.GetWindowText(text);
        EXPECT_EQ(text, "West");
    });
}

TEST_F(ListControls, ListWithoutNotifyStyleStaysSilent) {
    RunWith([&](ProbeDialog& d) {
        d.m_plainList.AddString("a");
        EXPECT_TRUE(ui->ChooseItem(IDC_PLAIN_LIST, 0));
        EXPECT_EQ(d.m_plainList.GetCurSel(), 0);
        EXPECT_EQ(d.log, (std::vector<std::string>{"init"}));
    });
}

TEST_F(ListControls, MessagesReachTheControlsLikeTheMemberCalls) {
    RunWith([](ProbeDialog& d) {
        HWND list = d.m_list.GetSafeHwnd();
        EXPECT_EQ(SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b")), 0);
        EXPECT_EQ(SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), 0);
        EXPECT_EQ(SendMessage(list, LB_GETCOUNT), 2);
        char buffer[8] = {};
        EXPECT_EQ(SendMessage(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 1);
        EXPECT_STREQ(buffer, "b");
        EXPECT_EQ(SendMessage(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(buffer)), LB_ERR);
        EXPECT_EQ(SendMessage(list, LB_DELETESTRING, 3), LB_ERR);
        char small[3] = {};
        d.m_edit.SetWindowText("readout");
        EXPECT_EQ(SendMessage(d.m_edit.GetSafeHwnd(), WM_GETTEXT, sizeof small,
                              reinterpret_cast<LPARAM>(small)),
                  2);
        EXPECT_STREQ(small, "re");
    });
}

TEST(UnboundControls, ReportErrorsInsteadOfTouchingAnything) {
    CListBox list;
    CComboBox combo;
    EXPECT_EQ(list.AddString("a"), LB_ERR);
    EXPECT_EQ(list.DeleteString(0), LB_ERR);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    CString text = "kept?";
    combo.GetLBText(0, text);
    EXPECT_EQ(text, "");
    combo.GetWindowText(text);
    EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace dialog_test
