#pragma once
// MFC-style CFile for reading binary files, addressed by Windows paths on the Wine prefix.

#include "app/platform/mfc/file_exception.h"
#include "app/platform/win32/win_types.h"

class CFile {
public:
    // MFC's open flags (their values). Only reading is supported: this program writes nothing.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Opens the regular file at `windowsPath` for reading. Anything else (missing, a directory, a
    // FIFO or device, a request to write or create) gives FALSE and, when `error` is given, the
    // cause in it. Never blocks. A file already open is closed first.
    BOOL Open(const char* windowsPath, UINT flags, CFileException* error = nullptr);

    // Reads until `count` bytes or the end of the file; returns the bytes read. Throws
    // CFileException on a read error or when no file is open.
    UINT Read(void* buffer, UINT count);

    // Closes the file, if open.
    void Close();

    BOOL IsOpen() const { return descriptor_ >= 0 ? TRUE : FALSE; }
    const CString& GetFilePath() const { return path_; }

private:
    int descriptor_ = -1;
    CString path_;
};
