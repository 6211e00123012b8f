#pragma once
// MFC's foundation classes that need no window: CString, CFile, CFileException, CFileFind.

#include <windows.h>

#include "app/platform/mfc/cstring.h"
#include "app/platform/mfc/file.h"
#include "app/platform/mfc/file_exception.h"
#include "app/platform/mfc/file_find.h"
