// Frame times of the demo scene on SDL's offscreen driver (Mesa llvmpipe):
// frames of the shipped model and of 490,000-face models at 1024 x 768 and
// 1920 x 1080, and the model's two passes timed apart, the display list of
// pass 2 against the immediate mode of pass 4.
//   scene_bench [frames [random-model frames]]   (defaults 500 and 0)
#include "bench/FrameTimes.h"
#include "host/Application.h"
#include "scene/ScenePasses.h"
#include "scene/dravinView.h"

#include <GL/gl.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;

class QuietScene : public dravinView {
  public:
    void startThreads() override {}
};

// The mesh benchmark's model, in memory with the same generator and seed:
// 490,000 random positions, texture coordinates and normals, half quads and
// half triangles over two materials. Its faces join random corners, so most
// span the whole view: a test of fill rate more than of the scene.
void makeRandomModel(std::string& obj, std::string& mtl) {
    constexpr int kVerts = 490000;
    constexpr int kFaces = 490000;
    mtl = "newmtl stone\nKa 0.1 0.1 0.1\nKd 0.6 0.6 0.55\nKs 0.2 0.2 0.2\nNs 20\n"
          "newmtl leaf\nKa 0 0.1 0\nKd 0.2 0.7 0.1\nKs 0.1 0.1 0.1\nNs 60\n";
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> coord(-10.0f, 10.0f);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> index(1, kVerts);
    obj = "# generated\nmtllib bench.mtl\no Bench\n";
    char line[128];
    auto add = [&](int n) { obj.append(line, size_t(std::clamp(n, 0, int(sizeof line) - 1))); };
    // Each value drawn in its own statement: the order of arguments is unspecified.
    for (int i = 0; i < kVerts; ++i) {
        const float x = coord(rng), y = coord(rng), z = coord(rng);
        add(std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", x, y, z));
    }
    for (int i = 0; i < kVerts; ++i) {
        const float s = unit(rng), t = unit(rng);
        add(std::snprintf(line, sizeof line, "vt %.6f %.6f\n", s, t));
    }
    for (int i = 0; i < kVerts; ++i) {
        const float x = unit(rng), y = unit(rng), z = unit(rng);
        add(std::snprintf(line, sizeof line, "vn %.6f %.6f %.6f\n", x, y, z));
    }
    for (int kind : {4, 3}) {
        obj += kind == 4 ? "usemtl stone\n" : "usemtl leaf\n";
        const int faces = kind == 4 ? kFaces / 2 : kFaces - kFaces / 2;
        for (int i = 0; i < faces; ++i) {
            obj += 'f';
            for (int c = 0; c < kind; ++c) {
                const int v = index(rng), t = index(rng), n = index(rng);
                add(std::snprintf(line, sizeof line, " %d/%d/%d", v, t, n));
            }
            obj += '\n';
        }
    }
}

// The same counts as a surface that sits in the scene as the shipped model
// does: a torus about 9 units across on a 700 by 700 grid, 490,000 positions,
// texture coordinates and normals; its cells alternate between a quad and a
// triangle, 490,000 faces in all.
void makeTorusModel(std::string& obj) {
    constexpr int kN = 700;
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kMajor = 3.3, kMinor = 1.2;
    obj = "o Torus\n";
    char line[128];
    auto add = [&](int n) { obj.append(line, size_t(std::clamp(n, 0, int(sizeof line) - 1))); };
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = 0; i < kN; ++i) {
            for (int j = 0; j < kN; ++j) {
                const double u = 2 * kPi * i / kN, v = 2 * kPi * j / kN;
                const double nx = std::cos(u) * std::cos(v), ny = std::sin(u) * std::cos(v),
                             nz = std::sin(v);
                if (pass == 0)
                    add(std::snprintf(line, sizeof line, "v %.5f %.5f %.5f\n",
                                      kMajor * std::cos(u) + kMinor * nx,
                                      kMajor * std::sin(u) + kMinor * ny, kMinor * nz));
                else if (pass == 1)
                    add(std::snprintf(line, sizeof line, "vt %.5f %.5f\n", double(i) / kN,
                                      double(j) / kN));
                else
                    add(std::snprintf(line, sizeof line, "vn %.5f %.5f %.5f\n", nx, ny, nz));
            }
        }
    }
    auto at = [](int i, int j) { return (i % kN) * kN + (j % kN) + 1; };
    for (int i = 0; i < kN; ++i) {
        for (int j = 0; j < kN; ++j) {
            // Counter-clockwise seen from outside, so culling keeps the near side.
            const int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            if ((i + j) % 2 == 0)
                add(std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a,
                                  a, a, b, b, b, c, c, c, d, d, d));
            else
                add(std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b,
                                  b, b, c, c, c));
        }
    }
}

