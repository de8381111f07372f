#pragma once
// The texture combiner of one configuration as straight-line GLSL: every
// stage's inputs, operation, bias, scale, clamp, destination, swizzles,
// konst selections and sampled map are written out when the program is
// built, so the fragment program holds no loop over stages, no per-stage
// table and no choice of sampler. A software rasteriser then pays for each
// stage only what that stage computes. Render thread.

#include <cstddef>
#include <string>

#include "gx/gl/gxGlUniforms.h"

namespace gxgl {

// Bytes one generated line may take, its newline included: the line buffer
// less its terminating zero.
constexpr size_t kCombinerLineMax = 255;

// Generated code being written: the text so far, the stage being written
// (-1 before and after the stages) and whether every line fitted.
struct CombinerText {
    std::string text;
    int stage = -1;
    bool ok = true;
};

// Appends one printf-formatted line to out->text. A line longer than
// kCombinerLineMax is not cut short (a cut line is wrong code far from its
// cause): it is left out, out->ok turns false and the first such line of a
// text is logged naming its stage.
void AppendCombinerLine(CombinerText* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The combiner's main() for the configuration in u (its stage count and the
// used stages' fields, the swap tables they select, the bound maps and the
// generator count), to follow kFragmentShaderCommon. Konst colours and
// register values stay uniforms. False (logged) when a line did not fit:
// the configuration's program is then refused as one that fails to build.
bool StraightLineCombiner(const GlDrawUniforms& u, std::string* out);

}  // namespace gxgl
