#include "app/platform/wx/wx_icon_bitmap.h"

#include "app/platform/win32/resources.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

namespace wx {

namespace {

// A PNG image of an icon; an invalid bitmap when the bytes do not decode.
wxBitmap BitmapOfPng(const std::vector<std::uint8_t>& png) {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        // wx keeps its image handlers for the rest of the run and deletes them itself.
        wxImage::AddHandler(new wxPNGHandler);
    }
    // A bad image is passed over quietly, not shown to the user in a log window.
    const wxLogNull quiet;
    wxMemoryInputStream stream(png.data(), png.size());
    const wxImage image(stream, wxBITMAP_TYPE_PNG);
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

}  // namespace

wxBitmap BitmapOfIcon(const win32::IconImage& image) {
    wxImage pixels(image.width, image.height);
    pixels.InitAlpha();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t colour = image.ColorAt(x, y);
            pixels.SetRGB(x, y, static_cast<unsigned char>(colour >> 16),
                          static_cast<unsigned char>(colour >> 8),
                          static_cast<unsigned char>(colour));
            pixels.SetAlpha(x, y, image.IsTransparentAt(x, y) ? 0 : 255);
        }
    }
    return wxBitmap(pixels);
}

wxIconBundle IconBundleOf(HICON big, HICON small) {
    wxIconBundle bundle;
    // One icon as both the big and the small one (the usual case) is decoded once.
    for (HICON handle : {big, small == big ? nullptr : small}) {
        const win32::IconResource* resource = win32::IconFromHandle(handle);
        if (resource == nullptr) {
            continue;
        }
        for (const win32::IconImage& image : resource->images) {
            wxIcon icon;
            icon.CopyFromBitmap(BitmapOfIcon(image));
            bundle.AddIcon(icon);
        }
        for (const std::vector<std::uint8_t>& png : resource->pngImages) {
            if (const wxBitmap bitmap = BitmapOfPng(png); bitmap.IsOk()) {
                wxIcon icon;
                icon.CopyFromBitmap(bitmap);
                bundle.AddIcon(icon);
            }
        }
    }
    return bundle;
}

}  // namespace wx
