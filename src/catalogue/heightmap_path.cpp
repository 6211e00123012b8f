#include "catalogue/heightmap_path.h"

CString HeightmapPath(const CString& sectorDirectory, const CString& sectorName) {
    return sectorDirectory + "\\heightmap_" + sectorName + ".zdt";
}
