// The thumbnailer as a file manager runs it: the Exec line of the
// repository's dravin.thumbnailer with its fields filled in, the program
// found through PATH. A square PNG of the model drawn without a window
// whatever display is set; nothing read outside the model's folder; one line
// and no picture for a model over a limit or an output that cannot be written.
#include "host/media/MediaWriter.h"
#include "tests/support/Picture.h"
#include "tests/support/PixelKind.h"
#include "viewer/Thumbnail.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <set>
#include <sstream>
#include <sys/stat.h>

using namespace clitest;
using testing_support::buildDirectory;
using testing_support::ProcessRun;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> command(const std::string& size, const std::string& in,
                                 const std::string& out) {
    std::ifstream entry(DRAVIN_THUMBNAILER);
    std::string line, word;
    while (std::getline(entry, line) && !line.starts_with("Exec=")) {
    }
    std::istringstream words(line.substr(5));
    std::vector<std::string> argv = {"/usr/bin/env",
                                     "PATH=" + buildDirectory() + ":" + std::getenv("PATH")};
    while (words >> word)
        argv.push_back(word == "%s" ? size : word == "%i" ? in : word == "%o" ? out : word);
    return argv;
}

ProcessRun thumbnail(const std::string& size, const std::string& in, const std::string& out,
                     std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen"}) {
    return testing_support::runProcess({.argv = command(size, in, out), .env = env});
}

// How many pixels of the picture are of pixelKind's kind, against its top-left pixel.
int pixels(const Picture& p, char kind) {
    return int(std::count_if(p.argb.begin(), p.argb.end(), [&](uint32_t rgb) {
        return testing_support::pixelKind(rgb, p.at(0, 0)) == kind;
    }));
}

} // namespace

TEST(ThumbnailProgram, DrawsTheModelFramedAndSquareWithoutAWindowWhateverTheDisplay) {
    const std::string dir = temporaryFolder(), out = dir + "/t.png";
    const std::string model = buildDirectory() + "/Resources/1.obj";
    const struct {
        int size;
        std::vector<std::string> env;
    } cases[] = {
        {256, {"SDL_VIDEODRIVER=offscreen"}},
        {1024, {"SDL_VIDEODRIVER=offscreen"}}, // above the offscreen screen's 768
        // A session's display and driver that nobody serves: none is needed.
        {128, {"SDL_VIDEODRIVER=x11", "DISPLAY=:87", "WAYLAND_DISPLAY=none"}},
    };
    for (const auto& c : cases) {
        fs::remove(out);
        const ProcessRun run = thumbnail(std::to_string(c.size), model, out, c.env);
        EXPECT_EQ(std::to_string(run.exitStatus) + run.errText(), "0");
        const Picture p = readPicture(out);
        ASSERT_EQ(p.width * 10000 + p.height, c.size * 10001);
        // The knot's green with its red bands, clear of the edges, as the viewer frames it.
        EXPECT_GT(pixels(p, 'g'), c.size * c.size / 20);
        EXPECT_GT(pixels(p, 'r'), c.size * c.size / 1000);
        for (int i = 0; i < c.size; ++i)
            EXPECT_EQ(std::set({p.at(i, 0), p.at(0, i), p.at(i, c.size - 1), p.at(c.size - 1, i)}),
                      std::set({p.at(0, 0)}));
    }
    // On an X screen, with SDL told to use it: the screen's windows, counted
    // all the while the thumbnailer runs, stay as they were.
    std::string script = "windows() { xwininfo -root -children | grep -c '^ *0x'; }\n"
                         "before=$(windows); most=$before\n";
    for (const std::string& word : command("256", model, out))
        script += "'" + word + "' ";
    script += "& pid=$!\n"
              "while kill -0 $pid 2>/dev/null; do n=$(windows); [ $n -gt $most ] && most=$n; done\n"
              "wait $pid; echo \"exit=$? windows=$((most - before))\"\n";
    fs::remove(out);
    EXPECT_THAT(testing_support::runUnderXvfb(script).outText(),
                ::testing::HasSubstr("exit=0 windows=0\n"));
    EXPECT_EQ(readPicture(out).width, 256);
    fs::remove_all(dir);
}

TEST(ThumbnailProgram, ReadsNothingOutsideTheModelsFolder) {
    // In the model's folder and beside it: a library and a texture that colour it red.
    const std::string top = temporaryFolder(), dir = top + "/models", out = top + "/t.png";
    fs::create_directory(dir);
    const uint32_t red[4] = {0xffe01010, 0xffe01010, 0xffe01010, 0xffe01010};
    for (const std::string& at : {top, dir}) {
        std::ofstream(at + "/..red.mtl") << "newmtl paint\nKd 1 0 0\n";
        ASSERT_EQ(host::MediaWriteImage(at + "/red.png", host::kMediaTypePNG, 2, 2, red, false), 0);
    }
    const std::string mapped = "newmtl paint\nKd 0.8 0.8 0.8\nmap_Kd ";
    const struct {
        std::string mtllib, inMtl; // the model's library, and "in.mtl" beside it
        const char* warning;       // "": the model is red
    } cases[] = {
        // clang-format off
        {"in.mtl", mapped + "red.png", ""}, {"..red.mtl", "", ""}, // a name with dots, not a folder above
        {"../..red.mtl", "", "WARNING: 1 material libraries outside the model's folder left out"},
        {top + "/..red.mtl", "", "WARNING: 1 material libraries outside the model's folder left"},
        {"in.mtl", mapped + "../red.png", "WARNING: 1 texture maps outside the model's folder"},
        {"in.mtl", mapped + top + "/red.png", "WARNING: 1 texture maps outside the model's"},
        {"sub/../../..red.mtl", "", "WARNING: 1 material libraries outside the model's folder"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mtllib + " " + c.inMtl);
        std::ofstream(dir + "/in.mtl") << c.inMtl << "\n";
        std::ofstream(dir + "/m.obj") << "mtllib " << c.mtllib
                                      << "\nv 0 0 0\nv 4 0 0\nv 4 4 0\nv 0 4 0\nvt 0 0\nvt 1 0\n"
                                         "vt 1 1\nvt 0 1\nusemtl paint\nf 1/1 2/2 3/3 4/4\n";
        fs::remove(out);
        const ProcessRun run = thumbnail("128", dir + "/m.obj", out);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_THAT(run.outText(), ::testing::HasSubstr(c.warning));
        const Picture p = readPicture(out);
        EXPECT_GT(pixels(p, 'r') + pixels(p, 'w'), 128 * 128 / 10) << "the square is drawn";
        EXPECT_EQ(pixels(p, 'r') > 0, *c.warning == '\0') << pixels(p, 'r') << " red pixels";
    }
    fs::remove_all(top);
}

