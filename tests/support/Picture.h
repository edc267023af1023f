// The real program run with arguments, and the PNG pictures it writes read
// back through the media layer; shared by the command-line and viewer tests.
#pragma once

#include "host/media/Media.h"
#include "tests/support/Process.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace clitest {

struct Picture {
    int width{}, height{};
    std::vector<uint32_t> argb; // top row first
    uint32_t at(int x, int y) const { return argb[size_t(y) * width + x] & 0xffffffu; }
};

inline Picture readPicture(const std::string& path) {
    std::vector<uint8_t> bytes;
    host::MediaImageDescription d;
    if (host::MediaReadFile(path, bytes) || host::MediaIdentifyImage(bytes.data(), bytes.size(), d))
        return {};
    Picture p{d.width, d.height, std::vector<uint32_t>(size_t(d.width) * d.height)};
    std::unique_ptr<host::MediaPort> port;
    auto importer = host::MediaImageImporter::openForType(d.type);
    if (!importer ||
        host::MediaPort::fromPointer(port, 32, d.width, d.height,
                                     reinterpret_cast<uint8_t*>(p.argb.data()),
                                     size_t(d.width) * 4) ||
        importer->setData(bytes.data(), bytes.size()) || importer->setDestination(port.get()) ||
        importer->draw())
        return {};
    return p;
}

// On the given SDL video driver, started in the given directory (by a shell:
// the runner has no option for it).
inline testing_support::ProcessRun runProgram(std::vector<std::string> args,
                                              const std::string& directory = ".",
                                              const std::string& driver = "offscreen") {
    args.insert(args.begin(), {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", directory,
                               testing_support::buildDirectory() + "/dravin"});
    return testing_support::runProcess({.argv = args, .env = {"SDL_VIDEODRIVER=" + driver}});
}

// A new folder of the test's own; when none can be made the test fails (by the
// exception) rather than going on in a shared one it would later remove.
inline std::string temporaryFolder() {
    char name[] = "/tmp/dravin_cli_XXXXXX";
    if (!mkdtemp(name))
        throw std::runtime_error("no temporary folder could be made");
    return name;
}

} // namespace clitest
