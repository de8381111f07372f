#pragma once
// Compiling and linking the backend's GLSL programs. Render thread only.

#include <epoxy/gl.h>

namespace gxgl {

// Returns 0 and logs the compiler's message when a stage fails to compile or
// the program fails to link.
GLuint BuildProgram(const char* vertexSource, const char* fragmentSource, const char* name);

}  // namespace gxgl
