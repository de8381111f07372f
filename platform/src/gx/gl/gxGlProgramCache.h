#pragma once
// The uber-shader's programs: one generic program that reads the whole
// combiner configuration from the parameter block, and programs specialised
// for one configuration, built on first use: their combiner is straight-line
// code (gxGlCombinerSource.h) and their alpha compare and fog kind are
// constants, so each stage costs only what it computes, which is what makes
// software rasterisers fast enough. Render thread.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <epoxy/gl.h>

#include "gx/gl/gxGlUniforms.h"

namespace gxgl {

class GlProgramCache {
public:
    // Builds the generic program; false (logged) when it does not compile or
    // its parameter block does not match GlDrawUniforms.
    bool InitGl();
    void ReleaseGl();

    // The program for this configuration: specialised, or the generic one
    // when the specialised one fails to build or the cache is full.
    GLuint ProgramFor(const GlDrawUniforms& u);
    GLuint Generic() const { return m_generic; }
    size_t Size() const { return m_programs.size(); }
    // Configurations whose specialised program did not build.
    size_t Failed() const;

private:
    // configuration: the fragment program after its header.
    GLuint Build(const std::string& configuration, const char* name);

    GLuint m_generic = 0;
    std::map<std::vector<int32_t>, GLuint> m_programs;  // 0 = failed, use the generic one
};

// The configuration a specialised program is built for: stage count, alpha
// compare, fog kind, bound maps, generator count, the used stages' fields and
// the swap tables they select.
std::vector<int32_t> FragmentKey(const GlDrawUniforms& u);
// The specialised fragment program after its header, from FragmentKey's
// fields only: constants for the K_* names, the common part and the
// straight-line combiner; empty when the combiner is refused.
std::string SpecialisedFragmentSource(const GlDrawUniforms& u);

}  // namespace gxgl
