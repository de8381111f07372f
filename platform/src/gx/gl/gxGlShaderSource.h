#pragma once
// GLSL text of the backend's programs: the uber-shader that draws every
// primitive, and the frame-buffer copy program.

namespace gxgl {

extern const char* const kVertexShaderSource;
// The fragment shader is header + configuration + body; the configuration
// is kFragmentGenericDefines or the constants of SpecialisedFragmentDefines.
extern const char* const kFragmentShaderHeader;
extern const char* const kFragmentGenericDefines;
extern const char* const kFragmentShaderBody;
extern const char* const kCopyVertexShaderSource;    // full-target quad from gl_VertexID
extern const char* const kCopyFragmentShaderSource;  // box filter and format precision

}  // namespace gxgl
