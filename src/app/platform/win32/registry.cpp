#include "app/platform/win32/registry.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "app/platform/wine/registry_hive_file.h"
#include "app/platform/wine/wine_prefix.h"

namespace {

namespace fs = std::filesystem;

struct OpenedKey {
    fs::path prefix;
    std::string path;  // below HKEY_LOCAL_MACHINE, as the caller spelled it
    std::vector<wine::RegistryValue> values;
};

struct KeyTable {
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<const OpenedKey>> keys;
    std::uintptr_t nextHandle = 0x1000;
};

KeyTable& Keys() {
    static KeyTable table;
    return table;
}

std::shared_ptr<const OpenedKey> FindKey(HKEY key) {
    KeyTable& table = Keys();
    std::lock_guard lock(table.mutex);
    auto found = table.keys.find(reinterpret_cast<std::uintptr_t>(key));
    return found == table.keys.end() ? nullptr : found->second;
}

HKEY AddKey(std::shared_ptr<const OpenedKey> key) {
    KeyTable& table = Keys();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t handle = table.nextHandle;
    table.nextHandle += 4;
    table.keys.emplace(handle, std::move(key));
    return reinterpret_cast<HKEY>(handle);
}

fs::path SystemRegistry(const fs::path& prefix) {
    return prefix / "system.reg";
}

}  // namespace

LONG RegOpenKeyA(HKEY key, LPCSTR subKey, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::shared_ptr<const OpenedKey> parent;
    if (key != HKEY_LOCAL_MACHINE) {
        parent = FindKey(key);
        if (!parent) {
            *result = nullptr;
            return ERROR_INVALID_HANDLE;
        }
    }
    if (subKey == nullptr || *subKey == '\0') {
        *result = key;  // as Win32: the same handle
        return ERROR_SUCCESS;
    }
    auto opened = std::make_shared<OpenedKey>();
    opened->path = parent ? parent->path + "\\" + subKey : std::string(subKey);
    std::optional<std::vector<wine::RegistryValue>> values;
    if (parent) {
        opened->prefix = parent->prefix;
        values = wine::ReadRegistryKey(SystemRegistry(opened->prefix), opened->path);
    } else {
        std::optional<fs::path> prefix = wine::SelectPrefix([&](const fs::path& candidate) {
            values = wine::ReadRegistryKey(SystemRegistry(candidate), opened->path);
            return values.has_value();
        });
        if (prefix) {
            opened->prefix = *prefix;
        }
    }
    if (!values) {
        *result = nullptr;
        return ERROR_FILE_NOT_FOUND;
    }
    opened->values = std::move(*values);
    *result = AddKey(std::move(opened));
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* nameChars, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* dataBytes) {
    if (name == nullptr || nameChars == nullptr || reserved != nullptr ||
        (data != nullptr && dataBytes == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    static const std::vector<wine::RegistryValue> noValues;
    std::shared_ptr<const OpenedKey> opened;
    if (key != HKEY_LOCAL_MACHINE) {
        opened = FindKey(key);
        if (!opened) {
            return ERROR_INVALID_HANDLE;
        }
    }
    const std::vector<wine::RegistryValue>& values = opened ? opened->values : noValues;
    if (index >= values.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const wine::RegistryValue& value = values[index];
    const auto size = static_cast<DWORD>(value.data.size());
    const bool isString =
        value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;

    LONG status = ERROR_SUCCESS;
    if (data != nullptr) {
        if (size > *dataBytes) {
            status = ERROR_MORE_DATA;  // the buffer is left untouched
        } else {
            std::memcpy(data, value.data.data(), size);
            // A string without its terminator gets one when there is room; it is not counted.
            if (isString && size > 0 && size < *dataBytes && data[size - 1] != 0) {
                data[size] = 0;
            }
        }
    }
    // The name is handled only when the data went well, as Wine and Windows' A version do.
    if (status == ERROR_SUCCESS) {
        const auto nameLength = static_cast<DWORD>(value.name.size());
        if (nameLength >= *nameChars) {
            status = ERROR_MORE_DATA;
            if (*nameChars > 0) {
                std::memcpy(name, value.name.data(), *nameChars - 1);
                name[*nameChars - 1] = '\0';
            }
        } else {
            std::memcpy(name, value.name.c_str(), nameLength + 1);
            *nameChars = nameLength;
        }
    }
    if (type != nullptr) {
        *type = value.type;
    }
    if (dataBytes != nullptr) {
        *dataBytes = size;
    }
    return status;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    KeyTable& table = Keys();
    std::lock_guard lock(table.mutex);
    return table.keys.erase(reinterpret_cast<std::uintptr_t>(key)) == 1 ? ERROR_SUCCESS
                                                                        : ERROR_INVALID_HANDLE;
}

int _stricmp(const char* left, const char* right) {
    const auto fold = [](unsigned char c) -> int {
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    };
    const auto* a = reinterpret_cast<const unsigned char*>(left);
    const auto* b = reinterpret_cast<const unsigned char*>(right);
    while (true) {
        const int difference = fold(*a) - fold(*b);
        if (difference != 0 || *a == 0) {
            return difference;
        }
        ++a;
        ++b;
    }
}
