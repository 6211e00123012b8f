#include "app/platform/wx/wx_icon_bitmap.h"

#include "app/platform/resources.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/icon.h>
#include <wx/image.h>

wxBitmap BitmapOfIcon(const IconImage& image) {
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
    for (HICON handle : {big, small}) {
        const IconResource* resource = IconFromHandle(handle);
        if (resource == nullptr) {
            continue;
        }
        for (const IconImage& image : resource->images) {
            wxIcon icon;
            icon.CopyFromBitmap(BitmapOfIcon(image));
            bundle.AddIcon(icon);
        }
    }
    return bundle;
}
