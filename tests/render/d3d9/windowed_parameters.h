#pragma once
// The present parameters of a windowed device as the viewer asks for it: one discarded back
// buffer of the window's size, a D24X8 depth buffer, presented once per retrace by default.

#include "render/d3d9/d3d9.h"

inline D3DPRESENT_PARAMETERS WindowedParameters(HWND window,
                                                UINT interval = D3DPRESENT_INTERVAL_ONE) {
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = window;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24X8;
    params.PresentationInterval = interval;
    return params;
}
