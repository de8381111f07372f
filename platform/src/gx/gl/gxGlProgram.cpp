#include "gx/gl/gxGlProgram.h"

#include <vector>

#include "platform/os.h"

namespace gxgl {

static GLuint CompileStage(GLenum kind, const char* source, const char* name)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE)
        return shader;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
    OSReport("GX: %s %s shader does not compile:\n%s\n", name,
             kind == GL_VERTEX_SHADER ? "vertex" : "fragment", log.data());
    glDeleteShader(shader);
    return 0;
}

GLuint BuildProgram(const char* vertexSource, const char* fragmentSource, const char* name)
{
    GLuint vs = CompileStage(GL_VERTEX_SHADER, vertexSource, name);
    GLuint fs = vs ? CompileStage(GL_FRAGMENT_SHADER, fragmentSource, name) : 0;
    if (!fs) {
        if (vs)
            glDeleteShader(vs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE)
        return program;
    char log[2048] = {};
    glGetProgramInfoLog(program, sizeof(log), nullptr, log);
    OSReport("GX: %s program does not link:\n%s\n", name, log);
    glDeleteProgram(program);
    return 0;
}

}  // namespace gxgl
