// The viewer with large models on SDL's offscreen driver (Mesa llvmpipe),
// at 1024 x 768: for the shipped model, a 490,000-face torus and a torus of
// 2 million triangles, the time from the program's start to its first
// presented frame and its peak memory, beside tinyobjloader's whole peak on
// the same file; then the frame time while a drag turns the model, drawn
// from buffer objects, from the client arrays it drew from before, and
// through MyOBJ's display lists it drew with before that (where MyOBJ holds
// the model). Peaks are given above the same program's on a one-triangle
// model, and the frame's process CPU time beside its wall time (the wall
// time depends on what else the machine runs).
//   viewer_bench [turning frames [random model]]   (defaults 60 and 0)
// The random model (the mesh benchmark's: faces joining random corners
// across the whole model) is off unless asked: on a software renderer each
// of its frames fills the view hundreds of thousands of times.
//
// On an X display (DISPLAY set, e.g. under xvfb-run -s "-screen 0 1280x1024x24")
// it also times the way from start to a written picture of each model,
// dravin --screenshot beside Debian's f3d --output (run with
// LIBGL_ALWAYS_SOFTWARE=1, as both then draw with llvmpipe) where f3d is installed.
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
#include <string>
#include <string_view>
#include <sys/resource.h>
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

// The peak resident memory of a child that ended, in MB; 0 when it failed.
// environment: changes for the child, "NAME=value" to set, "NAME" to unset.
double runChild(const std::vector<std::string>& words,
                const std::vector<std::string>& environment = {}) {
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        for (const std::string& e : environment)
            if (const size_t equals = e.find('='); equals == std::string::npos)
                unsetenv(e.c_str());
            else
                setenv(e.substr(0, equals).c_str(), e.c_str() + equals + 1, 1);
        std::vector<char*> argv;
        for (const std::string& w : words)
            argv.push_back(const_cast<char*>(w.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 1;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return 0;
    return double(usage.ru_maxrss) / 1024;
}

struct Start {
    double median, worst, peak;
};

// The real program from exec to the end of its first frame (it exits right
// after presenting it), a fresh process each time.
Start timeStarts(const std::string& model, int starts) {
    const std::string program = buildDirectory() + "/dravin";
    std::vector<double> times;
    double peak = 0;
    for (int i = 0; i < starts; ++i) {
        const auto start = Clock::now();
        const double childPeak =
            runChild({program, "--window=1024x768", "--frames", "1", model.c_str()});
        if (childPeak == 0) {
            std::printf("    the program failed\n");
            return {};
        }
        times.push_back(ms(Clock::now() - start));
        peak = std::max(peak, childPeak);
    }
    return {summarise(times).median, *std::max_element(times.begin(), times.end()), peak};
}

// The full path of a program on PATH, or "".
std::string onPath(const char* name) {
    const char* path = std::getenv("PATH");
    for (std::string_view rest = path ? path : ""; !rest.empty();) {
        const size_t colon = std::min(rest.find(':'), rest.size());
        const std::string candidate = std::string(rest.substr(0, colon)) + "/" + name;
        if (!rest.substr(0, colon).empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        rest.remove_prefix(std::min(colon + 1, rest.size()));
    }
    return "";
}

struct Model {
    const char* name;
    std::string path;
    bool big;          // fewer starts and no display lists (beyond MyOBJ's capacity)
    bool slow = false; // the random model: two frames
};

// Wall time and peak memory from exec to a written picture at 1024 x 768, a
// fresh process each time, for the program on the X display and for f3d.
void timeToPicture(const std::vector<Model>& models, const std::string& dir) {
    const std::string f3d = onPath("f3d");
    std::printf("time to a 1024 x 768 picture on the display %s, median of 3:\n",
                std::getenv("DISPLAY"));
    if (f3d.empty())
        std::printf("    (f3d is not installed: apt-get install f3d to time it beside)\n");
    const std::string picture = dir + "/picture.png";
    const auto time = [&](const char* who, const Model& m, const std::vector<std::string>& words,
                          const std::vector<std::string>& environment) {
        std::vector<double> times;
        double peak = 0;
        for (int i = 0; i < 3; ++i) {
            std::filesystem::remove(picture);
            const auto start = Clock::now();
            const double childPeak = runChild(words, environment);
            if (childPeak == 0 || !std::filesystem::exists(picture)) {
                std::printf("    %-8s %-44s failed\n", who, m.name);
                return;
            }
            times.push_back(ms(Clock::now() - start));
            peak = std::max(peak, childPeak);
        }
        std::printf("    %-8s %-44s median %7.0f ms   peak %6.1f MB\n", who, m.name,
                    summarise(times).median, peak);
    };
    for (const Model& m : models) {
        if (m.slow)
            continue;
        time("dravin", m,
             {buildDirectory() + "/dravin", "--window=1024x768", "--screenshot", picture, m.path},
             {"SDL_VIDEODRIVER"});
        if (!f3d.empty())
            time("f3d", m, {f3d, "--output", picture, "--resolution", "1024,768", m.path},
                 {"LIBGL_ALWAYS_SOFTWARE=1"});
    }
}

struct QuietViewer : ModelViewer {
    using ModelViewer::ModelViewer;
    void startThreads() override {}
};

// How the model is drawn while it turns.
enum class Path { buffers, clientArrays, displayLists };

// The viewer's drawing from the client arrays, as it drew before buffer objects.
struct ClientArrayViewer : QuietViewer {
    using QuietViewer::QuietViewer;
    void initWorld() override {
        QuietViewer::initWorld();
        drawing->storage = ViewerMesh::Storage::clientArrays;
    }
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

double cpuMs() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// In process: each frame one step of a primary-button drag across the view,
// then the frame drawn and presented. Prints the figures; ends the process
// (a child's) with its status.
[[noreturn]] void timeTurning(const std::string& model, int frames, Path path, double baseline) {
    host::InterfaceDescription d;
    d.contentRect = {0, 0, 1024, 768};
    d.makeView = [&]() -> std::unique_ptr<host::OpenGLView> {
        if (path == Path::displayLists)
            return std::make_unique<DisplayListViewer>(model);
        if (path == Path::clientArrays)
            return std::make_unique<ClientArrayViewer>(model);
        return std::make_unique<QuietViewer>(model);
    };
    // The reader's lines were shown by the program runs already.
    diag::setSink([](diag::Channel, const char*, size_t, void*) {});
    const bool loaded = host::Application::shared().load(d);
    diag::setSink(nullptr);
    if (!loaded)
        _exit(1);
    auto* view = static_cast<QuietViewer*>(host::Application::shared().mainView());
    view->waitUntilLoaded();
    view->display(); // uploads the buffers or compiles the display lists
    host::Event e;
    e.locationInWindow = {312, 384};
    view->mouseDown(e);
    std::vector<double> times;
    const double cpuStart = cpuMs();
    for (int i = 0; i < frames; ++i) {
        e.locationInWindow = {float(312 + 400 * (i % 50) / 50), float(384 + 100 * (i % 7) / 7)};
        const auto start = Clock::now();
        view->mouseDragged(e);
        view->display();
        times.push_back(ms(Clock::now() - start));
    }
    const double cpu = (cpuMs() - cpuStart) / frames;
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const Summary s = summarise(times);
    const char* name[] = {"buffer objects", "client arrays", "MyOBJ's display lists"};
    std::printf("    frame while turning     median %7.1f ms   p95 %7.1f ms   cpu %6.1f ms   peak "
                "%6.1f MB above   (%d frames, %s)\n",
                s.median, s.p95, cpu, double(usage.ru_maxrss) / 1024 - baseline, frames,
                name[int(path)]);
    std::fflush(stdout);
    _exit(0);
}

// The turning figures from a process of its own, as the program has it.
bool turnInChild(const std::string& model, int frames, Path path, double baseline) {
    const pid_t child = fork();
    if (child == 0)
        timeTurning(model, frames, path, baseline);
    int status = 1;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const bool random = argc > 2 && std::atoi(argv[2]) != 0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const std::string dir = std::filesystem::temp_directory_path() /
                            ("dravin_viewer_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<Model> models = {
        {"shipped model (5,832 faces)", buildDirectory() + "/Resources/1.obj", false},
        {"490,000-face torus (735,000 triangles)", dir + "/torus.obj", false},
        {"2,000,000-triangle torus (1,000,000 quads)", dir + "/torus2m.obj", true}};
    writeTorus(models[1].path, 700, true);
    writeTorus(models[2].path, 1000, false);
    if (random) {
        models.push_back(
            {"490,000-face random model of the mesh benchmark", dir + "/random.obj", false, true});
        writeRandomModel(models.back().path);
    }

    // The program's own baseline: the GL driver, its compiler, SDL.
    const std::string triangle = dir + "/triangle.obj";
    std::FILE* f = std::fopen(triangle.c_str(), "w");
    std::fputs("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", f);
    std::fclose(f);
    const Start base = timeStarts(triangle, 3);
    std::printf("one-triangle model: start to first frame %.1f ms, peak %.1f MB (the baseline "
                "of the peaks below)\n",
                base.median, base.peak);
    // The same for the turning process, measured as the models are.
    double turningBase = 0;
    {
        const pid_t child = fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            timeTurning(triangle, 1, Path::buffers, 0);
        }
        int status = 1;
        struct rusage usage {};
        if (child > 0 && wait4(child, &status, 0, &usage) == child)
            turningBase = double(usage.ru_maxrss) / 1024;
    }

    int status = 0;
    const std::string tinyobj = buildDirectory() + "/bench/viewer/tinyobj_read";
    for (const Model& m : models) {
        std::printf("%s, %.1f MB, 1024 x 768:\n", m.name,
                    double(std::filesystem::file_size(m.path)) / (1 << 20));
        const Start s = timeStarts(m.path, m.slow ? 1 : m.big ? 3 : 5);
        std::printf("    start to first frame    median %7.1f ms   worst %7.1f ms   peak %6.1f MB "
                    "above   (%d starts)\n",
                    s.median, s.worst, s.peak - base.peak,
                    m.slow  ? 1
                    : m.big ? 3
                            : 5);
        std::printf("    tinyobjloader's whole peak on the file       %6.1f MB\n",
                    runChild({tinyobj, m.path}));
        status |= s.peak == 0;
        for (Path path : {Path::buffers, Path::clientArrays, Path::displayLists})
            if (path != Path::displayLists || !m.big)
                status |= !turnInChild(m.path, m.slow ? 2 : frames, path, turningBase);
    }
    if (std::getenv("DISPLAY") && *std::getenv("DISPLAY"))
        timeToPicture(models, dir);
    std::filesystem::remove_all(dir);
    return status;
}
