#pragma once
// Which file of a site a request's path names, and opening it so that nothing outside the site
// is ever reached. The path is percent-decoded once and checked component by component: "..",
// ".", empty components (and so absolute forms after the first slash), backslashes, NUL and
// other control bytes, dot-files, and paths over MaxPathBytes are refused; "/" and a folder's
// "/" name its index.html. The file is then opened below the site's folder with the kernel's
// RESOLVE_BENEATH, so that no symbolic link leads out of it either.

#include <optional>
#include <string>
#include <string_view>

namespace web {

inline constexpr std::size_t MaxPathBytes = 1024;

// The site-relative path a request target names (its query, after '?', is dropped), or
// nullopt when the request may name no file of a site.
std::optional<std::string> SitePathOf(std::string_view target);

// Opens `relative` (as SitePathOf gives it) for reading below the open folder `site`; a regular
// file only, nothing resolved outside the folder. -1 when it cannot be (errno says why).
int OpenInsideSite(int site, const std::string& relative);

}  // namespace web
