#include "catalogue/world_list.h"

#include <afxwin.h>
#include "app/install_root.h"
#include "catalogue/directory_search.h"

void FillWorldList(CComboBox& worldCombo) {
    while (worldCombo.DeleteString(0) != CB_ERR) {
    }
    ForEachDirectory(InstallRoot + "\\world_cache\\*quarlend", [&](const CFileFind& found) {
        CString worldName = found.GetFileTitle();
        worldName.Replace("quarlend", "");
        worldCombo.AddString(worldName);
    });
    worldCombo.SetCurSel(0);
}
