#include "web/serve/http_validators.h"

#include <cstring>
#include <string>

namespace web::serve {

namespace {

constexpr std::string_view Blanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(Blanks);
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(Blanks) - start + 1);
}

// The opaque part of an entity tag, quotes included, without its weakness.
std::string_view Opaque(std::string_view tag) {
    if (tag.starts_with("W/")) {
        tag.remove_prefix(2);
    }
    return tag;
}

}  // namespace

bool NoneMatchHolds(std::string_view field, std::string_view tag) {
    field = Trimmed(field);
    if (field == "*") {
        return true;
    }
    const std::string_view wanted = Opaque(tag);
    // Commas may stand inside a quoted tag: the list is walked tag by tag, not split.
    std::size_t at = 0;
    while (at < field.size()) {
        at = field.find_first_not_of(" \t,", at);
        if (at == std::string_view::npos) {
            break;
        }
        std::size_t open = at;
        if (field.substr(at).starts_with("W/")) {
            open += 2;
        }
        if (open >= field.size() || field[open] != '"') {
            return false;  // not a list of tags: nothing matches
        }
        const std::size_t close = field.find('"', open + 1);
        if (close == std::string_view::npos) {
            return false;
        }
        if (field.substr(open, close - open + 1) == wanted) {
            return true;
        }
        at = close + 1;
    }
    return false;
}

std::optional<std::time_t> ParseHttpDate(std::string_view text) {
    const std::string date(Trimmed(text));
    for (const char* form :
         {"%a, %d %b %Y %H:%M:%S GMT", "%A, %d-%b-%y %H:%M:%S GMT", "%a %b %e %H:%M:%S %Y"}) {
        std::tm parts{};
        const char* end = strptime(date.c_str(), form, &parts);
        if (end != nullptr && *end == '\0') {
            return timegm(&parts);
        }
    }
    return std::nullopt;
}

std::string HttpDate(std::time_t when) {
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

bool NotModified(const char* ifNoneMatch, const char* ifModifiedSince, std::string_view tag,
                 std::time_t modified) {
    if (ifNoneMatch != nullptr) {
        return NoneMatchHolds(ifNoneMatch, tag);
    }
    if (ifModifiedSince != nullptr) {
        const std::optional<std::time_t> since = ParseHttpDate(ifModifiedSince);
        return since && modified <= *since;
    }
    return false;
}

}  // namespace web::serve
