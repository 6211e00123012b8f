#pragma once
// The Content-Type of a site's file, by its name's extension; anything unknown is served as
// bytes, never sniffed.

#include <string_view>

namespace web::serve {

const char* ContentTypeOf(std::string_view path);

}  // namespace web::serve
