#include "render/d3d9/recording/recording_resources.h"

#include <algorithm>

#include "render/d3d9/recording/d3d9_names.h"

namespace velmora::d3d9::recording {

namespace {

// Lock and Unlock of a byte buffer, shared by vertex and index buffers.
template <class Interface>
class RecordingBuffer final : public Recording<Interface> {
public:
    using Recording<Interface>::Recording;

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override {
        RecordedObject& record = this->record_;
        return this->Log(
            "Lock",
            {std::to_string(OffsetToLock), std::to_string(SizeToLock),
             ppbData == nullptr ? "null" : "out", HexText(Flags)},
            [&]() -> HRESULT {
                const UINT length = record.length;
                const UINT size =
                    SizeToLock == 0 && OffsetToLock <= length ? length - OffsetToLock : SizeToLock;
                if (ppbData == nullptr || OffsetToLock > length || size > length - OffsetToLock) {
                    return D3DERR_INVALIDCALL;
                }
                *ppbData = record.bytes.data() + OffsetToLock;
                ++record.lockCount;
                return D3D_OK;
            });
    }

    HRESULT Unlock() override {
        RecordedObject& record = this->record_;
        return this->Log("Unlock", {}, [&]() -> HRESULT {
            if (record.lockCount == 0) {
                this->state_.Problem("Unlock of " + record.id + " without Lock");
                return D3DERR_INVALIDCALL;
            }
            --record.lockCount;
            return D3D_OK;
        });
    }
};

class RecordingTexture final : public Recording<IDirect3DTexture9> {
public:
    using Recording::Recording;

    DWORD GetLevelCount() override {
        Log("GetLevelCount", {}, [] { return D3D_OK; });
        return static_cast<DWORD>(record_.levels.size());
    }

    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override {
        return Log("GetLevelDesc", {std::to_string(Level), pDesc == nullptr ? "null" : "out"},
                   [&]() -> HRESULT {
                       if (pDesc == nullptr || Level >= record_.levels.size()) {
                           return D3DERR_INVALIDCALL;
                       }
                       *pDesc = D3DSURFACE_DESC{record_.format,
                                                D3DRTYPE_SURFACE,
                                                record_.usage,
                                                record_.pool,
                                                D3DMULTISAMPLE_NONE,
                                                0,
                                                record_.levels[Level].width,
                                                record_.levels[Level].height};
                       return D3D_OK;
                   });
    }

    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                     DWORD Flags) override {
        std::string rect = "null";
        if (pRect != nullptr) {
            rect = "{" + std::to_string(pRect->left) + ", " + std::to_string(pRect->top) + ", " +
                   std::to_string(pRect->right) + ", " + std::to_string(pRect->bottom) + "}";
        }
        return Log(
            "LockRect",
            {std::to_string(Level), pLockedRect == nullptr ? "null" : "out", rect, HexText(Flags)},
            [&]() -> HRESULT {
                if (pLockedRect == nullptr || Level >= record_.levels.size()) {
                    return D3DERR_INVALIDCALL;
                }
                RecordedTextureLevel& level = record_.levels[Level];
                LONG left = 0;
                LONG top = 0;
                if (pRect != nullptr) {
                    if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right ||
                        pRect->top >= pRect->bottom ||
                        pRect->right > static_cast<LONG>(level.width) ||
                        pRect->bottom > static_cast<LONG>(level.height)) {
                        return D3DERR_INVALIDCALL;
                    }
                    left = pRect->left;
                    top = pRect->top;
                }
                pLockedRect->Pitch = level.pitch;
                pLockedRect->pBits = level.bytes.data() +
                                     static_cast<std::size_t>(top) * level.pitch +
                                     static_cast<std::size_t>(left) * 4;
                ++level.lockCount;
                return D3D_OK;
            });
    }

    HRESULT UnlockRect(UINT Level) override {
        return Log("UnlockRect", {std::to_string(Level)}, [&]() -> HRESULT {
            if (Level >= record_.levels.size() || record_.levels[Level].lockCount == 0) {
                state_.Problem("UnlockRect of " + record_.id + " level " + std::to_string(Level) +
                               " without LockRect");
                return D3DERR_INVALIDCALL;
            }
            --record_.levels[Level].lockCount;
            return D3D_OK;
        });
    }
};

template <class Object, class Interface>
Interface* Adopt(RecorderState& state, RecordedObject& record, const char* interfaceName) {
    auto object = std::make_unique<Object>(state, record, interfaceName);
    Interface* made = object.get();
    state.Register(made, record);
    state.objects.push_back(std::move(object));
    return made;
}

}  // namespace

IDirect3DVertexBuffer9* MakeRecordingVertexBuffer(RecorderState& state, RecordedObject& device,
                                                  UINT length, DWORD usage, DWORD fvf,
                                                  D3DPOOL pool) {
    RecordedObject& record = state.NewRecord(ObjectKind::VertexBuffer, &device);
    record.length = length;
    record.usage = usage;
    record.fvf = fvf;
    record.pool = pool;
    record.bytes.assign(length, 0);
    return Adopt<RecordingBuffer<IDirect3DVertexBuffer9>, IDirect3DVertexBuffer9>(
        state, record, "IDirect3DVertexBuffer9");
}

IDirect3DIndexBuffer9* MakeRecordingIndexBuffer(RecorderState& state, RecordedObject& device,
                                                UINT length, DWORD usage, D3DFORMAT format,
                                                D3DPOOL pool) {
    RecordedObject& record = state.NewRecord(ObjectKind::IndexBuffer, &device);
    record.length = length;
    record.usage = usage;
    record.format = format;
    record.pool = pool;
    record.bytes.assign(length, 0);
    return Adopt<RecordingBuffer<IDirect3DIndexBuffer9>, IDirect3DIndexBuffer9>(
        state, record, "IDirect3DIndexBuffer9");
}

IDirect3DTexture9* MakeRecordingTexture(RecorderState& state, RecordedObject& device, UINT width,
                                        UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool) {
    RecordedObject& record = state.NewRecord(ObjectKind::Texture, &device);
    record.usage = usage;
    record.format = format;
    record.pool = pool;
    for (UINT i = 0; i < levels; ++i) {
        RecordedTextureLevel level;
        level.width = std::max(1u, width >> i);
        level.height = std::max(1u, height >> i);
        level.pitch = static_cast<INT>(level.width * 4);
        level.bytes.assign(static_cast<std::size_t>(level.pitch) * level.height, 0);
        record.levels.push_back(std::move(level));
    }
    return Adopt<RecordingTexture, IDirect3DTexture9>(state, record, "IDirect3DTexture9");
}

}  // namespace velmora::d3d9::recording
