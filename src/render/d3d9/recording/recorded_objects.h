#pragma once
// What the recording backend keeps of every call and every object it made.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/d3d9/d3d9.h"

namespace velmora::d3d9::recording {

struct RecordedCall {
    std::string object;  // id of the object called ("device1"), empty for Direct3DCreate9
    std::string name;    // "IDirect3DDevice9::SetRenderState"
    std::vector<std::string> args;  // each argument as text: symbolic names, ids, numbers
    HRESULT result = D3D_OK;        // for AddRef and Release: the new reference count

    // Typed copies of the arguments that text would round: the matrix of SetTransform and the
    // present parameters of CreateDevice.
    std::optional<D3DMATRIX> matrix;
    std::optional<D3DPRESENT_PARAMETERS> presentParameters;

    // "device1 IDirect3DDevice9::SetRenderState(D3DRS_LIGHTING, 0) -> D3D_OK"
    std::string ToString() const;
};

enum class ObjectKind { Direct3D, Device, VertexBuffer, IndexBuffer, Texture };

struct RecordedTextureLevel {
    UINT width = 0;
    UINT height = 0;
    INT pitch = 0;
    std::vector<std::uint8_t> bytes;  // rows top first, `pitch` bytes apart
    UINT lockCount = 0;
};

// What the recorder knows of one object it made.
struct RecordedObject {
    ObjectKind kind = ObjectKind::Direct3D;
    std::string id;        // "d3d1", "device1", "vb1", "ib1", "texture1"
    ULONG references = 1;  // public references plus those other objects hold
    bool freed = false;
    RecordedObject* parent = nullptr;  // the object this one keeps alive (device, Direct3D)

    // Creation arguments of buffers and textures.
    UINT length = 0;
    DWORD usage = 0;
    DWORD fvf = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    D3DPOOL pool = D3DPOOL_DEFAULT;
    std::vector<std::uint8_t> bytes;  // buffer contents
    UINT lockCount = 0;               // buffers: Locks not yet matched by Unlock
    std::vector<RecordedTextureLevel> levels;
};

}  // namespace velmora::d3d9::recording
