#include "app/platform/mfc/file_exception.h"

#include <cstring>

namespace {

const char* CauseText(int cause) {
    switch (cause) {
        case CFileException::none:
            return "no error";
        case CFileException::fileNotFound:
            return "file not found";
        case CFileException::badPath:
            return "bad path";
        case CFileException::tooManyOpenFiles:
            return "too many open files";
        case CFileException::accessDenied:
            return "access denied";
        case CFileException::invalidFile:
            return "invalid file";
        case CFileException::hardIO:
            return "hardware input/output error";
        case CFileException::sharingViolation:
            return "sharing violation";
        case CFileException::diskFull:
            return "disk full";
        case CFileException::endOfFile:
            return "end of file";
        default:
            return "file error";
    }
}

}  // namespace

CFileException::CFileException(int cause, LONG osError, const char* fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {
    message_ = m_strFileName.str();
    message_ += ": ";
    message_ += CauseText(cause);
    if (osError > 0) {
        message_ += " (";
        message_ += std::strerror(osError);
        message_ += ")";
    }
}
