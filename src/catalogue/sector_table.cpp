#include "catalogue/sector_table.h"

#include <afxwin.h>
#include "app/install_root.h"
#include "catalogue/directory_search.h"

// Comes into being right after the install root it is filled from, before the application object.
CMapStringToString SectorTable
    __attribute__((init_priority(InstallRootInitPriority + 1))) (SectorTableBlockSize);

void ScanSectors(CString worldName) {
    SectorTable.RemoveAll();
    const CString mask = InstallRoot + "\\world_cache\\" + worldName + "quarlend\\terrain\\*_*";
    ForEachDirectory(mask, [](const CFileFind& found) {
        // A later directory with the same title replaces the path of an earlier one.
        SectorTable[found.GetFileTitle()] = found.GetFilePath();
    });
}

void FillSectorList(CListBox& sectorList) {
    while (sectorList.DeleteString(0) != LB_ERR) {
    }
    if (SectorTable.IsEmpty()) {
        return;
    }
    POSITION position = SectorTable.GetStartPosition();
    while (position != nullptr) {
        CString sectorName;
        CString sectorDirectory;
        SectorTable.GetNextAssoc(position, sectorName, sectorDirectory);
        sectorList.AddString(sectorName);
    }
}
