#include "app/platform/mfc/file_find.h"

#include <cstring>

#include "app/platform/wine/directory_scan.h"

CFileFind::CFileFind() = default;

CFileFind::~CFileFind() = default;

BOOL CFileFind::FindFile(const char* mask, DWORD /*unused*/) {
    Close();
    if (mask == nullptr) {
        mask = "*.*";
    }
    if (std::strlen(mask) >= MAX_PATH) {
        return FALSE;
    }
    search_ = wine::DirectorySearch::Start(mask);
    return search_ ? TRUE : FALSE;
}

BOOL CFileFind::FindNextFile() {
    if (!search_) {
        return FALSE;
    }
    return search_->Advance() ? TRUE : FALSE;
}

void CFileFind::Close() {
    search_.reset();
}

BOOL CFileFind::MatchesMask(DWORD attributeMask) const {
    if (!search_ || search_->Current() == nullptr) {
        return FALSE;
    }
    const wine::FoundEntry& entry = *search_->Current();
    // Directory-ness is known from the listing; the other attributes cost a status call.
    DWORD attributes = entry.isDirectory ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if ((attributeMask & ~FILE_ATTRIBUTE_DIRECTORY) != 0) {
        attributes = search_->Attributes(entry);
    }
    return (attributes & attributeMask) != 0 ? TRUE : FALSE;
}

BOOL CFileFind::IsDirectory() const {
    return MatchesMask(FILE_ATTRIBUTE_DIRECTORY);
}

BOOL CFileFind::IsDots() const {
    if (!search_ || search_->Current() == nullptr) {
        return FALSE;
    }
    const wine::FoundEntry& entry = *search_->Current();
    return entry.isDirectory && (entry.name == "." || entry.name == "..") ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
    if (!search_ || search_->Current() == nullptr) {
        return CString();
    }
    return CString(search_->Current()->name);
}

CString CFileFind::GetFileTitle() const {
    if (!search_ || search_->Current() == nullptr) {
        return CString();
    }
    const std::string& name = search_->Current()->name;
    const std::size_t lastDot = name.rfind('.');
    return CString(std::string_view(name).substr(0, lastDot));
}

CString CFileFind::GetFilePath() const {
    if (!search_ || search_->Current() == nullptr) {
        return CString();
    }
    // Built once in place: a scan asks this of every entry.
    const std::string& root = search_->Root();
    const std::string& name = search_->Current()->name;
    std::string path;
    path.reserve(root.size() + 1 + name.size());
    path += root;
    if (root.empty() || (root.back() != '\\' && root.back() != '/')) {
        path += '\\';
    }
    path += name;
    return CString(std::move(path));
}

CString CFileFind::GetRoot() const {
    if (!search_) {
        return CString();
    }
    return CString(search_->Root());
}
