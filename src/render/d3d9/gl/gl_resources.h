#pragma once
// The gl backend's vertex buffers, index buffers and textures. Each keeps a CPU copy of its
// contents: Lock hands out that copy and Unlock uploads the locked part in one call. The GL
// storage is shared with the device's bindings, so a released but still bound resource keeps
// drawing as in Direct3D.

#include <cstdint>
#include <memory>
#include <vector>

#include <epoxy/gl.h>

#include "gl/object.h"
#include "render/d3d9/d3d9.h"
#include "render/d3d9/gl/gl_context.h"
#include "render/d3d9/gl/ref_counted.h"
#include "render/d3d9/mip_chain.h"

namespace velmora::d3d9::gl {

class GlBufferStorage {
public:
    // Creates the GL buffer; ok() is false when GL is out of memory.
    GlBufferStorage(std::shared_ptr<GlContext> context, UINT length);
    ~GlBufferStorage();
    GlBufferStorage(const GlBufferStorage&) = delete;
    GlBufferStorage& operator=(const GlBufferStorage&) = delete;

    bool ok() const { return static_cast<bool>(buffer_); }
    GLuint name() const { return buffer_.name(); }
    UINT length() const { return static_cast<UINT>(bytes_.size()); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // While locked, the GL copy may lag behind the bytes.
    bool locked() const { return lockCount_ != 0; }

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();

private:
    std::shared_ptr<GlContext> context_;
    ::gl::Buffer buffer_;
    std::vector<std::uint8_t> bytes_;
    UINT lockCount_ = 0;
    UINT dirtyBegin_ = 0;  // the union of the ranges locked since the last upload
    UINT dirtyEnd_ = 0;
};

class GlTextureStorage {
public:
    struct Level {
        UINT width;
        UINT height;
        std::vector<std::uint8_t> bytes;  // BGRA rows, top first, width * 4 bytes each
        UINT lockCount = 0;
    };

    GlTextureStorage(std::shared_ptr<GlContext> context, UINT width, UINT height, UINT levels,
                     D3DFORMAT format);
    ~GlTextureStorage();
    GlTextureStorage(const GlTextureStorage&) = delete;
    GlTextureStorage& operator=(const GlTextureStorage&) = delete;

    bool ok() const { return static_cast<bool>(texture_); }
    GLuint name() const { return texture_.name(); }
    D3DFORMAT format() const { return format_; }
    const std::vector<Level>& levels() const { return levels_; }

    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);

private:
    void Upload(UINT level);

    std::shared_ptr<GlContext> context_;
    ::gl::Texture texture_;
    D3DFORMAT format_;
    std::vector<Level> levels_;
};

// A buffer or texture object: holds a reference to its device, as Direct3D resources do. Vertex
// and index buffers differ only in the interface they answer to.
template <class BufferInterface>
class GlBuffer final : public RefCounted<BufferInterface> {
public:
    GlBuffer(IDirect3DDevice9& device, std::shared_ptr<GlBufferStorage> storage)
        : device_(device), storage_(std::move(storage)) {
        device_.AddRef();
    }
    ~GlBuffer() override {
        storage_.reset();
        device_.Release();
    }

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override {
        return storage_->Lock(OffsetToLock, SizeToLock, ppbData, Flags);
    }
    HRESULT Unlock() override { return storage_->Unlock(); }

    const std::shared_ptr<GlBufferStorage>& storage() const { return storage_; }

private:
    IDirect3DDevice9& device_;
    std::shared_ptr<GlBufferStorage> storage_;
};

using GlVertexBuffer = GlBuffer<IDirect3DVertexBuffer9>;
using GlIndexBuffer = GlBuffer<IDirect3DIndexBuffer9>;

class GlTexture final : public RefCounted<IDirect3DTexture9> {
public:
    GlTexture(IDirect3DDevice9& device, std::shared_ptr<GlTextureStorage> storage);
    ~GlTexture() override;

    DWORD GetLevelCount() override { return static_cast<DWORD>(storage_->levels().size()); }
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                     DWORD Flags) override {
        return storage_->LockRect(Level, pLockedRect, pRect, Flags);
    }
    HRESULT UnlockRect(UINT Level) override { return storage_->UnlockRect(Level); }

    const std::shared_ptr<GlTextureStorage>& storage() const { return storage_; }

private:
    IDirect3DDevice9& device_;
    std::shared_ptr<GlTextureStorage> storage_;
};

}  // namespace velmora::d3d9::gl
