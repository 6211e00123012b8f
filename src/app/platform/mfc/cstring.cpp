#include "app/platform/mfc/cstring.h"

#include <cstdarg>
#include <cstdio>

#include "app/platform/win32/string_table.h"

CString::CString(const char* text) : text_(text != nullptr ? text : "") {}

CString::CString(std::string_view text) : text_(text) {}

CString::CString(const std::string& text) : text_(text) {}

CString& CString::operator=(const char* text) {
    // Assigning from our own buffer must work, so build the new value first.
    std::string value(text != nullptr ? text : "");
    text_ = std::move(value);
    return *this;
}

CString& CString::operator=(std::string_view text) {
    std::string value(text);
    text_ = std::move(value);
    return *this;
}

CString& CString::operator+=(const CString& tail) {
    text_ += tail.text_;
    return *this;
}

CString& CString::operator+=(const char* tail) {
    if (tail != nullptr) {
        std::string copy(tail);  // `tail` may point into text_, which append can reallocate
        text_ += copy;
    }
    return *this;
}

CString& CString::operator+=(char tail) {
    text_ += tail;
    return *this;
}

int CString::Replace(const char* oldText, const char* newText) {
    if (oldText == nullptr || *oldText == '\0') {
        return 0;
    }
    const std::string from(oldText);
    const std::string to(newText != nullptr ? newText : "");
    std::string result;
    int count = 0;
    std::size_t start = 0;
    for (std::size_t found = text_.find(from); found != std::string::npos;
         found = text_.find(from, start)) {
        result.append(text_, start, found - start);
        result += to;
        start = found + from.size();
        ++count;
    }
    if (count > 0) {
        result.append(text_, start, std::string::npos);
        text_ = std::move(result);
    }
    return count;
}

void CString::Format(const char* format, ...) {
    if (format == nullptr) {
        text_.clear();
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<std::size_t>(length));
        std::vsnprintf(result.data(), result.size() + 1, format, arguments);
    }
    va_end(arguments);
    // An encoding error (length < 0) gives the empty string rather than stale text.
    text_ = std::move(result);
}

BOOL CString::LoadString(UINT id) {
    std::optional<std::string> text = win32::FindResourceString(id);
    if (!text) {
        return FALSE;
    }
    text_ = std::move(*text);
    return TRUE;
}

CString operator+(const CString& left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const char* right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const char* left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

bool operator==(const CString& left, const char* right) {
    return left.text_ == std::string_view(right != nullptr ? right : "");
}

bool operator<(const CString& left, const char* right) {
    return std::string_view(left.text_) < std::string_view(right != nullptr ? right : "");
}

bool operator<(const char* left, const CString& right) {
    return std::string_view(left != nullptr ? left : "") < std::string_view(right.text_);
}
