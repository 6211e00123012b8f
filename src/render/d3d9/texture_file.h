#pragma once
// The texture loader's file: read whole through the platform's file layer, then decoded as any
// image file is (image/image_file.h).

#include "image/texture_image.h"

// Reads the file at a Windows path (relative paths against the current directory) and decodes
// it.
image::ImageStatus LoadTextureImage(const char* windowsPath, image::TextureImage& image);
