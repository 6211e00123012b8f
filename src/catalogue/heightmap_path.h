#pragma once

#include <afx.h>

// The path of a sector's heightmap file, joined as it stands; the file's existence is not tested.
CString HeightmapPath(const CString& sectorDirectory, const CString& sectorName);