using bench::ms;
using bench::Summary;
using bench::summarise;

// Pass 2 (display list into depth and stencil) and pass 4 (immediate mode,
// lit, additive) each on its own, in the state the frame gives them, after a
// whole frame so the depth buffer holds the model.
void timePasses(QuietScene& view, int reps) {
    view.display();
    std::vector<double> pass2, pass4;
    for (int i = 0; i < reps; ++i) {
        scene::placeModel(*view.myArcBall);
        scene::beginModelIntoStencil();
        glFinish();
        auto start = Clock::now();
        view.myOBJ->render();
        glFinish();
        pass2.push_back(ms(Clock::now() - start));

        scene::endModelIntoStencil();
        scene::placeModel(*view.myArcBall);
        scene::beginHighlight();
        glFinish();
        start = Clock::now();
        view.myOBJ->renderModelAsFlatPolys();
        glFinish();
        pass4.push_back(ms(Clock::now() - start));
        scene::endHighlight();
    }
    const Summary s2 = summarise(pass2), s4 = summarise(pass4);
    std::printf("    pass 2 (display list)   median %9.3f ms   p95 %9.3f ms\n", s2.median, s2.p95);
    std::printf("    pass 4 (immediate mode) median %9.3f ms   p95 %9.3f ms   (%.2fx pass 2)\n",
                s4.median, s4.p95, s4.median / s2.median);
}

void timeFrames(QuietScene& view, int frames) {
    for (int i = 0; i < std::min(frames, 3); ++i) // the display lists are compiled on the first
        view.display();
    std::vector<double> times;
    times.reserve(size_t(frames));
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        view.display();
        times.push_back(ms(Clock::now() - start));
    }
    const Summary s = summarise(times);
    std::printf("    frame                   median %9.3f ms   p95 %9.3f ms   (%d frames)\n",
                s.median, s.p95, frames);
}

// One view size in a process of its own: the offscreen driver keeps a
// window's surface at the size it was made with.
int runAtSize(int width, int height, int frames, int randomFrames) {
    host::InterfaceDescription d;
    d.contentRect = {0, 0, float(width), float(height)};
    d.makeView = [] { return std::make_unique<QuietScene>(); };
    if (!host::Application::shared().load(d)) {
        std::fprintf(stderr, "no offscreen GL view\n");
        return 1;
    }
    auto* view = static_cast<QuietScene*>(host::Application::shared().mainView());
    if (!view->myOBJ || !view->leaves || !view->birds)
        return 1;
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    // A turn, so the model shows its usual three-quarter view.
    view->myArcBall->SetOrientationWithAxisRotation({25, 1, 1, 0});

    struct Model {
        const char* name;
        int frames;
        int passReps;
    };
    const Model models[] = {{"shipped model", frames, std::min(frames, 200)},
                            {"490,000-face torus", frames, std::min(frames, 50)},
                            {"490,000-face random model of the mesh benchmark", randomFrames,
                             std::min(randomFrames, 3)}};
    for (int m = 0; m < 3; ++m) {
        if (models[m].frames == 0)
            continue;
        if (m > 0) {
            std::string obj, mtl;
            if (m == 1)
                makeTorusModel(obj);
            else
                makeRandomModel(obj, mtl);
            view->myOBJ = std::make_unique<MyOBJ>();
            view->myOBJ->loadOBJText(obj, mtl);
            view->myOBJ->setRendersWireframes(false);
            view->myOBJ->setRendersSmooth(false);
            view->myOBJ->setRendersFaces(true);
            view->myOBJ->setRendersNormals(false);
            view->myOBJ->setRendersMaterials(false);
        }
        std::printf("%s, %d x %d:\n", models[m].name, width, height);
        timeFrames(*view, models[m].frames);
        timePasses(*view, models[m].passReps);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    // The random model takes minutes a frame on a software renderer: off unless asked.
    const int randomFrames = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    int status = 0;
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{1920, 1080}}) {
        const pid_t child = fork();
        if (child == 0)
            _exit(runAtSize(w, h, frames, randomFrames));
        int childStatus = 1;
        if (child < 0 || waitpid(child, &childStatus, 0) != child || childStatus != 0)
            status = 1;
    }
    return status;
}
