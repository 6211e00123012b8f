#include "app/platform/wine/registry_text.h"

#include <cctype>
#include <cstring>

#include "app/platform/wine/registry_value_types.h"
#include "app/platform/wine/unicode_text.h"

namespace wine {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

bool IsStringType(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Hex bytes "aa,bb,..." possibly continued on following lines after a '\'.
bool ParseHexBytes(std::string_view text,
                   const std::function<std::optional<std::string_view>()>& continuation,
                   std::string& out) {
    while (true) {
        text = SkipBlanks(text);
        if (text.empty()) {
            return true;
        }
        if (text.front() == '\\') {
            if (!SkipBlanks(text.substr(1)).empty()) {
                return false;
            }
            std::optional<std::string_view> next = continuation();
            if (!next) {
                return false;
            }
            text = *next;
            continue;
        }
        const int high = HexDigit(text.front());
        if (high < 0) {
            return false;
        }
        int value = high;
        text.remove_prefix(1);
        if (!text.empty() && HexDigit(text.front()) >= 0) {
            value = value * 16 + HexDigit(text.front());
            text.remove_prefix(1);
        }
        if (out.size() >= MaxValueBytes) {
            return false;
        }
        out += static_cast<char>(value);
        text = SkipBlanks(text);
        if (!text.empty() && text.front() == ',') {
            text.remove_prefix(1);
        } else if (!text.empty() && text.front() != '\\') {
            return false;
        }
    }
}

// Stored UTF-16LE bytes as RegEnumValueA converts them (an odd last byte is not a unit).
std::string Utf16BytesToUtf8(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

struct DataForm {
    const char* prefix;
    std::uint32_t type;
    bool quoted;
};

constexpr DataForm DataForms[] = {
    {"\"", REG_SZ, true},
    {"str:\"", REG_SZ, true},
    {"str(2):\"", REG_EXPAND_SZ, true},
    {"str(7):\"", REG_MULTI_SZ, true},
    {"hex:", REG_BINARY, false},
};

}  // namespace

std::optional<std::u16string> ParseEscaped(std::string_view text, char delimiter,
                                           std::size_t& end) {
    std::u16string units;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == delimiter) {
            end = i + 1;
            return units;
        }
        if (c != '\\') {
            // Raw bytes: a run up to the next escape or delimiter, decoded as UTF-8.
            std::size_t runEnd = i;
            while (runEnd < text.size() && text[runEnd] != '\\' && text[runEnd] != delimiter) {
                ++runEnd;
            }
            AppendUtf8AsUtf16(units, text.substr(i, runEnd - i));
            i = runEnd;
            continue;
        }
        if (++i >= text.size()) {
            return std::nullopt;
        }
        const char escaped = text[i++];
        switch (escaped) {
            case 'a':
                units += u'\a';
                break;
            case 'b':
                units += u'\b';
                break;
            case 'e':
                units += char16_t{27};
                break;
            case 'f':
                units += u'\f';
                break;
            case 'n':
                units += u'\n';
                break;
            case 'r':
                units += u'\r';
                break;
            case 't':
                units += u'\t';
                break;
            case 'v':
                units += u'\v';
                break;
            case 'x': {
                unsigned value = 0;
                int digits = 0;
                while (digits < 4 && i < text.size() && HexDigit(text[i]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexDigit(text[i++]));
                    ++digits;
                }
                units += digits == 0 ? u'x' : static_cast<char16_t>(value);
                break;
            }
            default:
                if (escaped >= '0' && escaped <= '7') {
                    unsigned value = static_cast<unsigned>(escaped - '0');
                    for (int digits = 1;
                         digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
                         ++digits) {
                        value = value * 8 + static_cast<unsigned>(text[i++] - '0');
                    }
                    units += static_cast<char16_t>(value);
                } else if (static_cast<unsigned char>(escaped) < 0x80) {
                    units += static_cast<char16_t>(escaped);
                } else {
                    // An escaped non-ASCII character: decode the whole UTF-8 sequence.
                    std::size_t sequenceEnd = i;
                    while (sequenceEnd < text.size() &&
                           (static_cast<unsigned char>(text[sequenceEnd]) & 0xC0) == 0x80) {
                        ++sequenceEnd;
                    }
                    AppendUtf8AsUtf16(units, text.substr(i - 1, sequenceEnd - i + 1));
                    i = sequenceEnd;
                }
                break;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> ParseKeyLine(std::string_view afterBracket) {
    std::size_t end = 0;
    std::optional<std::u16string> path = ParseEscaped(afterBracket, ']', end);
    if (!path) {
        return std::nullopt;
    }
    std::vector<std::string> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path->size(); ++i) {
        if (i == path->size() || (*path)[i] == u'\\') {
            components.push_back(Utf16ToUtf8(std::u16string_view(*path).substr(start, i - start)));
            start = i + 1;
        }
    }
    return components;
}

std::optional<RegistryValue> ParseValueLine(
    std::string_view line, const std::function<std::optional<std::string_view>()>& continuation) {
    RegistryValue value;
    std::string_view rest;
    if (!line.empty() && line.front() == '@') {
        rest = line.substr(1);
    } else if (!line.empty() && line.front() == '"') {
        std::size_t end = 0;
        std::optional<std::u16string> name = ParseEscaped(line.substr(1), '"', end);
        if (!name) {
            return std::nullopt;
        }
        value.name = Utf16ToUtf8(*name);
        rest = line.substr(1 + end);
    } else {
        return std::nullopt;
    }
    rest = SkipBlanks(rest);
    if (rest.empty() || rest.front() != '=') {
        return std::nullopt;
    }
    rest = SkipBlanks(rest.substr(1));

    for (const DataForm& form : DataForms) {
        const std::size_t prefixLength = std::strlen(form.prefix);
        if (rest.substr(0, prefixLength) != form.prefix) {
            continue;
        }
        value.type = form.type;
        rest.remove_prefix(prefixLength);
        if (form.quoted) {
            std::size_t end = 0;
            std::optional<std::u16string> text = ParseEscaped(rest, '"', end);
            if (!text) {
                return std::nullopt;
            }
            text->push_back(u'\0');  // stored strings carry their terminator
            value.data = Utf16ToUtf8(*text);
            if (value.data.size() > MaxValueBytes) {
                return std::nullopt;
            }
            return value;
        }
        if (!ParseHexBytes(rest, continuation, value.data)) {
            return std::nullopt;
        }
        return value;
    }
    if (rest.substr(0, 6) == "dword:") {
        rest.remove_prefix(6);
        std::uint32_t number = 0;
        int digits = 0;
        while (!rest.empty() && HexDigit(rest.front()) >= 0) {
            if (++digits > 8) {
                return std::nullopt;
            }
            number = number * 16 + static_cast<std::uint32_t>(HexDigit(rest.front()));
            rest.remove_prefix(1);
        }
        if (digits == 0) {
            return std::nullopt;
        }
        value.type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data += static_cast<char>((number >> shift) & 0xFF);
        }
        return value;
    }
    if (rest.substr(0, 4) == "hex(") {
        rest.remove_prefix(4);
        std::uint32_t type = 0;
        int digits = 0;
        while (!rest.empty() && HexDigit(rest.front()) >= 0) {
            if (++digits > 8) {
                return std::nullopt;
            }
            type = type * 16 + static_cast<std::uint32_t>(HexDigit(rest.front()));
            rest.remove_prefix(1);
        }
        if (digits == 0 || rest.substr(0, 2) != "):") {
            return std::nullopt;
        }
        rest.remove_prefix(2);
        value.type = type;
        if (!ParseHexBytes(rest, continuation, value.data)) {
            return std::nullopt;
        }
        // Wine writes strings it cannot show as text (no terminator, empty) in hex form. Their
        // UTF-8 form is up to half as large again (U+E000 or a lone surrogate: 2 bytes in, 3
        // out), so the limit holds for it too.
        if (IsStringType(type)) {
            value.data = Utf16BytesToUtf8(value.data);
            if (value.data.size() > MaxValueBytes) {
                return std::nullopt;
            }
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace wine
