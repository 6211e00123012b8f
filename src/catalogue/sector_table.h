#pragma once

#include <afx.h>
#include <afxcoll.h>

class CListBox;

// The sectors of the world scanned last: sector name -> sector directory path.
extern CMapStringToString SectorTable;

// How many associations the sector table's storage grows by.
inline constexpr int SectorTableBlockSize = 10;

// Rebuilds SectorTable from the sector directories of worldName.
void ScanSectors(CString worldName);

// Leaves sectorList holding exactly the keys of SectorTable; the list box sorts them itself.
void FillSectorList(CListBox& sectorList);
