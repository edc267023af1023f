// Writes a 490,000-vertex, 490,000-face OBJ (texture coordinates, normals,
// two materials, quads and triangles), then times MyOBJ::loadOBJFile on it
// beside tinyobjloader, and the first render (the display-list rebuild).
// The pipeline a user waits for is the whole load: reading, sorting by
// material and the face checks. Reading alone ends at the summary line.
#include "bench/BenchModels.h"
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/ObjModel.h"
#include "tests/support/OffscreenContext.h"

#include <GL/gl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <tiny_obj_loader.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int kRuns = 5;

using Clock = std::chrono::steady_clock;

// Process CPU time: steadier than wall time on a machine shared with other jobs.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Wall and process CPU time (all threads) since it was made.
struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double cpu = cpuSeconds();
    std::pair<double, double> read() const { return {secondsSince(wall), cpuSeconds() - cpu}; }
};

// Silences the reader and notes when the summary line, the end of reading, went out.
struct SummaryClock {
    const Stopwatch* watch = nullptr;
    std::pair<double, double> readDone{};
    static void receive(diag::Channel, const char* bytes, size_t length, void* user) {
        auto* self = static_cast<SummaryClock*>(user);
        if (std::string_view(bytes, length).starts_with("Object Loaded:")) {
            self->readDone = self->watch->read();
        }
    }
};

struct Figures {
    std::vector<double> wall, cpu;
    void add(std::pair<double, double> t) {
        wall.push_back(t.first);
        cpu.push_back(t.second);
    }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    // "--load-only": just our loads, for profiling.
    const bool loadOnly = argc > 1 && std::string(argv[1]) == "--load-only";
    const auto dir =
        std::filesystem::temp_directory_path() / ("dravin_mesh_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string objPath = (dir / "bench.obj").string();
    bench::writeRandomModel(objPath);
    // "mtllib" names resolve against the working directory.
    std::filesystem::current_path(dir);
    const auto bytes = std::filesystem::file_size(objPath);

    auto obj = std::make_unique<MyOBJ>();
    Figures reading, pipeline, tiny, oneThread, richer, richerOneThread;
    SummaryClock summary;
    diag::setSink(&SummaryClock::receive, &summary);
    for (int run = 0; run < kRuns; ++run) {
        const Stopwatch watch;
        summary.watch = &watch;
        obj->loadOBJFile(objPath.c_str());
        pipeline.add(watch.read());
        reading.add(summary.readDone);
        obj->readsInParallel = false;
        const Stopwatch oneWatch;
        obj->loadOBJFile(objPath.c_str());
        oneThread.add(oneWatch.read());
        obj->readsInParallel = true;
        for (const bool all : {true, false}) {
            // The readers use every core unless DRAVIN_READ_THREADS says otherwise.
            if (!all)
                setenv("DRAVIN_READ_THREADS", "1", 1);
            mesh::ObjModel model;
            const Stopwatch richWatch;
            mesh::readObjModel(objPath.c_str(), model);
            (all ? richer : richerOneThread).add(richWatch.read());
            unsetenv("DRAVIN_READ_THREADS");
        }
        if (loadOnly) {
            continue;
        }

        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn;
        std::string err;
        const std::string baseDir = dir.string() + "/";
        const Stopwatch tinyWatch;
        const bool ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, objPath.c_str(),
                                         baseDir.c_str(), false);
        tiny.add(tinyWatch.read());
        if (!ok) {
            std::fprintf(stderr, "tinyobjloader failed: %s\n", err.c_str());
        }
    }
    diag::setSink(nullptr);

    double firstRender = -1;
    double cleanRender = -1;
    {
        host::OffscreenContext gl(256, 256);
        if (gl.valid() && !loadOnly) {
            // Random faces span the model, so rasterising them all would time llvmpipe's
            // fill rate; without rasterisation what is left is the rebuild and the vertices.
            glEnable(GL_RASTERIZER_DISCARD);
            obj->setRendersWireframes(false);
            obj->setRendersNormals(false);
            auto start = Clock::now();
            obj->render();
            glFinish();
            firstRender = secondsSince(start);
            start = Clock::now();
            obj->render();
            glFinish();
            cleanRender = secondsSince(start);
        }
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);

    std::printf("\nmodel: %.1f MB, %d vertices, %d texture vertices, %d normals, %d faces\n",
                static_cast<double>(bytes) / 1e6, obj->mVertCount, obj->mTextureVertCount,
                obj->mNormalCount, obj->mFaceCount);
    std::printf("cores: %u (a reader's threads, unless DRAVIN_READ_THREADS says otherwise)\n",
                std::thread::hardware_concurrency());
    const auto line = [&](const char* name, const Figures& f) {
        std::printf("%-40s median of %d: %.3f s wall, %.3f s cpu (best %.3f s wall)\n", name, kRuns,
                    median(f.wall), median(f.cpu), *std::min_element(f.wall.begin(), f.wall.end()));
    };
    line("MyOBJ pipeline (read + sort + checks)", pipeline);
    line("MyOBJ reading alone (to the summary)", reading);
    line("MyOBJ pipeline in one thread", oneThread);
    line("the viewer's reader (polygons cut)", richer);
    line("the viewer's reader in one thread", richerOneThread);
    if (loadOnly) {
        return 0;
    }
    line("tinyobj::LoadObj", tiny);
    const auto ratio = [&](const char* name, const Figures& f, const char* goal) {
        std::printf("tinyobj / %-36s %.2fx wall, %.2fx best against best %s\n", name,
                    median(tiny.wall) / median(f.wall),
                    *std::min_element(tiny.wall.begin(), tiny.wall.end()) /
                        *std::min_element(f.wall.begin(), f.wall.end()),
                    goal);
    };
    ratio("MyOBJ pipeline:", pipeline, "(goal 5x, stretch 7x)");
    ratio("MyOBJ reading alone:", reading, "");
    ratio("MyOBJ pipeline in one thread:", oneThread, "");
    ratio("the viewer's reader:", richer, "(goal 5x)");
    ratio("the viewer's reader in one thread:", richerOneThread, "");
    std::printf(
        "first render (display-list rebuild, smooth textured faces, no rasterisation): %.3f s\n",
        firstRender);
    std::printf("clean render (two list calls, no rasterisation): %.3f s\n", cleanRender);
    return 0;
}
