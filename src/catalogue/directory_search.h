#pragma once

#include <afx.h>

// Visits every directory that a search with mask finds, in the order the search returns them,
// leaving out files and the "." and ".." entries.
template <class Visit>
void ForEachDirectory(const CString& mask, Visit visit) {
    CFileFind finder;
    BOOL more = finder.FindFile(mask);
    while (more) {
        // FindNextFile reports whether a further entry follows; the entry it has just made current
        // is processed either way, so the last one is not lost.
        more = finder.FindNextFile();
        if (finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY) && !finder.IsDots()) {
            visit(finder);
        }
    }
    finder.Close();
}
