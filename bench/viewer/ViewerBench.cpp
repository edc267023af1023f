// The viewer with large models on SDL's offscreen driver (Mesa llvmpipe):
// time from the program's start to its first presented frame, for the
// shipped model and 490,000-face models, and the frame time while a drag
// turns the model, at 1024 x 768.
//   viewer_bench [turning frames [random model]]   (defaults 60 and 0)
// The random model (the mesh benchmark's: faces joining random corners
// across the whole model) is off unless asked: on a software renderer each
// of its frames fills the view hundreds of thousands of times.
#include "bench/BenchModels.h"
#include "bench/FrameTimes.h"
#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "mesh/MyOBJ.h"
#include "viewer/ModelFraming.h"
#include "viewer/ModelViewer.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;

using bench::ms;
using bench::summarise;
using bench::Summary;

using bench::writeRandomModel;
using bench::writeTorus;

std::string buildDirectory() {
    // <build>/bench/viewer/viewer_bench
    return std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().parent_path();
}

// The real program from exec to the end of its first frame (it exits right
// after presenting it), a fresh process each time.
void timeStarts(const std::string& model, int starts) {
    const std::string program = buildDirectory() + "/dravin";
    std::vector<double> times;
    for (int i = 0; i < starts; ++i) {
        const auto start = Clock::now();
        const pid_t child = fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            execl(program.c_str(), program.c_str(), "--window=1024x768", "--frames", "1",
                  model.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 1;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("    the program failed (status %d)\n", status);
            return;
        }
        times.push_back(ms(Clock::now() - start));
    }
    const Summary s = summarise(times);
    std::printf("    start to first frame    median %9.1f ms   worst %9.1f ms   (%d starts)\n",
                s.median, times.empty() ? 0 : *std::max_element(times.begin(), times.end()),
                starts);
}

struct QuietViewer : ModelViewer {
    using ModelViewer::ModelViewer;
    void startThreads() override {}
};

// The viewer as it drew before it had a drawing of its own: MyOBJ's display
// lists of the same file, framed and lit the same way.
struct DisplayListViewer : QuietViewer {
    std::unique_ptr<MyOBJ> classic;
    std::string path;
    explicit DisplayListViewer(const std::string& model) : QuietViewer(model), path(model) {}
    void initWorld() override {
        QuietViewer::initWorld();
        waitUntilLoaded();
        classic = std::make_unique<MyOBJ>();
        classic->loadOBJFile(path.c_str());
        std::vector<Vector3D> verts(classic->mVerts, classic->mVerts + classic->mVertCount);
        fitIntoUnitSphere(verts);
        std::copy(verts.begin(), verts.end(), classic->mVerts);
        classic->setRendersSmooth(flags.smooth);
        classic->setRendersMaterials(flags.materials);
        classic->setRendersWireframes(false);
        classic->setRendersNormals(false);
        classic->setRendersTextures(false);
    }
    void drawModel(unsigned checker) override {
        const GLfloat surface[] = {0.78f, 0.77f, 0.74f, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, surface);
        glEnable(GL_LIGHTING);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, flags.smooth ? GL_FALSE : GL_TRUE);
        glBindTexture(GL_TEXTURE_2D, checker);
        classic->render();
    }
};

// In process: each frame one step of a primary-button drag across the view,
// then the frame drawn and presented.
int timeTurning(const std::string& model, int frames, bool displayLists) {
    host::InterfaceDescription d;
    d.contentRect = {0, 0, 1024, 768};
    d.makeView = [&]() -> std::unique_ptr<host::OpenGLView> {
        if (displayLists)
            return std::make_unique<DisplayListViewer>(model);
        return std::make_unique<QuietViewer>(model);
    };
    // The reader's lines were shown by the program runs already.
    diag::setSink([](diag::Channel, const char*, size_t, void*) {});
    const bool loaded = host::Application::shared().load(d);
    diag::setSink(nullptr);
    if (!loaded)
        return 1;
    auto* view = static_cast<QuietViewer*>(host::Application::shared().mainView());
    view->waitUntilLoaded();
    view->display(); // compiles the display lists
    host::Event e;
    e.locationInWindow = {312, 384};
    view->mouseDown(e);
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        e.locationInWindow = {float(312 + 400 * (i % 50) / 50), float(384 + 100 * (i % 7) / 7)};
        const auto start = Clock::now();
        view->mouseDragged(e);
        view->display();
        times.push_back(ms(Clock::now() - start));
    }
    const Summary s = summarise(times);
    std::printf("    frame while turning     median %9.1f ms   p95   %9.1f ms   (%d frames%s)\n",
                s.median, s.p95, frames, displayLists ? ", MyOBJ's display lists" : "");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const bool random = argc > 2 && std::atoi(argv[2]) != 0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const std::string dir = std::filesystem::temp_directory_path() / "dravin_viewer_bench";
    std::filesystem::create_directories(dir);
    struct Model {
        const char* name;
        std::string path;
    };
    std::vector<Model> models = {
        {"shipped model (5,832 faces)", buildDirectory() + "/Resources/1.obj"},
        {"490,000-face torus", dir + "/torus.obj"}};
    writeTorus(models[1].path);
    if (random) {
        models.push_back({"490,000-face random model of the mesh benchmark", dir + "/random.obj"});
        writeRandomModel(models[2].path);
    }
    int status = 0;
    for (const Model& m : models) {
        std::printf("%s, 1024 x 768:\n", m.name);
        const bool slow = random && &m == &models.back();
        timeStarts(m.path, slow ? 1 : 5);
        // Each model's view in a process of its own, as the program has it:
        // the viewer's drawing, then the display lists it drew with before.
        for (bool displayLists : {false, true}) {
            const pid_t child = fork();
            if (child == 0)
                _exit(timeTurning(m.path, slow ? 2 : frames, displayLists));
            int childStatus = 1;
            if (child < 0 || waitpid(child, &childStatus, 0) != child || childStatus != 0)
                status = 1;
        }
    }
    std::filesystem::remove_all(dir);
    return status;
}
