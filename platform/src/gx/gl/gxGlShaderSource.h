#pragma once
// GLSL text of the backend's programs: the uber-shader that draws every
// primitive, and the frame-buffer copy program.

namespace gxgl {

extern const char* const kVertexShaderSource;
// The fragment shader is header + configuration + common part + combiner:
// the generic program's configuration is kFragmentGenericDefines and its
// combiner kFragmentGenericCombiner; a specialised program's are generated
// for its one configuration (gxGlProgramCache.h, gxGlCombinerSource.h).
extern const char* const kFragmentShaderHeader;
extern const char* const kFragmentGenericDefines;
extern const char* const kFragmentShaderCommon;
extern const char* const kFragmentGenericCombiner;
extern const char* const kCopyVertexShaderSource;    // full-target quad from gl_VertexID
extern const char* const kCopyFragmentShaderSource;  // box filter and format precision

}  // namespace gxgl
