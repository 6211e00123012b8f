// The program-wide objects with dynamic initialisation, defined in one place so that they come into
// being in a fixed order: the install root first, then the sector table (the camera is constant-
// initialised before both). They are destroyed in the reverse order at exit.

#include "app/install_root.h"
#include "catalogue/sector_table.h"

CString InstallRoot;
CMapStringToString SectorTable(SectorTableBlockSize);
