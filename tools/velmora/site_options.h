#pragma once
// What velmora web and serve give a site of the program's own install: the page's files and
// Leaflet, and the ground texture.

#include <string>

#include "web/site_writer.h"

// The page's files (installed beside velmora, or staged in the build tree), Leaflet from
// Debian's libjs-leaflet, the texture (`texture`, else terrain.image of the current directory as
// the viewer finds it, else none) and the summaries kept in the user's cache. Throws
// CommandFailure (exit 1) for what is missing.
web::SiteOptions SiteOptionsFor(const std::string& texture, bool force);
