// Imports a generated 2048 x 2048 RGBA PNG into a 1024 x 1024 buffer through
// QTImage, and does the same with stb_image + stb_image_resize, in one run.
// Prints the median time of each and their ratio. Then a phone's photo, an
// 8000 x 6000 JPEG made with the ffmpeg tool: the time and the peak memory
// of each way of importing it, each import in a process of its own.
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"
#include "image/QTImage.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 2048;
constexpr int kBuffer = 1024;
constexpr int kRounds = 9;

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Smooth gradients with some grain: compresses like a photograph, not like a flat fill.
std::vector<uint32_t> makePicture() {
    std::vector<uint32_t> pixels(size_t(kSide) * kSide);
    uint32_t noise = 12345;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            noise = noise * 1664525u + 1013904223u;
            uint32_t grain = (noise >> 28) & 7;
            uint32_t a = 128 + ((x + y) >> 5) % 128;
            uint32_t r = ((x >> 3) + grain) & 0xff;
            uint32_t g = ((y >> 3) + grain) & 0xff;
            uint32_t b = (((x ^ y) >> 4) + grain) & 0xff;
            pixels[size_t(y) * kSide + x] = a << 24 | r << 16 | g << 8 | b;
        }
    return pixels;
}

// QTImage's whole import: identify, read, decode, scale.
bool importThroughQTImage(const std::string& path) {
    auto image = QTImage::imageFromPath(path);
    return image && image->LoadImageData() &&
           image->CreateImageWithBitdepth(32, kBuffer, kBuffer) && image->image_loaded;
}

bool importThroughStb(const std::string& path, std::vector<unsigned char>& out) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    int w = 0, h = 0, channels = 0;
    unsigned char* decoded =
        stbi_load_from_memory(data.data(), int(data.size()), &w, &h, &channels, 4);
    const bool ok =
        decoded && stbir_resize_uint8(decoded, w, h, 0, out.data(), kBuffer, kBuffer, 0, 4);
    stbi_image_free(decoded);
    return ok;
}

// The resident size of this process now, in kB.
long residentKilobytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Runs the import in a child process: its time in ms and how far its peak
// resident size rose above what it started with (kB); a negative time on failure.
template <class Import> std::pair<double, long> inChild(Import import) {
    const long before = residentKilobytes();
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(import() ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {-1.0, 0};
    return {std::chrono::duration<double, std::milli>(Clock::now() - t0).count(),
            usage.ru_maxrss - before};
}

int photo(const std::filesystem::path& dir) {
    const std::string path = (dir / "photo.jpg").string();
    const std::string make = "ffmpeg -v error -f lavfi -i testsrc2=s=8000x6000 -vf "
                             "noise=alls=12:allf=t -frames:v 1 -q:v 2 -y '" +
                             path + "'";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "could not make %s with the ffmpeg tool\n", path.c_str());
        return 1;
    }
    std::printf("\ninput: 8000 x 6000 JPEG, %ju bytes (48 Mpx; 192 MB at four bytes a pixel); "
                "buffer %d x %d; each import in a child process, best time of 3\n",
                std::uintmax_t(std::filesystem::file_size(path)), kBuffer, kBuffer);
    std::vector<unsigned char> out(size_t(kBuffer) * kBuffer * 4);
    const std::pair<const char*, std::function<bool()>> ways[] = {
        {"QTImage import (reduced decode)", [&] { return importThroughQTImage(path); }},
        {"stb_image + stb_image_resize", [&] { return importThroughStb(path, out); }}};
    for (const auto& [name, import] : ways) {
        double best = 1e30;
        long peak = 0;
        for (int round = 0; round < 3; ++round) {
            const auto [ms, kilobytes] = inChild(import);
            if (ms < 0) {
                std::fprintf(stderr, "%s failed\n", name);
                return 1;
            }
            best = std::min(best, ms);
            peak = std::max(peak, kilobytes);
        }
        std::printf("%-32s %8.1f ms, peak %6.1f MB above its start\n", name, best, peak / 1024.0);
    }
    return 0;
}

} // namespace

int main() {
    auto dir = std::filesystem::temp_directory_path() / "dravin-image-bench";
    std::filesystem::create_directories(dir);
    std::string path = (dir / "bench.png").string();
    auto picture = makePicture();
    if (host::MediaWriteImage(path, host::kMediaTypePNG, kSide, kSide, picture.data(), true) != 0) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return 1;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    std::printf("input: %d x %d RGBA PNG, %zu bytes; buffer %d x %d\n", kSide, kSide, bytes.size(),
                kBuffer, kBuffer);

    std::vector<double> ours, theirs;
    std::vector<unsigned char> out(size_t(kBuffer) * kBuffer * 4);
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = Clock::now();
        if (!importThroughQTImage(path)) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        auto t1 = Clock::now();
        if (!importThroughStb(path, out)) {
            std::fprintf(stderr, "stb failed\n");
            return 1;
        }
        auto t2 = Clock::now();
        ours.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        theirs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    double a = median(ours), b = median(theirs);
    std::printf("QTImage import (FFmpeg):        %8.1f ms (median of %d)\n", a, kRounds);
    std::printf("stb_image + stb_image_resize:   %8.1f ms (median of %d)\n", b, kRounds);
    std::printf("ratio QTImage / stb:            %8.2f\n", a / b);
    const int status = photo(dir);
    std::filesystem::remove_all(dir);
    return status;
}
