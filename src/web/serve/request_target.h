#pragma once
// The origin form of a request's target. A server must take the absolute form as well (RFC 9112,
// section 3.2.2: "http://host/path?query", as some proxies and clients send it): it names the
// same resource as its path and query.

#include <string_view>

namespace web::serve {

// "/path?query" for "http://host/path?query" (any scheme, case-insensitive), "/" for a bare
// authority; any other target as it is.
std::string_view OriginFormOf(std::string_view target);

}  // namespace web::serve
