#include "gl/shader_program.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace gl {

namespace {

const char* StageName(GLenum stage) {
    switch (stage) {
        case GL_VERTEX_SHADER:
            return "vertex";
        case GL_FRAGMENT_SHADER:
            return "fragment";
        case GL_GEOMETRY_SHADER:
            return "geometry";
        case GL_TESS_CONTROL_SHADER:
            return "tessellation control";
        case GL_TESS_EVALUATION_SHADER:
            return "tessellation evaluation";
        case GL_COMPUTE_SHADER:
            return "compute";
        default:
            return "unknown";
    }
}

// The info log of a shader or program, without the trailing line break drivers add.
template <class GetLength, class GetLog>
std::string InfoLog(GLuint name, GetLength getLength, GetLog getLog) {
    GLint length = 0;
    getLength(name, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    GLsizei written = 0;
    getLog(name, static_cast<GLsizei>(log.size()), &written, log.data());
    log.resize(static_cast<std::size_t>(written));
    while (!log.empty() && (log.back() == '\n' || log.back() == ' ')) {
        log.pop_back();
    }
    return log;
}

}  // namespace

Shader CompileShader(GLenum stage, std::string_view source) {
    Shader shader = Shader::Create(stage);
    if (!shader) {
        throw std::runtime_error(std::string("GL cannot create a ") + StageName(stage) + " shader");
    }
    const GLchar* text = source.data();
    const auto length = static_cast<GLint>(source.size());
    glShaderSource(shader.name(), 1, &text, &length);
    glCompileShader(shader.name());
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader.name(), GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        throw std::runtime_error(std::string("the ") + StageName(stage) +
                                 " shader does not compile: " +
                                 InfoLog(shader.name(), glGetShaderiv, glGetShaderInfoLog));
    }
    return shader;
}

Program LinkProgram(std::initializer_list<std::reference_wrapper<const Shader>> stages) {
    Program program = Program::Create();
    if (!program) {
        throw std::runtime_error("GL cannot create a program");
    }
    for (const Shader& stage : stages) {
        glAttachShader(program.name(), stage.name());
    }
    glLinkProgram(program.name());
    // Detached so that deleting the shaders frees them now, not with the program.
    for (const Shader& stage : stages) {
        glDetachShader(program.name(), stage.name());
    }
    GLint linked = GL_FALSE;
    glGetProgramiv(program.name(), GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        throw std::runtime_error("the program does not link: " +
                                 InfoLog(program.name(), glGetProgramiv, glGetProgramInfoLog));
    }
    return program;
}

Program BuildProgram(std::string_view vertexSource, std::string_view fragmentSource) {
    const Shader vertex = CompileShader(GL_VERTEX_SHADER, vertexSource);
    const Shader fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
    return LinkProgram({vertex, fragment});
}

}  // namespace gl
