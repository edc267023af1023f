// Reads a PNG the program wrote, through the media layer, and runs the real
// program with a few arguments; shared by the command-line and viewer tests.
#pragma once

#include "host/Media.h"
#include "tests/support/Process.h"

#include <cstdint>
#include <string>
#include <vector>

namespace clitest {

struct Picture {
    int width{}, height{};
    std::vector<uint32_t> argb; // top row first
    uint32_t at(int x, int y) const { return argb[size_t(y) * width + x] & 0xffffffu; }
};

inline Picture readPicture(const std::string& path) {
    Picture p;
    std::vector<uint8_t> bytes;
    host::MediaImageDescription d;
    if (host::MediaReadFile(path, bytes) != 0 ||
        host::MediaIdentifyImage(bytes.data(), bytes.size(), d) != 0 ||
        d.type != host::kMediaTypePNG)
        return p;
    std::vector<uint32_t> pixels(size_t(d.width) * d.height);
    std::unique_ptr<host::MediaPort> port;
    auto importer = host::MediaImageImporter::openForType(d.type);
    if (!importer ||
        host::MediaPort::fromPointer(port, 32, d.width, d.height,
                                     reinterpret_cast<uint8_t*>(pixels.data()),
                                     size_t(d.width) * 4) ||
        importer->setData(bytes.data(), bytes.size()) || importer->setDestination(port.get()) ||
        importer->draw())
        return p;
    p.width = d.width;
    p.height = d.height;
    p.argb = std::move(pixels);
    return p;
}

// The program with these arguments on SDL's offscreen driver, started in
// the given directory (by a shell: the runner has no option for it).
inline testing_support::ProcessRun runProgram(std::vector<std::string> args,
                                              const std::string& directory = ".") {
    testing_support::ProcessOptions options;
    options.argv = {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", directory,
                    testing_support::buildDirectory() + "/dravin"};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.env = {"SDL_VIDEODRIVER=offscreen"};
    return testing_support::runProcess(options);
}

// A fresh folder under /tmp.
inline std::string temporaryFolder() {
    char name[] = "/tmp/dravin_cli_XXXXXX";
    return mkdtemp(name) ? name : "/tmp";
}

} // namespace clitest
