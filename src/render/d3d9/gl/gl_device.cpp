#include "render/d3d9/gl/gl_device.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "gl/read_back.h"

namespace velmora::d3d9::gl {

namespace {

// The one vertex layout: D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1.
constexpr DWORD TerrainFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT TerrainVertexSize = 24;

D3DXMATRIX Identity() {
    return D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

bool IsStageOperation(DWORD value) {
    return value == D3DTOP_DISABLE || value == D3DTOP_SELECTARG1 || value == D3DTOP_SELECTARG2 ||
           value == D3DTOP_MODULATE;
}

bool IsStageArgument(DWORD value) {
    return value == D3DTA_DIFFUSE || value == D3DTA_CURRENT || value == D3DTA_TEXTURE;
}

// Whether the operation reads its first or second argument.
bool UsesTexture(DWORD operation, DWORD argument1, DWORD argument2) {
    const bool first = operation == D3DTOP_SELECTARG1 || operation == D3DTOP_MODULATE;
    const bool second = operation == D3DTOP_SELECTARG2 || operation == D3DTOP_MODULATE;
    return (first && argument1 == D3DTA_TEXTURE) || (second && argument2 == D3DTA_TEXTURE);
}

GLint FilterFor(DWORD filter) {
    return filter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
}

void BindStateFreeFramebuffer(GLuint framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

}  // namespace

GlDevice* GlDevice::Create(IDirect3D9& direct3d, std::shared_ptr<GlContext> context,
                           const GlDeviceSettings& settings) {
    auto* device = new GlDevice(direct3d, std::move(context), settings);
    if (!device->MakeObjects()) {
        device->Release();
        return nullptr;
    }
    return device;
}

GlDevice::GlDevice(IDirect3D9& direct3d, std::shared_ptr<GlContext> context,
                   const GlDeviceSettings& settings)
    : direct3d_(direct3d),
      context_(std::move(context)),
      settings_(settings),
      zEnable_(settings.depthBuffer ? D3DZB_TRUE : D3DZB_FALSE),
      world_(Identity()),
      view_(Identity()),
      projection_(Identity()) {
    direct3d_.AddRef();
}

GlDevice::~GlDevice() {
    // Bindings may hold the last references to GL storage; drop them while the context is
    // current. The device's own objects go with its members, the context still current.
    const bool current = context_->EnsureCurrent();
    stream_.reset();
    indices_.reset();
    texture_.reset();
    if (!current) {
        // The context is gone and its objects with it.
        program_.Forget();
        vertexArray_.Forget();
        sampler_.Forget();
        framebuffer_.Forget();
        colorBuffer_.Forget();
        depthBuffer_.Forget();
    }
    direct3d_.Release();
}

bool GlDevice::MakeObjects() {
    if (!context_->EnsureCurrent()) {
        return false;
    }
    try {
        program_ = MakeFixedFunctionProgram();
    } catch (const std::runtime_error&) {
        return false;
    }
    const auto width = static_cast<GLsizei>(settings_.backBufferWidth);
    const auto height = static_cast<GLsizei>(settings_.backBufferHeight);
    // X8R8G8B8 back buffer: RGBA8 storage whose alpha stays one (draws never write it).
    colorBuffer_ = ::gl::Renderbuffer::Create();
    glNamedRenderbufferStorage(colorBuffer_.name(), GL_RGBA8, width, height);
    framebuffer_ = ::gl::Framebuffer::Create();
    glNamedFramebufferRenderbuffer(framebuffer_.name(), GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                   colorBuffer_.name());
    if (settings_.depthBuffer) {
        depthBuffer_ = ::gl::Renderbuffer::Create();
        glNamedRenderbufferStorage(depthBuffer_.name(), GL_DEPTH_COMPONENT24, width, height);
        glNamedFramebufferRenderbuffer(framebuffer_.name(), GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                       depthBuffer_.name());
    }
    if (glCheckNamedFramebufferStatus(framebuffer_.name(), GL_FRAMEBUFFER) !=
        GL_FRAMEBUFFER_COMPLETE) {
        return false;
    }
    // Direct3D leaves the first contents undefined; black and depth one, as Wine does.
    const GLfloat black[4] = {0, 0, 0, 1};
    const GLfloat far = 1;
    glClearNamedFramebufferfv(framebuffer_.name(), GL_COLOR, 0, black);
    if (settings_.depthBuffer) {
        glClearNamedFramebufferfv(framebuffer_.name(), GL_DEPTH, 0, &far);
    }

    vertexArray_ = ::gl::VertexArray::Create();
    const GLuint vertexArray = vertexArray_.name();
    glEnableVertexArrayAttrib(vertexArray, PositionAttribute);
    glVertexArrayAttribFormat(vertexArray, PositionAttribute, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vertexArray, PositionAttribute, 0);
    // D3DCOLOR is B, G, R, A in memory; GL_BGRA hands the shader R, G, B, A.
    glEnableVertexArrayAttrib(vertexArray, DiffuseAttribute);
    glVertexArrayAttribFormat(vertexArray, DiffuseAttribute, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE,
                              12);
    glVertexArrayAttribBinding(vertexArray, DiffuseAttribute, 0);
    glEnableVertexArrayAttrib(vertexArray, TexCoordAttribute);
    glVertexArrayAttribFormat(vertexArray, TexCoordAttribute, 2, GL_FLOAT, GL_FALSE, 16);
    glVertexArrayAttribBinding(vertexArray, TexCoordAttribute, 0);

    // Sampler defaults of Direct3D: wrap addressing, point filters, no mip filter.
    sampler_ = ::gl::Sampler::Create();
    glSamplerParameteri(sampler_.name(), GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler_.name(), GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameteri(sampler_.name(), GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(sampler_.name(), GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return glGetError() == GL_NO_ERROR;
}

bool GlDevice::Ready() {
    if (!context_->EnsureCurrent()) {
        return false;
    }
    if (appliedGeneration_ != context_->generation()) {
        ApplyFixedState();
        appliedGeneration_ = context_->generation();
    }
    return true;
}

void GlDevice::ApplyFixedState() {
    // Direct3D's clip volume (0 <= z <= w) and its y-down window: row 0 is the top row.
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    // With the upper-left origin, Direct3D's clockwise front faces are GL's clockwise ones;
    // D3DCULL_CCW culls the back faces.
    glFrontFace(GL_CW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glDepthRangef(0.0f, 1.0f);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    // Direct3D pixel centres lie on integer coordinates, GL's on half-integers. Edges through
    // pixel centres are then ties that Direct3D's top-left rule settles one way and GL's
    // (flipped by the upper-left origin, and driver-dependent) maybe another: moving everything
    // up and left by one sub-pixel step takes every such edge off the centre, so that left and
    // top edges keep their pixels and right and bottom edges lose them, whatever the driver.
    GLint subpixelBits = 0;
    glGetIntegerv(GL_SUBPIXEL_BITS, &subpixelBits);
    const GLfloat tieBreak = std::ldexp(1.0f, -std::clamp(subpixelBits, 4, 8));
    glViewportIndexedf(0, 0.5f - tieBreak, 0.5f - tieBreak,
                       static_cast<GLfloat>(settings_.backBufferWidth),
                       static_cast<GLfloat>(settings_.backBufferHeight));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    BindStateFreeFramebuffer(framebuffer_.name());
    glUseProgram(program_.name());
    glBindVertexArray(vertexArray_.name());
    glBindSampler(StageZeroTextureUnit, sampler_.name());
    transformDirty_ = stageDirty_ = lightingDirty_ = depthDirty_ = textureDirty_ = true;
}

void GlDevice::ApplyDrawState() {
    if (transformDirty_) {
        const D3DXMATRIX worldViewProjection = world_ * view_ * projection_;
        glProgramUniformMatrix4fv(program_.name(), WorldViewProjectionLocation, 1, GL_FALSE,
                                  &worldViewProjection.m[0][0]);
        transformDirty_ = false;
    }
    if (lightingDirty_) {
        glProgramUniform1i(program_.name(), LightingLocation, lighting_ ? 1 : 0);
        lightingDirty_ = false;
    }
    if (depthDirty_) {
        if (zEnable_ == D3DZB_TRUE && settings_.depthBuffer) {
            glEnable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        depthDirty_ = false;
    }
    if (textureDirty_) {
        glBindTextureUnit(StageZeroTextureUnit, texture_ ? texture_->name() : 0);
        textureDirty_ = false;
        stageDirty_ = true;
    }
    if (stageDirty_) {
        StageOperation color = color_;
        StageOperation alpha = alpha_;
        if (!texture_) {
            if (UsesTexture(color.operation, color.argument1, color.argument2)) {
                color = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT};
            }
            if (UsesTexture(alpha.operation, alpha.argument1, alpha.argument2)) {
                alpha = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT};
            }
        }
        glProgramUniform3i(program_.name(), ColorStageLocation, static_cast<GLint>(color.operation),
                           static_cast<GLint>(color.argument1),
                           static_cast<GLint>(color.argument2));
        glProgramUniform3i(program_.name(), AlphaStageLocation, static_cast<GLint>(alpha.operation),
                           static_cast<GLint>(alpha.argument1),
                           static_cast<GLint>(alpha.argument2));
        stageDirty_ = false;
    }
}

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    switch (State) {
        case D3DRS_LIGHTING:
            lighting_ = Value != FALSE;
            lightingDirty_ = true;
            return D3D_OK;
        case D3DRS_ZENABLE:
            if (Value != D3DZB_FALSE && Value != D3DZB_TRUE) {
                return D3DERR_INVALIDCALL;  // w-buffering is not offered
            }
            zEnable_ = Value;
            depthDirty_ = true;
            return D3D_OK;
        default:
            return D3DERR_INVALIDCALL;
    }
}

HRESULT GlDevice::SetTexture(DWORD Sampler, IDirect3DBaseTexture9* pTexture) {
    if (Sampler != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (pTexture == nullptr) {
        texture_.reset();
    } else {
        auto* texture = dynamic_cast<GlTexture*>(pTexture);
        if (texture == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        texture_ = texture->storage();
    }
    textureDirty_ = true;
    return D3D_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    if (Sampler != 0 || (Type != D3DSAMP_MAGFILTER && Type != D3DSAMP_MINFILTER) ||
        (Value != D3DTEXF_POINT && Value != D3DTEXF_LINEAR)) {
        return D3DERR_INVALIDCALL;
    }
    if (!Ready()) {
        return D3DERR_DEVICELOST;
    }
    // No mip filter is set, so the minifying filter samples the top level only.
    glSamplerParameteri(sampler_.name(),
                        Type == D3DSAMP_MAGFILTER ? GL_TEXTURE_MAG_FILTER : GL_TEXTURE_MIN_FILTER,
                        FilterFor(Value));
    return D3D_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    if (Stage != 0) {
        return D3DERR_INVALIDCALL;
    }
    switch (Type) {
        case D3DTSS_COLOROP:
        case D3DTSS_ALPHAOP:
            if (!IsStageOperation(Value)) {
                return D3DERR_INVALIDCALL;
            }
            (Type == D3DTSS_COLOROP ? color_ : alpha_).operation = Value;
            break;
        case D3DTSS_COLORARG1:
        case D3DTSS_ALPHAARG1:
            if (!IsStageArgument(Value)) {
                return D3DERR_INVALIDCALL;
            }
            (Type == D3DTSS_COLORARG1 ? color_ : alpha_).argument1 = Value;
            break;
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAARG2:
            if (!IsStageArgument(Value)) {
                return D3DERR_INVALIDCALL;
            }
            (Type == D3DTSS_COLORARG2 ? color_ : alpha_).argument2 = Value;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    stageDirty_ = true;
    return D3D_OK;
}

HRESULT GlDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (State) {
        case D3DTS_WORLD:
            world_ = *pMatrix;
            break;
        case D3DTS_VIEW:
            view_ = *pMatrix;
            break;
        case D3DTS_PROJECTION:
            projection_ = *pMatrix;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    transformDirty_ = true;
    return D3D_OK;
}

HRESULT GlDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                        DWORD Stencil) {
    (void)Stencil;  // there is no stencil buffer, and D3DCLEAR_STENCIL is refused below
    const bool target = (Flags & D3DCLEAR_TARGET) != 0;
    const bool depth = (Flags & D3DCLEAR_ZBUFFER) != 0;
    if (Count != 0 || pRects != nullptr || (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) != 0 ||
        (depth && !settings_.depthBuffer) || !(Z >= 0.0f && Z <= 1.0f)) {
        return D3DERR_INVALIDCALL;
    }
    if (!Ready()) {
        return D3DERR_DEVICELOST;
    }
    if (target) {
        // Alpha is one whatever the colour says: the back buffer is X8R8G8B8.
        const GLfloat rgba[4] = {static_cast<GLfloat>((Color >> 16) & 0xFF) / 255.0f,
                                 static_cast<GLfloat>((Color >> 8) & 0xFF) / 255.0f,
                                 static_cast<GLfloat>(Color & 0xFF) / 255.0f, 1.0f};
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearNamedFramebufferfv(framebuffer_.name(), GL_COLOR, 0, rgba);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    }
    if (depth) {
        glClearNamedFramebufferfv(framebuffer_.name(), GL_DEPTH, 0, &Z);
    }
    return D3D_OK;
}

HRESULT GlDevice::BeginScene() {
    // A nested BeginScene fails and the open scene stays open.
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT GlDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return D3D_OK;
}

HRESULT GlDevice::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                          const RGNDATA* pDirtyRegion) {
    if (inScene_ || pSourceRect != nullptr || pDestRect != nullptr ||
        hDestWindowOverride != nullptr || pDirtyRegion != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!Ready()) {
        return D3DERR_DEVICELOST;
    }
    win32::GlSurface& surface = context_->surface();
    if (!surface.HasWindowFramebuffer()) {
        glFlush();
        return D3D_OK;
    }
    const SIZE client = surface.ClientSizeInPixels();
    if (client.cx > 0 && client.cy > 0) {
        const auto width = static_cast<GLint>(settings_.backBufferWidth);
        const auto height = static_cast<GLint>(settings_.backBufferHeight);
        const bool stretched = client.cx != width || client.cy != height;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // The back buffer's row 0 is the top; the window's row 0 the bottom.
        glBlitNamedFramebuffer(framebuffer_.name(), 0, 0, 0, width, height, 0, client.cy, client.cx,
                               0, GL_COLOR_BUFFER_BIT, stretched ? GL_LINEAR : GL_NEAREST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    }
    surface.SwapBuffers();
    return D3D_OK;
}

// Vertex and index buffers are created alike; only what the system uses is accepted.
template <class Buffer, class Interface>
HRESULT GlDevice::CreateBuffer(UINT Length, DWORD Usage, D3DPOOL Pool, bool formatAccepted,
                               Interface** ppBuffer, HANDLE* pSharedHandle) {
    if (ppBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppBuffer = nullptr;
    if (Length == 0 || Usage != 0 || !formatAccepted || Pool != D3DPOOL_DEFAULT ||
        pSharedHandle != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!Ready()) {
        return D3DERR_DEVICELOST;
    }
    auto storage = std::make_shared<GlBufferStorage>(context_, Length);
    if (!storage->ok()) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *ppBuffer = new Buffer(*this, std::move(storage));
    return D3D_OK;
}

HRESULT GlDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                     IDirect3DVertexBuffer9** ppVertexBuffer,
                                     HANDLE* pSharedHandle) {
    return CreateBuffer<GlVertexBuffer>(Length, Usage, Pool, FVF == TerrainFvf, ppVertexBuffer,
                                        pSharedHandle);
}

HRESULT GlDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
    return CreateBuffer<GlIndexBuffer>(Length, Usage, Pool, Format == D3DFMT_INDEX16, ppIndexBuffer,
                                       pSharedHandle);
}

HRESULT GlDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                HANDLE* pSharedHandle) {
    if (ppTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppTexture = nullptr;
    if (!Ready()) {
        return D3DERR_DEVICELOST;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const UINT fullChain = FullMipChainLength(Width, Height);
    if (Width == 0 || Height == 0 || Width > static_cast<UINT>(maxSize) ||
        Height > static_cast<UINT>(maxSize) || Levels > fullChain || Usage != 0 ||
        (Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8) || Pool != D3DPOOL_MANAGED ||
        pSharedHandle != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto storage = std::make_shared<GlTextureStorage>(context_, Width, Height,
                                                      Levels == 0 ? fullChain : Levels, Format);
    if (!storage->ok()) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *ppTexture = new GlTexture(*this, std::move(storage));
    return D3D_OK;
}

HRESULT GlDevice::SetFVF(DWORD FVF) {
    if (FVF != TerrainFvf) {
        return D3DERR_INVALIDCALL;
    }
    fvf_ = FVF;
    return D3D_OK;
}

HRESULT GlDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                  UINT OffsetInBytes, UINT Stride) {
    if (StreamNumber != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (pStreamData == nullptr) {
        stream_.reset();
    } else {
        auto* buffer = dynamic_cast<GlVertexBuffer*>(pStreamData);
        if (buffer == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        stream_ = buffer->storage();
    }
    streamOffset_ = OffsetInBytes;
    streamStride_ = Stride;
    return D3D_OK;
}

HRESULT GlDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    if (pIndexData == nullptr) {
        indices_.reset();
        return D3D_OK;
    }
    auto* buffer = dynamic_cast<GlIndexBuffer*>(pIndexData);
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    indices_ = buffer->storage();
    return D3D_OK;
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex,
                                       UINT MinVertexIndex, UINT NumVertices, UINT StartIndex,
                                       UINT PrimitiveCount) {
    if (Type != D3DPT_TRIANGLESTRIP || !indices_ || !stream_ || fvf_ != TerrainFvf ||
        streamStride_ < TerrainVertexSize || indices_->locked() || stream_->locked()) {
        return D3DERR_INVALIDCALL;
    }
    // Direct3D skips a draw with nothing in it before looking further.
    if (NumVertices == 0 || PrimitiveCount == 0) {
        return D3D_OK;
    }
    (void)MinVertexIndex;  // a hint for vertex processing; every index is checked below
    const std::uint64_t indexCount = std::uint64_t{PrimitiveCount} + 2;
    const std::uint64_t indexTotal = indices_->length() / 2;
    if (std::uint64_t{StartIndex} + indexCount > indexTotal) {
        return D3DERR_INVALIDCALL;
    }
    // Every vertex the draw fetches must lie inside the stream: GL does not check this.
    const std::uint64_t streamLength = stream_->length();
    const std::uint64_t vertexTotal =
        streamOffset_ + std::uint64_t{TerrainVertexSize} > streamLength
            ? 0
            : (streamLength - streamOffset_ - TerrainVertexSize) / streamStride_ + 1;
    const auto* indices = reinterpret_cast<const std::uint16_t*>(indices_->bytes().data());
    const auto [lowest, highest] =
        std::minmax_element(indices + StartIndex, indices + StartIndex + indexCount);
    const std::int64_t first = std::int64_t{BaseVertexIndex} + *lowest;
    const std::int64_t last = std::int64_t{BaseVertexIndex} + *highest;
    if (first < 0 || last >= static_cast<std::int64_t>(vertexTotal)) {
        return D3DERR_INVALIDCALL;
    }
    if (!Ready()) {
        return D3DERR_DEVICELOST;
    }
    ApplyDrawState();
    glVertexArrayVertexBuffer(vertexArray_.name(), 0, stream_->name(), streamOffset_,
                              static_cast<GLsizei>(streamStride_));
    glVertexArrayElementBuffer(vertexArray_.name(), indices_->name());
    // The exact index range found above spares the driver its own scan of the indices.
    glDrawRangeElementsBaseVertex(
        GL_TRIANGLE_STRIP, *lowest, *highest, static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT,
        reinterpret_cast<const void*>(std::uintptr_t{StartIndex} * sizeof(std::uint16_t)),
        BaseVertexIndex);
    return D3D_OK;
}

std::optional<BackBufferPixels> GlDevice::ReadBackBuffer() {
    if (!Ready()) {
        return std::nullopt;
    }
    BackBufferPixels pixels;
    pixels.width = settings_.backBufferWidth;
    pixels.height = settings_.backBufferHeight;
    // The device draws with the upper-left clip origin: row 0 of the back buffer is the top.
    pixels.rgba = ::gl::ReadRgba8(framebuffer_.name(), static_cast<GLsizei>(pixels.width),
                                  static_cast<GLsizei>(pixels.height), ::gl::ClipOrigin::UpperLeft);
    return pixels;
}

unsigned GlDevice::TakeGlError() {
    if (!context_->EnsureCurrent()) {
        return 0;
    }
    const GLenum first = glGetError();
    if (first != GL_NO_ERROR) {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    return first;
}

}  // namespace velmora::d3d9::gl
