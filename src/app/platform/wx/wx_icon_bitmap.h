#pragma once
// Icon images as wx bitmaps and icon bundles.

#include "app/platform/win32/icon_resource.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace wx {

// The image with its mask as alpha.
wxBitmap BitmapOfIcon(const win32::IconImage& image);
// Every image of the icons behind the handles, the PNG ones too (null handles, and PNG images
// that do not decode, are passed over).
wxIconBundle IconBundleOf(HICON big, HICON small);

}  // namespace wx
