#include "app/platform/win32/string_table.h"

#include <map>
#include <mutex>

namespace win32 {

namespace {

struct StringTable {
    std::mutex mutex;
    std::map<UINT, std::string> strings;
};

StringTable& Table() {
    static StringTable table;
    return table;
}

}  // namespace

void SetResourceString(UINT id, std::string text) {
    StringTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.strings[id] = std::move(text);
}

std::optional<std::string> FindResourceString(UINT id) {
    StringTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.strings.find(id);
    if (found == table.strings.end()) {
        return std::nullopt;
    }
    return found->second;
}

void ClearResourceStrings() {
    StringTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.strings.clear();
}

}  // namespace win32
