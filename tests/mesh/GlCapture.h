// Captures what GL draws through feedback mode, for the mesh render tests.
// The projection is the identity and the viewport 2 x 2 pixels, so a window
// coordinate is the model coordinate plus one (z: (z + 1) / 2).
#pragma once

#include <GL/gl.h>
#include <functional>
#include <vector>

namespace meshtest {

struct FeedbackVertex {
    float x, y, z;    // model coordinates, mapped back
    float r, g, b, a; // the colour GL computed (lit or current)
};

struct Primitive {
    GLenum kind; // GL_POLYGON_TOKEN, GL_LINE_TOKEN (also for line resets), GL_POINT_TOKEN
    std::vector<FeedbackVertex> v;
};

inline void identityView() {
    glViewport(0, 0, 2, 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

inline std::vector<Primitive> captureFeedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<Primitive> out;
    GLint i = 0;
    auto vertex = [&] {
        FeedbackVertex v{buffer[i] - 1.0f, buffer[i + 1] - 1.0f, buffer[i + 2] * 2.0f - 1.0f,
                         buffer[i + 3],    buffer[i + 4],        buffer[i + 5],
                         buffer[i + 6]};
        i += 7;
        return v;
    };
    while (i < used) {
        const GLenum token = static_cast<GLenum>(buffer[i++]);
        Primitive p{token, {}};
        switch (token) {
        case GL_POINT_TOKEN:
            p.v.push_back(vertex());
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            p.kind = GL_LINE_TOKEN;
            p.v.push_back(vertex());
            p.v.push_back(vertex());
            break;
        case GL_POLYGON_TOKEN: {
            const int n = static_cast<int>(buffer[i++]);
            for (int k = 0; k < n; ++k) {
                p.v.push_back(vertex());
            }
            break;
        }
        case GL_PASS_THROUGH_TOKEN:
            ++i;
            continue;
        default: // bitmap and pixel tokens carry one vertex
            p.v.push_back(vertex());
            break;
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
