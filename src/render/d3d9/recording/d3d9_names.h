#pragma once
// Direct3D's symbolic names for the values the viewer passes, so that recorded calls read like
// the code that made them. Values without a name come back as decimal numbers.

#include <string>

#include "render/d3d9/d3d9.h"

namespace velmora::d3d9::recording {

std::string ResultName(HRESULT result);
std::string DeviceTypeName(D3DDEVTYPE type);
std::string FormatName(D3DFORMAT format);
std::string PoolName(D3DPOOL pool);
std::string PrimitiveTypeName(D3DPRIMITIVETYPE type);
std::string TransformStateName(D3DTRANSFORMSTATETYPE state);
std::string RenderStateName(D3DRENDERSTATETYPE state);
std::string SamplerStateName(D3DSAMPLERSTATETYPE state);
std::string TextureStageStateName(D3DTEXTURESTAGESTATETYPE state);
// "D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER"; unnamed bits as hexadecimal, no bits as "0".
std::string ClearFlagsName(DWORD flags);
// D3DCOLOR as 0xAARRGGBB.
std::string ColorText(D3DCOLOR color);
// Shortest text that reads back as the same float.
std::string FloatText(float value);
std::string HexText(std::uint64_t value);

}  // namespace velmora::d3d9::recording
