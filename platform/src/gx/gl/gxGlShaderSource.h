#pragma once
// GLSL text of the backend's programs: the uber-shader that draws every
// primitive, and the frame-buffer copy program.

namespace gxgl {

extern const char* const kVertexShaderSource;
extern const char* const kFragmentShaderSource;
extern const char* const kCopyVertexShaderSource;    // full-target quad from gl_VertexID
extern const char* const kCopyFragmentShaderSource;  // box filter and format precision

}  // namespace gxgl
