#include "app/platform/mfc/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/platform/wine/windows_path.h"

namespace {

int CauseOfErrno(int error) {
    switch (error) {
        case ENOENT:
            return CFileException::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return CFileException::badPath;
        case EMFILE:
        case ENFILE:
            return CFileException::tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
            return CFileException::accessDenied;
        case EIO:
            return CFileException::hardIO;
        default:
            return CFileException::genericException;
    }
}

void Report(CFileException* error, int cause, int osError, const char* path) {
    if (error != nullptr) {
        *error = CFileException(cause, osError, path);
    }
}

}  // namespace

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(const char* windowsPath, UINT flags, CFileException* error) {
    Close();
    if (windowsPath == nullptr || *windowsPath == '\0') {
        Report(error, CFileException::badPath, -1, "");
        return FALSE;
    }
    if ((flags & (modeWrite | modeReadWrite | modeCreate)) != 0) {
        Report(error, CFileException::accessDenied, EROFS, windowsPath);
        return FALSE;
    }
    const wine::HostPath resolved = wine::ResolveWindowsPath(windowsPath);
    if (!resolved.exists) {
        Report(error, CFileException::fileNotFound, ENOENT, windowsPath);
        return FALSE;
    }
    // O_NONBLOCK so that a FIFO cannot stall the open; the file type is checked before any read.
    const int descriptor =
        open(resolved.hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        const int openError = errno;
        Report(error, CauseOfErrno(openError), openError, windowsPath);
        return FALSE;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool isDirectory = S_ISDIR(info.st_mode);
        close(descriptor);
        // A directory is refused as Windows refuses it; a FIFO or device as if it were absent.
        Report(error, isDirectory ? CFileException::accessDenied : CFileException::fileNotFound,
               isDirectory ? EISDIR : ENOENT, windowsPath);
        return FALSE;
    }
    const int statusFlags = fcntl(descriptor, F_GETFL);
    if (statusFlags < 0 || fcntl(descriptor, F_SETFL, statusFlags & ~O_NONBLOCK) < 0) {
        const int fcntlError = errno;
        close(descriptor);
        Report(error, CauseOfErrno(fcntlError), fcntlError, windowsPath);
        return FALSE;
    }
    descriptor_ = descriptor;
    path_ = resolved.windowsPath;
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (descriptor_ < 0) {
        throw CFileException(CFileException::invalidFile, EBADF, path_.GetString());
    }
    if (count == 0) {
        return 0;
    }
    if (buffer == nullptr) {
        throw CFileException(CFileException::genericException, EINVAL, path_.GetString());
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t got = read(descriptor_, bytes + done, count - done);
        if (got > 0) {
            done += static_cast<UINT>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            const int readError = errno;
            throw CFileException(CauseOfErrno(readError) == CFileException::genericException
                                     ? CFileException::hardIO
                                     : CauseOfErrno(readError),
                                 readError, path_.GetString());
        }
    }
    return done;
}

void CFile::Close() {
    if (descriptor_ >= 0) {
        close(descriptor_);
        descriptor_ = -1;
    }
    path_.Empty();
}
