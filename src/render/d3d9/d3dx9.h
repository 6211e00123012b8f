#pragma once
// The D3DX 9 utility functions the viewer calls: matrix helpers and the texture file loader.

#include "render/d3d9/d3d9.h"
#include "render/d3d9/d3dx9math.h"

// MAKE_DDHRESULT(2905): the file is missing, unreadable or not an image the loader recognises.
inline constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

inline constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

// Creates a managed texture on pDevice from the image file pSrcFile (format recognised by
// content), with the full mip chain and the file's size rounded up to powers of two. On
// success *ppTexture holds one reference owned by the caller.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                   IDirect3DTexture9** ppTexture);
