#pragma once
// MFC-style CMapStringToString: a map of unique, exactly compared string keys to string values,
// iterated in an order of its own with POSITION cursors.

#include <string>
#include <string_view>
#include <unordered_map>

#include "app/platform/mfc/cstring.h"
#include "app/platform/win32/win_types.h"

// An opaque iteration cursor; null marks the end.
namespace mfc {
struct PositionTag;
}  // namespace mfc
using POSITION = mfc::PositionTag*;

class CMapStringToString {
public:
    explicit CMapStringToString(int blockSize = 10);
    CMapStringToString(const CMapStringToString&) = delete;
    CMapStringToString& operator=(const CMapStringToString&) = delete;
    virtual ~CMapStringToString() = default;

    int GetCount() const { return static_cast<int>(entries_.size()); }
    BOOL IsEmpty() const { return entries_.empty() ? TRUE : FALSE; }
    void RemoveAll() { entries_.clear(); }

    // The value of `key`, inserted empty when the key is new. The reference stays valid until
    // the key is removed.
    CString& operator[](const char* key);
    CString& operator[](const CString& key) { return entries_[key.str()]; }

    // TRUE and the value when `key` is present; FALSE and `value` unchanged otherwise.
    BOOL Lookup(const char* key, CString& value) const;

    // Start of an iteration; null when the map is empty.
    POSITION GetStartPosition() const;
    // Gives the association at `position` and moves `position` on (null after the last one).
    // Positions are invalidated by RemoveAll.
    void GetNextAssoc(POSITION& position, CString& key, CString& value) const;

private:
    // Hashed: a scan of thousands of sectors inserts and looks up without ordered comparisons.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const {
            return std::hash<std::string_view>{}(key);
        }
    };
    using Entries = std::unordered_map<std::string, CString, KeyHash, std::equal_to<>>;
    Entries entries_;
};
