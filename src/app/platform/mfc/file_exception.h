#pragma once
// MFC-style CFileException: what a failed file operation reports, by value.

#include <exception>
#include <string>

#include "app/platform/mfc/cstring.h"
#include "app/platform/win32/win_types.h"

class CFileException : public std::exception {
public:
    // MFC's causes (their numeric values).
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    CFileException() = default;
    CFileException(int cause, LONG osError, const char* fileName);

    // "<file name>: <reason>", e.g. "C:\Q\h.zdt: input/output error while reading".
    const char* what() const noexcept override { return message_.c_str(); }

    int m_cause = none;
    LONG m_lOsError = -1;  // errno of the failing call, -1 when none
    CString m_strFileName;

private:
    std::string message_ = "no error";
};