TEST(ThumbnailProgram, AModelOverALimitUnreadableOrUnwritableGetsOneLineAndNoPicture) {
    const std::string dir = temporaryFolder(), out = dir + "/out/t.png";
    fs::create_directories(dir + "/out/taken.png"); // a folder where a picture would go
    const ReadingLimits& l = kThumbnailLimits;
    // Made at test time; the ones of more bytes are sparse, taking no room.
    for (const char* name : {"/big.obj", "/big.mtl", "/big.png"})
        std::ofstream(dir + name).close(), fs::resize_file(dir + name, l.bytes + 1);
    std::string corners = "v 0 0 0\nf"; // (vertices: ReadingBudgetTest)
    for (uint64_t i = 0; i <= l.corners; ++i)
        corners += " 1";
    std::ofstream(dir + "/corners.obj") << corners;
    std::ofstream(dir + "/library.obj") << "mtllib big.mtl\nv 0 0 0\n";
    std::ofstream(dir + "/texture.mtl") << "newmtl t\nmap_Kd big.png\n";
    std::ofstream(dir + "/texture.obj") << "mtllib texture.mtl\nusemtl t\nv 0 0 0\n";
    std::ofstream(dir + "/text.obj") << "Dear reader,\nthis is no model.\n";
    ASSERT_EQ(mkfifo((dir + "/stuck.obj").c_str(), 0600), 0); // refused, not waited on
    const std::string more = ": more than ", shipped = buildDirectory() + "/Resources/1.obj";
    const struct {
        std::string model, out, size;
        int status;
        std::string says;
    } cases[] = {
        // clang-format off
        {dir + "/big.obj", out, "256", 1, "no thumbnail of " + dir + "/big.obj: larger than " + std::to_string(l.bytes >> 20)},
        {dir + "/corners.obj", out, "256", 1, more + std::to_string(l.corners) + " corners"},
        {dir + "/library.obj", out, "256", 1, more + std::to_string(l.bytes) + " bytes"},
        {dir + "/texture.obj", out, "256", 1, more + std::to_string(l.bytes) + " bytes"},
        {dir + "/text.obj", out, "256", 1, ": it has no vertices"},
        {dir + "/stuck.obj", out, "256", 1, "stuck.obj: not a regular file"},
        {shipped, dir + "/out/none/t.png", "256", 1, "cannot write " + dir + "/out/none/t.png"},
        {shipped, dir + "/out/taken.png", "256", 1, "cannot write " + dir + "/out/taken.png: "},
        {shipped, out, "0", 2, "bad value '0' for --thumbnail: a size from 1 to 1024"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model + " " + c.out + " " + c.size);
        const ProcessRun run = thumbnail(c.size, c.model, c.out);
        EXPECT_EQ(run.exitStatus, c.status);
        ASSERT_EQ(run.err.size(), 1u) << run.errText();
        EXPECT_THAT(run.err[0].text, ::testing::HasSubstr(c.says));
        // Nothing in the output's folder but the folder that was there.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/out"), {}), 1);
        EXPECT_TRUE(fs::is_empty(dir + "/out/taken.png"));
    }
    fs::remove_all(dir);
}

TEST(ThumbnailProgram, ATextureTooLargeToDecodeWithinTheThumbnailersLimitIsLeftOutWithItsLine) {
    // A 57-byte PNG that says it is 8000 x 8000 RGBA: 245 MiB to decode.
    const std::string dir = temporaryFolder(), out = dir + "/t.png";
    std::string png = "\x89PNG\r\n\x1a\n";
    png += std::string("\0\0\0\x0dIHDR\0\0\x1f\x40\0\0\x1f\x40\x08\x06\0\0\0", 21);
    png += std::string(4, '\0') + std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    std::ofstream(dir + "/big.png", std::ios::binary) << png;
    std::ofstream(dir + "/m.mtl") << "newmtl t\nmap_Kd big.png\n";
    std::ofstream(dir + "/m.obj") << "mtllib m.mtl\nusemtl t\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const ProcessRun run = thumbnail("64", dir + "/m.obj", out);
    EXPECT_EQ(run.exitStatus, 0) << run.errText();
    EXPECT_TRUE(fs::exists(out));
    EXPECT_THAT(run.outText(),
                ::testing::HasSubstr("\nWARNING: " + dir +
                                     "/big.png is 8000 x 8000 pixels, needing "
                                     "245 MiB to decode, more than the limit of " +
                                     std::to_string(kThumbnailDecodeBytes >> 20) + " MiB\n"));
    EXPECT_THAT(run.errText(), ::testing::HasSubstr("cannot read the texture"));
    fs::remove_all(dir);
}
