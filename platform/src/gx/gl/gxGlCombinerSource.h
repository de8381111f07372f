#pragma once
// The texture combiner of one configuration as straight-line GLSL: every
// stage's inputs, operation, bias, scale, clamp, destination, swizzles,
// konst selections and sampled map are written out when the program is
// built, so the fragment program holds no loop over stages, no per-stage
// table and no choice of sampler. A software rasteriser then pays for each
// stage only what that stage computes.

#include <string>

#include "gx/gl/gxGlUniforms.h"

namespace gxgl {

// The combiner's main() for the configuration in u (its stage count and the
// used stages' fields, the swap tables they select, the bound maps and the
// generator count), to follow kFragmentShaderCommon. Konst colours and
// register values stay uniforms.
std::string StraightLineCombiner(const GlDrawUniforms& u);

}  // namespace gxgl
