#pragma once
// MFC-style CString: a value string of ANSI bytes (UTF-8 on this platform), with the members the
// program calls. Any byte, NUL included, may be held; GetString() is always NUL-terminated.

#include <string>
#include <string_view>
#include <utility>

#include "app/platform/win32/win_types.h"

class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT: implicit like MFC; null gives the empty string
    CString(std::string_view text);
    CString(const std::string& text);
    CString(std::string&& text) noexcept : text_(std::move(text)) {}
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text);
    CString& operator=(std::string_view text);
    CString& operator=(const std::string& text) { return *this = std::string_view(text); }

    CString& operator+=(const CString& tail);
    CString& operator+=(const char* tail);
    CString& operator+=(char tail);

    int GetLength() const { return static_cast<int>(text_.size()); }
    BOOL IsEmpty() const { return text_.empty() ? TRUE : FALSE; }
    void Empty() { text_.clear(); }
    const char* GetString() const { return text_.c_str(); }
    operator const char*() const { return text_.c_str(); }  // NOLINT: MFC's LPCTSTR conversion

    // Replaces every occurrence of `oldText` (exact bytes, case-sensitive, left to right, no
    // overlaps) by `newText`; returns how many were replaced. An empty `oldText` replaces nothing.
    int Replace(const char* oldText, const char* newText);

    // printf formatting of any length. The arguments may point into this string itself.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Loads the string `id` from the process string table (string_table.h). A missing id gives
    // FALSE and leaves the string as it was.
    BOOL LoadString(UINT id);

    const std::string& str() const { return text_; }

    friend CString operator+(const CString& left, const CString& right);
    friend CString operator+(const CString& left, const char* right);
    friend CString operator+(const char* left, const CString& right);
    friend bool operator==(const CString& left, const CString& right) {
        return left.text_ == right.text_;
    }
    friend bool operator==(const CString& left, const char* right);
    friend bool operator<(const CString& left, const CString& right) {
        return left.text_ < right.text_;
    }
    friend bool operator<(const CString& left, const char* right);
    friend bool operator<(const char* left, const CString& right);

private:
    std::string text_;
};
