#include "web/serve/content_type.h"

#include <array>
#include <utility>

namespace web::serve {

const char* ContentTypeOf(std::string_view path) {
    static constexpr std::array<std::pair<std::string_view, const char*>, 9> Types = {{
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".png", "image/png"},
        {".svg", "image/svg+xml"},
        {".json", "application/json"},
        {".txt", "text/plain; charset=utf-8"},
        {".ico", "image/vnd.microsoft.icon"},
        {".map", "application/json"},
    }};
    for (const auto& [extension, type] : Types) {
        if (path.ends_with(extension)) {
            return type;
        }
    }
    // Licences and anything else without a known kind.
    return path.ends_with("LICENSE") ? "text/plain; charset=utf-8" : "application/octet-stream";
}

}  // namespace web::serve
