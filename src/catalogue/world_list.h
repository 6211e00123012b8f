#pragma once

class CComboBox;

// Fills worldCombo with the name of every world cache directory below the install root and selects
// item 0, the first name in the combo box's sort order.
void FillWorldList(CComboBox& worldCombo);
