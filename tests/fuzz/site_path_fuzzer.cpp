// The server's path rule, any request target: refused, or a path that stays inside the site
// whatever the filesystem holds: relative, no empty, "." or ".." component, no backslash or
// control byte.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "web/site_files.h"
#include "web/site_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view target(reinterpret_cast<const char*>(data), size);
    const auto path = web::SitePathOf(target);
    if (!path) {
        return 0;
    }
    fuzz::Require(web::IsInsideSite(*path));
    for (const char c : *path) {
        fuzz::Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '\\');
    }
    fuzz::Require(path->size() <= web::MaxPathBytes + 10);
    return 0;
}
