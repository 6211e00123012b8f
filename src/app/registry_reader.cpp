#include "app/registry_reader.h"

#include <cstring>

#include <windows.h>

namespace {

constexpr DWORD NameBufferChars = 512;
constexpr DWORD DataBufferBytes = 512;

// Closes the opened key when the lookup ends, whichever way it ends.
class OpenKey {
public:
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (handle != nullptr) {
            RegCloseKey(handle);
        }
    }
    HKEY handle = nullptr;
};

}  // namespace

bool RegistryReader::ReadValue(const CString& keyPath, const CString& valueName, CString& out) {
    OpenKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key.handle) != ERROR_SUCCESS) {
        return false;
    }
    char name[NameBufferChars];
    BYTE data[DataBufferBytes];
    for (DWORD index = 0;; ++index) {
        // Both sizes are in/out: every call overwrites them.
        DWORD nameChars = NameBufferChars;
        DWORD dataBytes = DataBufferBytes;
        if (RegEnumValueA(key.handle, index, name, &nameChars, nullptr, nullptr, data,
                          &dataBytes) != ERROR_SUCCESS) {
            return false;
        }
        if (_stricmp(name, valueName) != 0) {
            continue;
        }
        if (dataBytes == 0) {
            out = "";
        } else {
            // The data is text up to its first NUL, never past the bytes returned.
            const auto* text = reinterpret_cast<const char*>(data);
            out = CString(std::string_view(text, strnlen(text, dataBytes)));
        }
        return true;
    }
}
