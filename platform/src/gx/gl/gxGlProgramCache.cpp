#include "gx/gl/gxGlProgramCache.h"

#include <algorithm>
#include <cstdio>

#include "gx/gl/gxGlCombinerSource.h"
#include "gx/gl/gxGlProgram.h"
#include "gx/gl/gxGlShaderSource.h"
#include "platform/os.h"

namespace gxgl {

static constexpr size_t kMaxPrograms = 512;  // beyond this, draws use the generic program

static int StageCount(const GlDrawUniforms& u)
{
    return std::clamp(static_cast<int>(u.pix[1]), 1, kMaxTevStages);
}

std::vector<int32_t> FragmentKey(const GlDrawUniforms& u)
{
    const int stages = StageCount(u);
    std::vector<int32_t> key = {stages,        u.pix[0],      u.alphaCmp[0], u.alphaCmp[2],
                                u.pix[2],      u.pix[3],      u.texMaps[0],  u.vtx[2]};
    for (int s = 0; s < stages; ++s) {
        const int32_t(*fields[7])[4] = {&u.tevColorIn[s], &u.tevAlphaIn[s], &u.tevColorOp[s], &u.tevAlphaOp[s],
                                        &u.tevOrder[s],   &u.tevSel[s],     &u.tevDest[s]};
        for (const auto* f : fields)
            key.insert(key.end(), *f, *f + 4);
        // The swap tables the stage selects are written into its code.
        const int32_t* rasSwap = u.swap[u.tevSel[s][2] & 3];
        const int32_t* texSwap = u.swap[u.tevSel[s][3] & 3];
        key.insert(key.end(), rasSwap, rasSwap + 4);
        key.insert(key.end(), texSwap, texSwap + 4);
    }
    return key;
}

static void AppendInt(std::string* out, const char* name, int value)
{
    char line[96];
    std::snprintf(line, sizeof(line), "const int %s = %d;\n", name, value);
    *out += line;
}

std::string SpecialisedFragmentSource(const GlDrawUniforms& u)
{
    std::string combiner;
    if (!StraightLineCombiner(u, &combiner))
        return std::string();
    std::string out;
    AppendInt(&out, "K_ALPHA_OP", u.pix[0]);
    AppendInt(&out, "K_ALPHA_COMP0", u.alphaCmp[0]);
    AppendInt(&out, "K_ALPHA_COMP1", u.alphaCmp[2]);
    AppendInt(&out, "K_FOG_KIND", u.pix[2]);
    AppendInt(&out, "K_FOG_ORTHO", u.pix[3]);
    AppendInt(&out, "K_TEX_MAPS", u.texMaps[0]);
    AppendInt(&out, "K_NUM_TEXGENS", u.vtx[2]);
    out += kFragmentShaderCommon;
    out += combiner;
    return out;
}

GLuint GlProgramCache::Build(const std::string& configuration, const char* name)
{
    const std::string fragment = kFragmentShaderHeader + configuration;
    const GLuint program = BuildProgram(kVertexShaderSource, fragment.c_str(), name);
    if (!program)
        return 0;
    const GLuint block = glGetUniformBlockIndex(program, "Draw");
    GLint blockSize = 0;
    if (block != GL_INVALID_INDEX)
        glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &blockSize);
    if (blockSize != static_cast<GLint>(sizeof(GlDrawUniforms))) {
        OSReport("GX: the draw parameter block is %d bytes in GLSL, %zu in C++\n", blockSize,
                 sizeof(GlDrawUniforms));
        glDeleteProgram(program);
        return 0;
    }
    glUniformBlockBinding(program, block, 0);
    glUseProgram(program);
    for (int i = 0; i < kMaxTexMaps; ++i) {
        const char samplerName[8] = {'u', 'T', 'e', 'x', static_cast<char>('0' + i), 0, 0, 0};
        glUniform1i(glGetUniformLocation(program, samplerName), i);
    }
    glUseProgram(0);
    return program;
}

bool GlProgramCache::InitGl()
{
    m_generic = Build(std::string(kFragmentGenericDefines) + kFragmentShaderCommon + kFragmentGenericCombiner, "draw");
    return m_generic != 0;
}

void GlProgramCache::ReleaseGl()
{
    for (auto& [key, program] : m_programs) {
        if (program)
            glDeleteProgram(program);
    }
    m_programs.clear();
    if (m_generic)
        glDeleteProgram(m_generic);
    m_generic = 0;
}

size_t GlProgramCache::Failed() const
{
    return static_cast<size_t>(
        std::count_if(m_programs.begin(), m_programs.end(), [](const auto& entry) { return entry.second == 0; }));
}

GLuint GlProgramCache::ProgramFor(const GlDrawUniforms& u)
{
    std::vector<int32_t> key = FragmentKey(u);
    auto found = m_programs.find(key);
    if (found != m_programs.end())
        return found->second ? found->second : m_generic;
    if (m_programs.size() >= kMaxPrograms) {
        static bool s_bFullLogged = false;
        if (!s_bFullLogged)
            OSReport("GX: %zu combiner programs built; further configurations use the generic one\n", kMaxPrograms);
        s_bFullLogged = true;
        return m_generic;
    }
    // A configuration whose combiner the generator refused (logged) counts
    // as a program that failed to build.
    const std::string source = SpecialisedFragmentSource(u);
    const GLuint program = source.empty() ? 0 : Build(source, "specialised draw");
    m_programs.emplace(std::move(key), program);
    return program ? program : m_generic;
}

}  // namespace gxgl
