#include "render/d3d9/recording/d3d9_names.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

#include "render/d3d9/d3dx9.h"

namespace velmora::d3d9::recording {

namespace {

template <typename Value>
std::string NameOf(Value value, std::initializer_list<std::pair<Value, const char*>> names) {
    for (const auto& [known, name] : names) {
        if (known == value) {
            return name;
        }
    }
    return std::to_string(static_cast<long long>(value));
}

}  // namespace

std::string ResultName(HRESULT result) {
    return NameOf<HRESULT>(result, {{D3D_OK, "D3D_OK"},
                                    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
                                    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
                                    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
                                    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
                                    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA"},
                                    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
                                    {E_FAIL, "E_FAIL"}});
}

std::string DeviceTypeName(D3DDEVTYPE type) {
    return NameOf(type, {{D3DDEVTYPE_HAL, "D3DDEVTYPE_HAL"},
                         {D3DDEVTYPE_REF, "D3DDEVTYPE_REF"},
                         {D3DDEVTYPE_SW, "D3DDEVTYPE_SW"},
                         {D3DDEVTYPE_NULLREF, "D3DDEVTYPE_NULLREF"}});
}

std::string FormatName(D3DFORMAT format) {
    return NameOf(format, {{D3DFMT_UNKNOWN, "D3DFMT_UNKNOWN"},
                           {D3DFMT_A8R8G8B8, "D3DFMT_A8R8G8B8"},
                           {D3DFMT_X8R8G8B8, "D3DFMT_X8R8G8B8"},
                           {D3DFMT_D24S8, "D3DFMT_D24S8"},
                           {D3DFMT_D24X8, "D3DFMT_D24X8"},
                           {D3DFMT_D16, "D3DFMT_D16"},
                           {D3DFMT_INDEX16, "D3DFMT_INDEX16"},
                           {D3DFMT_INDEX32, "D3DFMT_INDEX32"}});
}

std::string PoolName(D3DPOOL pool) {
    return NameOf(pool, {{D3DPOOL_DEFAULT, "D3DPOOL_DEFAULT"},
                         {D3DPOOL_MANAGED, "D3DPOOL_MANAGED"},
                         {D3DPOOL_SYSTEMMEM, "D3DPOOL_SYSTEMMEM"},
                         {D3DPOOL_SCRATCH, "D3DPOOL_SCRATCH"}});
}

std::string PrimitiveTypeName(D3DPRIMITIVETYPE type) {
    return NameOf(type, {{D3DPT_POINTLIST, "D3DPT_POINTLIST"},
                         {D3DPT_LINELIST, "D3DPT_LINELIST"},
                         {D3DPT_LINESTRIP, "D3DPT_LINESTRIP"},
                         {D3DPT_TRIANGLELIST, "D3DPT_TRIANGLELIST"},
                         {D3DPT_TRIANGLESTRIP, "D3DPT_TRIANGLESTRIP"},
                         {D3DPT_TRIANGLEFAN, "D3DPT_TRIANGLEFAN"}});
}

std::string TransformStateName(D3DTRANSFORMSTATETYPE state) {
    return NameOf(state, {{D3DTS_VIEW, "D3DTS_VIEW"},
                          {D3DTS_PROJECTION, "D3DTS_PROJECTION"},
                          {D3DTS_WORLD, "D3DTS_WORLD"}});
}

std::string RenderStateName(D3DRENDERSTATETYPE state) {
    return NameOf(state, {{D3DRS_ZENABLE, "D3DRS_ZENABLE"}, {D3DRS_LIGHTING, "D3DRS_LIGHTING"}});
}

std::string SamplerStateName(D3DSAMPLERSTATETYPE state) {
    return NameOf(state, {{D3DSAMP_ADDRESSU, "D3DSAMP_ADDRESSU"},
                          {D3DSAMP_ADDRESSV, "D3DSAMP_ADDRESSV"},
                          {D3DSAMP_ADDRESSW, "D3DSAMP_ADDRESSW"},
                          {D3DSAMP_MAGFILTER, "D3DSAMP_MAGFILTER"},
                          {D3DSAMP_MINFILTER, "D3DSAMP_MINFILTER"},
                          {D3DSAMP_MIPFILTER, "D3DSAMP_MIPFILTER"}});
}

std::string TextureStageStateName(D3DTEXTURESTAGESTATETYPE state) {
    return NameOf(state, {{D3DTSS_COLOROP, "D3DTSS_COLOROP"},
                          {D3DTSS_COLORARG1, "D3DTSS_COLORARG1"},
                          {D3DTSS_COLORARG2, "D3DTSS_COLORARG2"},
                          {D3DTSS_ALPHAOP, "D3DTSS_ALPHAOP"},
                          {D3DTSS_ALPHAARG1, "D3DTSS_ALPHAARG1"},
                          {D3DTSS_ALPHAARG2, "D3DTSS_ALPHAARG2"}});
}

std::string ClearFlagsName(DWORD flags) {
    std::string text;
    const auto append = [&text](const std::string& part) {
        text += text.empty() ? part : "|" + part;
    };
    for (const auto& [bit, name] : {std::pair{D3DCLEAR_TARGET, "D3DCLEAR_TARGET"},
                                    std::pair{D3DCLEAR_ZBUFFER, "D3DCLEAR_ZBUFFER"},
                                    std::pair{D3DCLEAR_STENCIL, "D3DCLEAR_STENCIL"}}) {
        if ((flags & bit) != 0) {
            append(name);
            flags &= ~bit;
        }
    }
    if (flags != 0) {
        append(HexText(flags));
    }
    return text.empty() ? "0" : text;
}

std::string ColorText(D3DCOLOR color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(color));
    return text;
}

std::string FloatText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string HexText(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace velmora::d3d9::recording
