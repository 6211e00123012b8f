#pragma once
// The conditional requests of HTTP (RFC 9110, section 13) as a file server meets them: whether
// an If-None-Match list names the file's entity tag (weakly, "*" naming any), and whether an
// If-Modified-Since date is not older than the file, the latter asked only when the former is
// absent.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace web::serve {

// Whether `field` (an If-None-Match value: "*" or a comma-separated list of tags, weak or
// strong) matches `tag` by the weak comparison, as a GET or HEAD must compare.
bool NoneMatchHolds(std::string_view field, std::string_view tag);

// The time an HTTP-date names, in any of its three forms (IMF-fixdate, RFC 850, asctime);
// nullopt for anything else.
std::optional<std::time_t> ParseHttpDate(std::string_view text);

// The IMF-fixdate of `when`: "Sun, 06 Nov 1994 08:49:37 GMT".
std::string HttpDate(std::time_t when);

// Whether a GET or HEAD is answered 304: If-None-Match when it is sent (null when not),
// otherwise If-Modified-Since against the file's modification time.
bool NotModified(const char* ifNoneMatch, const char* ifModifiedSince, std::string_view tag,
                 std::time_t modified);

}  // namespace web::serve
