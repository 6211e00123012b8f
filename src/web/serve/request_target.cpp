#include "web/serve/request_target.h"

#include <algorithm>
#include <cctype>

namespace web::serve {

std::string_view OriginFormOf(std::string_view target) {
    const std::size_t scheme = target.find("://");
    if (scheme == std::string_view::npos || scheme == 0 ||
        !std::all_of(target.begin(), target.begin() + static_cast<std::ptrdiff_t>(scheme),
                     [](unsigned char c) { return std::isalpha(c) != 0; })) {
        return target;
    }
    const std::size_t path = target.find_first_of("/?", scheme + 3);
    if (path == std::string_view::npos) {
        return "/";
    }
    return target[path] == '/' ? target.substr(path) : std::string_view("/");
}

}  // namespace web::serve
