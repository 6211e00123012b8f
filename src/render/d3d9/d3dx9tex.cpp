// D3DXCreateTextureFromFileA: the file decoded by content, then a managed texture with one level
// per mip of the image, each level copied row by row at the pitch the texture reports.

#include <algorithm>
#include <cstring>

#include "render/d3d9/d3dx9.h"
#include "render/d3d9/texture_file.h"

using image::ImageStatus;
using image::TextureImage;
using image::TextureLevel;

namespace {

// Copies one level into the locked texture level; the first failing result, else D3D_OK.
HRESULT FillLevel(IDirect3DTexture9* texture, UINT index, const TextureLevel& level) {
    D3DLOCKED_RECT locked{};
    const HRESULT lock = texture->LockRect(index, &locked, nullptr, 0);
    if (lock != D3D_OK) {
        return lock;
    }
    const std::size_t rowBytes = std::size_t{level.width} * sizeof(std::uint32_t);
    if (locked.pBits == nullptr || locked.Pitch < 0 ||
        static_cast<std::size_t>(locked.Pitch) < rowBytes) {
        texture->UnlockRect(index);
        return D3DERR_INVALIDCALL;
    }
    auto* row = static_cast<std::uint8_t*>(locked.pBits);
    for (UINT y = 0; y < level.height; ++y) {
        std::memcpy(row, level.texels.data() + std::size_t{y} * level.width, rowBytes);
        row += locked.Pitch;
    }
    return texture->UnlockRect(index);
}

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                   IDirect3DTexture9** ppTexture) {
    if (pDevice == nullptr || pSrcFile == nullptr || ppTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // No stale pointer survives a failure.
    *ppTexture = nullptr;

    TextureImage image;
    if (LoadTextureImage(pSrcFile, image) != ImageStatus::Ok || image.levels.empty()) {
        return D3DXERR_INVALIDDATA;
    }

    const TextureLevel& top = image.levels.front();
    const D3DFORMAT format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    IDirect3DTexture9* texture = nullptr;
    const HRESULT created =
        pDevice->CreateTexture(top.width, top.height, static_cast<UINT>(image.levels.size()), 0,
                               format, D3DPOOL_MANAGED, &texture, nullptr);
    if (created != D3D_OK || texture == nullptr) {
        return created != D3D_OK ? created : D3DERR_INVALIDCALL;
    }

    for (UINT index = 0; index < image.levels.size(); ++index) {
        const HRESULT filled = FillLevel(texture, index, image.levels[index]);
        if (filled != D3D_OK) {
            texture->Release();
            return filled;
        }
    }
    *ppTexture = texture;
    return D3D_OK;
}
