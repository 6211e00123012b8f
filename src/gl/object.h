#pragma once
// Owned names of GL objects: deleted when their owner goes, moved but never copied.
//
//     gl::Buffer buffer = gl::Buffer::Create();
//     gl::Texture texture = gl::Texture::Create(GL_TEXTURE_2D);
//     gl::Shader shader = gl::Shader::Create(GL_VERTEX_SHADER);

#include <utility>

#include <epoxy/gl.h>

namespace gl {

// Kind gives the object's creation (a glCreate* call, GL 4.5) and deletion.
template <class Kind>
class Object {
public:
    Object() = default;  // holds no name

    // A new object; `args` are those of Kind's glCreate* call but the count (a texture's
    // target, a shader's stage). Needs a current context.
    template <class... Args>
    static Object Create(Args... args) {
        Object made;
        made.name_ = Kind::Create(args...);
        return made;
    }

    // Deletes the name in the context current then: the one it was made in, or one sharing it.
    ~Object() {
        if (name_ != 0) {
            Kind::Delete(name_);
        }
    }
    Object(Object&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other) {
            Object old(std::move(*this));
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }

    GLuint name() const { return name_; }
    explicit operator bool() const { return name_ != 0; }

    // Drops the name without deleting it: for when its context is already gone.
    void Forget() { name_ = 0; }

private:
    GLuint name_ = 0;
};

struct BufferKind {
    static GLuint Create() {
        GLuint name = 0;
        glCreateBuffers(1, &name);
        return name;
    }
    static void Delete(GLuint name) { glDeleteBuffers(1, &name); }
};

struct VertexArrayKind {
    static GLuint Create() {
        GLuint name = 0;
        glCreateVertexArrays(1, &name);
        return name;
    }
    static void Delete(GLuint name) { glDeleteVertexArrays(1, &name); }
};

struct TextureKind {
    static GLuint Create(GLenum target) {
        GLuint name = 0;
        glCreateTextures(target, 1, &name);
        return name;
    }
    static void Delete(GLuint name) { glDeleteTextures(1, &name); }
};

struct SamplerKind {
    static GLuint Create() {
        GLuint name = 0;
        glCreateSamplers(1, &name);
        return name;
    }
    static void Delete(GLuint name) { glDeleteSamplers(1, &name); }
};

struct FramebufferKind {
    static GLuint Create() {
        GLuint name = 0;
        glCreateFramebuffers(1, &name);
        return name;
    }
    static void Delete(GLuint name) { glDeleteFramebuffers(1, &name); }
};

struct RenderbufferKind {
    static GLuint Create() {
        GLuint name = 0;
        glCreateRenderbuffers(1, &name);
        return name;
    }
    static void Delete(GLuint name) { glDeleteRenderbuffers(1, &name); }
};

struct ShaderKind {
    static GLuint Create(GLenum stage) { return glCreateShader(stage); }
    static void Delete(GLuint name) { glDeleteShader(name); }
};

struct ProgramKind {
    static GLuint Create() { return glCreateProgram(); }
    static void Delete(GLuint name) { glDeleteProgram(name); }
};

using Buffer = Object<BufferKind>;
using VertexArray = Object<VertexArrayKind>;
using Texture = Object<TextureKind>;
using Sampler = Object<SamplerKind>;
using Framebuffer = Object<FramebufferKind>;
using Renderbuffer = Object<RenderbufferKind>;
using Shader = Object<ShaderKind>;
using Program = Object<ProgramKind>;

}  // namespace gl
