#include "gx/gl/gxGlProgramCache.h"

#include <algorithm>
#include <cstdio>

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
    }
    return key;
}

static void AppendArray(std::string* out, const char* name, const int32_t (*rows)[4], int used)
{
    *out += "const ivec4 ";
    *out += name;
    *out += "[16] = ivec4[16](";
    char item[64];
    for (int s = 0; s < kMaxTevStages; ++s) {
        const int32_t zero[4] = {0, 0, 0, 0};
        const int32_t* r = s < used ? rows[s] : zero;
        std::snprintf(item, sizeof(item), "%sivec4(%d, %d, %d, %d)", s ? ", " : "", r[0], r[1], r[2], r[3]);
        *out += item;
    }
    *out += ");\n";
}

static void AppendInt(std::string* out, const char* name, int value)
{
    char line[96];
    std::snprintf(line, sizeof(line), "const int %s = %d;\n", name, value);
    *out += line;
}

std::string SpecialisedFragmentDefines(const GlDrawUniforms& u)
{
    const int stages = StageCount(u);
    std::string out;
    AppendArray(&out, "K_TEV_COLOR_IN", u.tevColorIn, stages);
    AppendArray(&out, "K_TEV_ALPHA_IN", u.tevAlphaIn, stages);
    AppendArray(&out, "K_TEV_COLOR_OP", u.tevColorOp, stages);
    AppendArray(&out, "K_TEV_ALPHA_OP", u.tevAlphaOp, stages);
    AppendArray(&out, "K_TEV_ORDER", u.tevOrder, stages);
    AppendArray(&out, "K_TEV_SEL", u.tevSel, stages);
    AppendArray(&out, "K_TEV_DEST", u.tevDest, stages);
    AppendInt(&out, "K_NUM_STAGES", stages);
    AppendInt(&out, "K_ALPHA_OP", u.pix[0]);
    AppendInt(&out, "K_ALPHA_COMP0", u.alphaCmp[0]);
    AppendInt(&out, "K_ALPHA_COMP1", u.alphaCmp[2]);
    AppendInt(&out, "K_FOG_KIND", u.pix[2]);
    AppendInt(&out, "K_FOG_ORTHO", u.pix[3]);
    AppendInt(&out, "K_TEX_MAPS", u.texMaps[0]);
    AppendInt(&out, "K_NUM_TEXGENS", u.vtx[2]);
    return out;
}

GLuint GlProgramCache::Build(const std::string& defines, const char* name)
{
    const std::string fragment = std::string(kFragmentShaderHeader) + defines + kFragmentShaderBody;
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
    m_generic = Build(kFragmentGenericDefines, "draw");
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
    const GLuint program = Build(SpecialisedFragmentDefines(u), "specialised draw");
    m_programs.emplace(std::move(key), program);
    return program ? program : m_generic;
}

}  // namespace gxgl
