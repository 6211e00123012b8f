#pragma once
// Building GLSL programs. Failures throw std::runtime_error whose message holds GL's info log,
// so that a broken shader says where and why.
//
//     gl::Program program = gl::BuildProgram(vertexSource, fragmentSource);

#include <functional>
#include <initializer_list>
#include <string_view>

#include <epoxy/gl.h>

#include "gl/object.h"

namespace gl {

// Compiles one stage (GL_VERTEX_SHADER, GL_FRAGMENT_SHADER, ...) from its source.
Shader CompileShader(GLenum stage, std::string_view source);

// Links compiled stages into a program: LinkProgram({vertex, fragment}).
Program LinkProgram(std::initializer_list<std::reference_wrapper<const Shader>> stages);

// Compiles a vertex and a fragment stage and links them.
Program BuildProgram(std::string_view vertexSource, std::string_view fragmentSource);

}  // namespace gl
