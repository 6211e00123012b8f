#include "render/d3d9/gl/gl_resources.h"

#include <algorithm>
#include <utility>

namespace velmora::d3d9::gl {

namespace {

// Drops errors left by earlier calls so that a following check sees only its own.
void ClearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace

GlBufferStorage::GlBufferStorage(std::shared_ptr<GlContext> context, UINT length)
    : context_(std::move(context)), bytes_(length, 0) {
    if (!context_->EnsureCurrent()) {
        return;
    }
    ClearGlErrors();
    buffer_ = ::gl::Buffer::Create();
    glNamedBufferData(buffer_.name(), length, bytes_.data(), GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        buffer_ = {};
    }
}

GlBufferStorage::~GlBufferStorage() {
    // The buffer is deleted next, with the members; not when its context is gone.
    if (buffer_ && !context_->EnsureCurrent()) {
        buffer_.Forget();
    }
}

HRESULT GlBufferStorage::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    const UINT total = length();
    if (data == nullptr || flags != 0 || offset > total) {
        return D3DERR_INVALIDCALL;
    }
    if (size == 0) {
        size = total - offset;
    }
    if (size > total - offset) {
        return D3DERR_INVALIDCALL;
    }
    if (dirtyBegin_ == dirtyEnd_) {
        dirtyBegin_ = offset;
        dirtyEnd_ = offset + size;
    } else {
        dirtyBegin_ = std::min(dirtyBegin_, offset);
        dirtyEnd_ = std::max(dirtyEnd_, offset + size);
    }
    ++lockCount_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT GlBufferStorage::Unlock() {
    if (lockCount_ == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (--lockCount_ == 0 && dirtyEnd_ > dirtyBegin_) {
        if (context_->EnsureCurrent()) {
            glNamedBufferSubData(buffer_.name(), dirtyBegin_, dirtyEnd_ - dirtyBegin_,
                                 bytes_.data() + dirtyBegin_);
        }
        dirtyBegin_ = dirtyEnd_ = 0;
    }
    return D3D_OK;
}

GlTextureStorage::GlTextureStorage(std::shared_ptr<GlContext> context, UINT width, UINT height,
                                   UINT levels, D3DFORMAT format)
    : context_(std::move(context)), format_(format) {
    for (UINT i = 0; i < levels; ++i) {
        const UINT w = std::max(1u, width >> i);
        const UINT h = std::max(1u, height >> i);
        levels_.push_back(Level{w, h, std::vector<std::uint8_t>(std::size_t{w} * h * 4, 0)});
    }
    if (!context_->EnsureCurrent()) {
        return;
    }
    ClearGlErrors();
    texture_ = ::gl::Texture::Create(GL_TEXTURE_2D);
    const GLuint texture = texture_.name();
    glTextureStorage2D(texture, static_cast<GLsizei>(levels), GL_RGBA8, static_cast<GLsizei>(width),
                       static_cast<GLsizei>(height));
    glTextureParameteri(texture, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    if (format == D3DFMT_X8R8G8B8) {
        // The X channel is not alpha: sampled alpha is always one.
        glTextureParameteri(texture, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    }
    if (glGetError() != GL_NO_ERROR) {
        texture_ = {};
        return;
    }
    // Direct3D hands out zeroed memory; GL storage starts undefined.
    for (UINT i = 0; i < levels; ++i) {
        Upload(i);
    }
}

GlTextureStorage::~GlTextureStorage() {
    // The texture is deleted next, with the members; not when its context is gone.
    if (texture_ && !context_->EnsureCurrent()) {
        texture_.Forget();
    }
}

HRESULT GlTextureStorage::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                   DWORD flags) {
    if (locked == nullptr || flags != 0 || level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    Level& target = levels_[level];
    LONG left = 0;
    LONG top = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > static_cast<LONG>(target.width) ||
            rect->bottom > static_cast<LONG>(target.height)) {
            return D3DERR_INVALIDCALL;
        }
        left = rect->left;
        top = rect->top;
    }
    const std::size_t pitch = std::size_t{target.width} * 4;
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = target.bytes.data() + static_cast<std::size_t>(top) * pitch +
                    static_cast<std::size_t>(left) * 4;
    ++target.lockCount;
    return D3D_OK;
}

HRESULT GlTextureStorage::UnlockRect(UINT level) {
    if (level >= levels_.size() || levels_[level].lockCount == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (--levels_[level].lockCount == 0) {
        Upload(level);
    }
    return D3D_OK;
}

void GlTextureStorage::Upload(UINT level) {
    if (!texture_ || !context_->EnsureCurrent()) {
        return;
    }
    const Level& source = levels_[level];
    // Rows are width * 4 bytes, always 4-aligned; row 0 (the top) goes to t = 0, where
    // Direct3D's v = 0 samples it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTextureSubImage2D(texture_.name(), static_cast<GLint>(level), 0, 0,
                        static_cast<GLsizei>(source.width), static_cast<GLsizei>(source.height),
                        GL_BGRA, GL_UNSIGNED_BYTE, source.bytes.data());
}

GlTexture::GlTexture(IDirect3DDevice9& device, std::shared_ptr<GlTextureStorage> storage)
    : device_(device), storage_(std::move(storage)) {
    device_.AddRef();
}

GlTexture::~GlTexture() {
    storage_.reset();
    device_.Release();
}

HRESULT GlTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    if (pDesc == nullptr || Level >= storage_->levels().size()) {
        return D3DERR_INVALIDCALL;
    }
    const GlTextureStorage::Level& level = storage_->levels()[Level];
    *pDesc = D3DSURFACE_DESC{storage_->format(), D3DRTYPE_SURFACE,    0,
                             D3DPOOL_MANAGED,    D3DMULTISAMPLE_NONE, 0,
                             level.width,        level.height};
    return D3D_OK;
}

}  // namespace velmora::d3d9::gl
