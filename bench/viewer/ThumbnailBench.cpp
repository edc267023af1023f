// The thumbnailer as a file manager runs it: dravin --thumbnail 256 MODEL
// OUT.png, a fresh process each time, with its wall time and peak resident
// memory (what /usr/bin/time -v reports), for the shipped model, generated
// tori and a model at the thumbnailer's limits.
//   thumbnail_bench [runs]   (default 3)
#include "bench/BenchModels.h"
#include "bench/FrameTimes.h"
#include "viewer/Thumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;

std::string buildDirectory() {
    // <build>/bench/viewer/thumbnail_bench
    return std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().parent_path();
}

// As many positions (on a square grid) and triangle corners (small
// triangles of neighbours, over and over) as the thumbnailer takes.
void writeModelAtTheLimits(const std::string& path) {
    const int n = int(std::sqrt(double(kThumbnailLimits.vertices)));
    const uint64_t triangles = kThumbnailLimits.corners / 3;
    std::FILE* f = std::fopen(path.c_str(), "w");
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            std::fprintf(f, "v %d %d %d\n", i, j, (i * j) % 7);
    for (uint64_t k = 0; k < triangles; ++k) {
        const uint64_t cell = k % uint64_t((n - 1) * (n - 1));
        const uint64_t a = cell / uint64_t(n - 1) * uint64_t(n) + cell % uint64_t(n - 1) + 1;
        std::fprintf(f, "f %llu %llu %llu\n", static_cast<unsigned long long>(a),
                     static_cast<unsigned long long>(a + 1),
                     static_cast<unsigned long long>(a + uint64_t(n)));
    }
    std::fclose(f);
}

void timeThumbnails(const std::string& name, const std::string& model, const std::string& out,
                    int runs) {
    const std::string program = buildDirectory() + "/dravin";
    std::vector<double> times;
    long peakKiB = 0;
    for (int i = 0; i < runs; ++i) {
        std::filesystem::remove(out);
        const auto start = Clock::now();
        const pid_t child = fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            execl(program.c_str(), program.c_str(), "--thumbnail", "256", model.c_str(),
                  out.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 1;
        struct rusage usage {};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !std::filesystem::exists(out)) {
            std::printf("%-44s the thumbnailer failed (status %d)\n", name.c_str(), status);
            return;
        }
        times.push_back(bench::ms(Clock::now() - start));
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    std::printf("%-44s median %7.0f ms   worst %7.0f ms   peak RSS %5ld MiB\n", name.c_str(),
                bench::summarise(times).median, *std::max_element(times.begin(), times.end()),
                peakKiB >> 10);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string dir = std::filesystem::temp_directory_path() / "dravin_thumbnail_bench";
    std::filesystem::create_directories(dir);
    const std::string out = dir + "/thumbnail.png";
    std::printf("dravin --thumbnail 256, %d runs each (limits: %llu MiB, %llu vertices, %llu "
                "corners):\n",
                runs, static_cast<unsigned long long>(kThumbnailLimits.bytes >> 20),
                static_cast<unsigned long long>(kThumbnailLimits.vertices),
                static_cast<unsigned long long>(kThumbnailLimits.corners));
    timeThumbnails("shipped model (5,832 faces, 0.5 MB)", buildDirectory() + "/Resources/1.obj",
                   out, runs);
    const std::string model = dir + "/model.obj";
    char name[96];
    for (int n : {300, 700}) {
        bench::writeTorus(model, n, true);
        std::snprintf(name, sizeof name, "torus of %d faces (%.0f MB)", n * n,
                      double(std::filesystem::file_size(model)) / 1e6);
        timeThumbnails(name, model, out, runs);
    }
    writeModelAtTheLimits(model);
    std::snprintf(name, sizeof name, "grid at the vertex and corner limits (%.0f MB)",
                  double(std::filesystem::file_size(model)) / 1e6);
    timeThumbnails(name, model, out, runs);
    std::filesystem::remove_all(dir);
    return 0;
}
