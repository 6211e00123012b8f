#pragma once
// MFC-style CFileFind: a directory search with DOS wildcard masks over the Wine prefix.

#include <memory>

#include "app/platform/mfc/cstring.h"
#include "app/platform/win32/win_types.h"
#include "app/platform/wine/file_attributes.h"

namespace wine {
class DirectorySearch;
}

class CFileFind {
public:
    CFileFind();
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    virtual ~CFileFind();

    // Starts a search; null means "*.*". The last component of `mask` is the wildcard pattern
    // (`*`, `?`, case-insensitive, DOS rules), the rest names the directory. TRUE when at least
    // one entry matches; the first entry becomes current only with the first FindNextFile.
    BOOL FindFile(const char* mask = nullptr, DWORD unused = 0);

    // Makes the next entry current; returns FALSE when that entry is the last one (it is
    // still valid and must be processed).
    BOOL FindNextFile();

    // Ends the search.
    void Close();

    // Properties of the current entry (empty/FALSE before the first FindNextFile).
    BOOL MatchesMask(DWORD attributeMask) const;
    BOOL IsDots() const;
    BOOL IsDirectory() const;
    CString GetFileName() const;
    CString GetFileTitle() const;  // the name before its last '.'
    CString GetFilePath() const;   // search directory, absolute, Windows form + '\' + name
    CString GetRoot() const;       // the search directory, ending in '\'

private:
    std::unique_ptr<wine::DirectorySearch> search_;
};
