#pragma once
// MFC's collections: CMapStringToString.

#include <afx.h>

#include "app/platform/mfc/string_map.h"
