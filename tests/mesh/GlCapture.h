// Captures what GL draws through feedback mode, for the mesh render tests.
// The projection is the identity and the viewport 2 x 2 pixels, so a window
// coordinate maps back to the model coordinate by x - 1 (z: 2z - 1).
#pragma once

#include <GL/gl.h>
#include <functional>
#include <vector>

namespace meshtest {

struct Primitive {
    GLenum kind;                       // GL_POLYGON_TOKEN, GL_LINE_TOKEN or GL_POINT_TOKEN
    std::vector<std::vector<float>> v; // x, y, z, r, g, b, a per vertex
};

inline void identityView() {
    glViewport(0, 0, 2, 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

inline std::vector<Primitive> captureFeedback(const std::function<void()>& draw) {
    std::vector<GLfloat> b(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(b.size()), GL_3D_COLOR, b.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<Primitive> out;
    for (GLint i = 0; i < used;) {
        const GLenum token = static_cast<GLenum>(b[i++]);
        const bool line = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN;
        const int n = token == GL_POLYGON_TOKEN ? static_cast<int>(b[i++]) : line ? 2 : 1;
        Primitive p{line ? static_cast<GLenum>(GL_LINE_TOKEN) : token, {}};
        for (int k = 0; k < n; ++k, i += 7) {
            p.v.push_back(
                {b[i] - 1, b[i + 1] - 1, b[i + 2] * 2 - 1, b[i + 3], b[i + 4], b[i + 5], b[i + 6]});
        }
        out.push_back(p);
    }
    return out;
}

inline int countOf(const std::vector<Primitive>& prims, GLenum kind) {
    int n = 0;
    for (const Primitive& p : prims) {
        n += p.kind == kind;
    }
    return n;
}

} // namespace meshtest
