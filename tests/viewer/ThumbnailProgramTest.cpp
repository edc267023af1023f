// The thumbnailer as a file manager runs it: the Exec line of the
// repository's dravin.thumbnailer with its fields filled in, the program
// found through PATH. A square PNG of the model, drawn without a window
// whatever display is set; nothing read outside the model's folder; one line
// and no picture for a model over a limit or an output that cannot be written.
#include "host/MediaWriter.h"
#include "tests/cli/Picture.h"
#include "tests/support/PixelKind.h"
#include "viewer/Thumbnail.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

using namespace clitest;
using testing_support::pixelKind;
using testing_support::ProcessRun;

namespace {

namespace fs = std::filesystem;

// The words of the entry's Exec line, %s, %i and %o filled in.
std::vector<std::string> execLine(const std::string& size, const std::string& in,
                                  const std::string& out) {
    std::ifstream entry(DRAVIN_THUMBNAILER);
    std::string line, exec;
    std::getline(entry, line);
    EXPECT_EQ(line, "[Thumbnailer Entry]");
    while (std::getline(entry, line))
        if (line.starts_with("Exec="))
            exec = line.substr(5);
    std::vector<std::string> words;
    std::istringstream split(exec);
    for (std::string w; split >> w;)
        words.push_back(w == "%s" ? size : w == "%i" ? in : w == "%o" ? out : w);
    return words;
}

// The program the entry names, found through PATH as a file manager finds it.
std::vector<std::string> viaPath(const std::vector<std::string>& words) {
    const char* path = std::getenv("PATH");
    std::vector<std::string> argv = {"/usr/bin/env", "PATH=" + testing_support::buildDirectory() +
                                                         ":" + (path ? path : "/usr/bin:/bin")};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
}

ProcessRun thumbnail(const std::string& size, const std::string& in, const std::string& out,
                     std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen"}) {
    return testing_support::runProcess({.argv = viaPath(execLine(size, in, out)), .env = env});
}

std::string shippedModel() {
    return testing_support::buildDirectory() + "/Resources/1.obj";
}

// The letters of pixelKind over the picture, against its top-left pixel.
std::map<char, int> kinds(const Picture& p) {
    std::map<char, int> count;
    for (uint32_t rgb : p.argb)
        ++count[pixelKind(rgb, p.at(0, 0))];
    return count;
}

// The model is in the picture as the viewer frames it: on the background,
// clear of the edges, across most of the picture.
void expectFramedModel(const Picture& p) {
    int left = p.width, right = -1, top = p.height, bottom = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.at(x, y) != p.at(0, 0)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    EXPECT_GT(left, 0);
    EXPECT_GT(top, 0);
    EXPECT_LT(right, p.width - 1);
    EXPECT_LT(bottom, p.height - 1);
    EXPECT_GT(std::max(right - left, bottom - top), p.width * 6 / 10);
    // The viewer's neutral grey all round.
    const uint32_t grey = p.at(0, 0);
    EXPECT_LT(std::max({grey >> 16 & 0xff, grey >> 8 & 0xff, grey & 0xff}) -
                  std::min({grey >> 16 & 0xff, grey >> 8 & 0xff, grey & 0xff}),
              10u);
    EXPECT_EQ(p.at(p.width - 1, p.height - 1), grey);
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A run that fails: its status, exactly one line on standard error, and the
// folder of the output as it was before (no picture, whole or in part).
void expectOneLineAndNoPicture(const std::string& size, const std::string& model,
                               const std::string& out, const std::string& folder, int status,
                               const std::string& says) {
    const std::vector<std::string> before = filesIn(folder);
    const ProcessRun run = thumbnail(size, model, out);
    EXPECT_EQ(run.exitStatus, status) << run.errText();
    ASSERT_EQ(run.err.size(), 1u) << run.errText();
    EXPECT_THAT(run.err[0].text, ::testing::HasSubstr(says));
    EXPECT_EQ(filesIn(folder), before);
}

} // namespace

TEST(ThumbnailProgram, DrawsTheShippedModelSquareAtEachSizeWithoutADisplay) {
    const std::string dir = temporaryFolder(), out = dir + "/thumb.png";
    const struct {
        const char* size;
        std::vector<std::string> env;
    } cases[] = {
        {"256", {"SDL_VIDEODRIVER=offscreen"}},
        // Larger than the offscreen driver's screen (1024 x 768).
        {"1024", {"SDL_VIDEODRIVER=offscreen"}},
        {"1", {"SDL_VIDEODRIVER=offscreen"}},
        // A session's display and driver that nobody serves: none is needed.
        {"128", {"SDL_VIDEODRIVER=x11", "DISPLAY=:87", "WAYLAND_DISPLAY=none"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        fs::remove(out);
        const ProcessRun run = thumbnail(c.size, shippedModel(), out, c.env);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_EQ(run.errText(), "");
        const Picture p = readPicture(out);
        EXPECT_EQ(p.width, std::stoi(c.size));
        EXPECT_EQ(p.height, std::stoi(c.size));
        if (p.width < 100)
            continue;
        expectFramedModel(p);
        // The knot's green and its red and yellow bands, lit.
        std::map<char, int> count = kinds(p);
        EXPECT_GT(count['g'], p.width * p.width / 20);
        EXPECT_GT(count['r'], p.width * p.width / 1000);
    }
    fs::remove_all(dir);
}

TEST(ThumbnailProgram, ShowsNoWindowOnAnXScreen) {
    // The screen's top-level windows are counted all the while the
    // thumbnailer runs, with SDL told to use X11; the viewer's window, shown
    // the same way, is counted (the count sees windows).
    const std::string dir = temporaryFolder(), out = dir + "/thumb.png";
    std::string command;
    for (const std::string& word : viaPath(execLine("256", shippedModel(), out)))
        command += "'" + word + "' ";
    const ProcessRun run = testing_support::runUnderXvfb(
        "windows() { xwininfo -root -children | grep -c '^ *0x'; }\n"
        "before=$(windows); most=$before\n" +
        command +
        ">\"$log\" 2>&1 & pid=$!\n"
        "while kill -0 $pid 2>/dev/null; do\n"
        "  now=$(windows); [ \"$now\" -gt \"$most\" ] && most=$now\n"
        "done\n"
        "wait $pid; echo \"thumbnail exit=$? windows=$((most - before))\"\n"
        "show '" +
        testing_support::buildDirectory() + "/dravin' --window '" + shippedModel() +
        "'\n"
        "echo \"viewer windows=$(($(windows) - before))\"\n"
        "kill $pid; ended\n");
    EXPECT_THAT(run.outText(), ::testing::HasSubstr("thumbnail exit=0 windows=0\n"));
    EXPECT_THAT(run.outText(), ::testing::MatchesRegex("(.|\n)*viewer windows=[1-9](.|\n)*"));
    EXPECT_EQ(readPicture(out).width, 256);
    fs::remove_all(dir);
}

TEST(ThumbnailProgram, ReadsNothingOutsideTheModelsFolder) {
    // Beside the model's folder: a library and a texture that would colour it red.
    const std::string top = temporaryFolder(), dir = top + "/models", out = top + "/thumb.png";
    fs::create_directory(dir);
    const std::string redLibrary = "newmtl paint\nKa 0.3 0 0\nKd 1 0 0\n";
    std::ofstream(top + "/red.mtl") << redLibrary;
    std::ofstream(dir + "/red.mtl") << redLibrary;
    const uint32_t red[4] = {0xffe01010, 0xffe01010, 0xffe01010, 0xffe01010};
    for (const std::string& at : {top, dir})
        ASSERT_EQ(host::MediaWriteImage(at + "/red.png", host::kMediaTypePNG, 2, 2, red, false), 0);
    const std::string square = "v 0 0 0\nv 4 0 0\nv 4 4 0\nv 0 4 0\n"
                               "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl paint\nf 1/1 2/2 3/3 4/4\n";
    const std::string mapped = "newmtl paint\nKd 0.8 0.8 0.8\nmap_Kd ";
    const struct {
        const char* name;
        std::string library; // "in.mtl" beside the model, when not empty
        std::string mtllib;  // the model's library
        bool red;            // whether the thumbnail shows it
        const char* warning; // the line on standard output that says what was left out
    } cases[] = {
        {"library beside the model", "", "red.mtl", true, ""},
        {"texture beside the model", mapped + "red.png\n", "in.mtl", true, ""},
        {"library through ..", "", "../red.mtl", false, "1 material libraries outside the"},
        {"library by absolute path", "", top + "/red.mtl", false, "1 material libraries outside"},
        {"texture through ..", mapped + "../red.png\n", "in.mtl", false,
         "1 texture maps outside the model's folder left out"},
        {"texture by absolute path", mapped + top + "/red.png\n", "in.mtl", false,
         "1 texture maps outside the model's folder left out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(dir + "/in.mtl") << c.library;
        std::ofstream(dir + "/model.obj") << "mtllib " + c.mtllib + "\n" + square;
        fs::remove(out);
        const ProcessRun run = thumbnail("128", dir + "/model.obj", out);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_THAT(run.outText(), ::testing::HasSubstr(c.warning));
        EXPECT_EQ(run.outText().find("outside") != std::string::npos, *c.warning != '\0');
        const Picture p = readPicture(out);
        ASSERT_EQ(p.width, 128);
        std::map<char, int> count = kinds(p);
        EXPECT_GT(count['r'] + count['w'], 128 * 128 / 10) << "the square is drawn";
        EXPECT_EQ(count['r'] > 0, c.red) << count['r'] << " red pixels";
    }
    // The viewer itself still reads what the model names.
    std::ofstream(dir + "/model.obj") << "mtllib ../red.mtl\n" + square;
    const ProcessRun viewer =
        runProgram({"--window=128x128", "--screenshot", out, dir + "/model.obj"});
    EXPECT_EQ(viewer.exitStatus, 0) << viewer.errText();
    EXPECT_GT(kinds(readPicture(out))['r'], 128 * 128 / 10);
    fs::remove_all(top);
}

TEST(ThumbnailProgram, AModelOverALimitOrUnreadableGetsOneLineAndNoPicture) {
    const std::string top = temporaryFolder(), dir = top + "/in", outDir = top + "/out";
    fs::create_directory(dir);
    fs::create_directory(outDir);
    const uint64_t tooManyBytes = kThumbnailLimits.bytes + 1;
    const auto sparse = [](const std::string& path, uint64_t size) {
        std::ofstream(path).close();
        fs::resize_file(path, size);
    };
    // Made at test time; the sparse ones take no room.
    sparse(dir + "/huge.obj", tooManyBytes);
    sparse(dir + "/huge.mtl", tooManyBytes);
    sparse(dir + "/huge.png", tooManyBytes);
    std::string vertices, corners = "v 0 0 0\nf";
    for (uint64_t i = 0; i <= kThumbnailLimits.vertices; ++i)
        vertices += "v\n";
    for (uint64_t i = 0; i <= kThumbnailLimits.corners; ++i)
        corners += " 1";
    std::ofstream(dir + "/vertices.obj") << vertices << "f 1 2 3\n";
    std::ofstream(dir + "/corners.obj") << corners << "\n";
    std::ofstream(dir + "/library.obj") << "mtllib huge.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::ofstream(dir + "/texture.mtl") << "newmtl t\nmap_Kd huge.png\n";
    std::ofstream(dir + "/texture.obj")
        << "mtllib texture.mtl\nusemtl t\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::ofstream(dir + "/text.obj") << "Dear reader,\nthis is no model.\n";
    const std::string limit = std::to_string(kThumbnailLimits.bytes >> 20);
    const struct {
        const char* model;
        std::string says;
    } cases[] = {
        {"huge.obj", "no thumbnail of " + dir + "/huge.obj: larger than " + limit + " MiB"},
        {"vertices.obj", ": more than " + std::to_string(kThumbnailLimits.vertices) + " vertices"},
        {"corners.obj", ": more than " + std::to_string(kThumbnailLimits.corners) + " corners"},
        {"library.obj", ": more than " + std::to_string(kThumbnailLimits.bytes) + " bytes"},
        {"texture.obj", ": more than " + std::to_string(kThumbnailLimits.bytes) + " bytes"},
        {"text.obj", ": it has no vertices"},
        {"missing.obj", "dravin: cannot read the model " + dir + "/missing.obj"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        expectOneLineAndNoPicture("256", dir + "/" + c.model, outDir + "/thumb.png", outDir, 1,
                                  c.says);
    }
    fs::remove_all(top);
}

TEST(ThumbnailProgram, AnOutputThatCannotBeWrittenOrABadSizeLeavesNoPicture) {
    const std::string top = temporaryFolder(), taken = top + "/taken.png";
    fs::create_directory(taken); // a folder where the picture would go
    const struct {
        const char* size;
        std::string out;
        int status;
        std::string says;
    } cases[] = {
        {"256", top + "/missing/thumb.png", 1, "cannot write " + top + "/missing/thumb.png"},
        {"256", taken, 1, "cannot write " + taken + ": "},
        {"0", top + "/thumb.png", 2, "bad value '0' for --thumbnail: a size from 1 to 1024"},
        {"1025", top + "/thumb.png", 2, "bad value '1025' for --thumbnail"},
        {"large", top + "/thumb.png", 2, "bad value 'large' for --thumbnail"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out + " " + c.size);
        expectOneLineAndNoPicture(c.size, shippedModel(), c.out, top, c.status, c.says);
        EXPECT_TRUE(fs::is_directory(taken));
        EXPECT_TRUE(fs::is_empty(taken));
    }
    fs::remove_all(top);
}

TEST(ThumbnailProgram, AModelThatNeverArrivesIsGivenUpAtTheTimeLimit) {
    // A pipe that nobody writes to: opening it to read waits for ever.
    const std::string dir = temporaryFolder(), model = dir + "/stuck.obj";
    ASSERT_EQ(mkfifo(model.c_str(), 0600), 0);
    fs::create_directory(dir + "/out");
    const auto start = std::chrono::steady_clock::now();
    expectOneLineAndNoPicture("256", model, dir + "/out/thumb.png", dir + "/out", 1,
                              "no thumbnail of " + model + ": it took longer than " +
                                  std::to_string(int(kThumbnailSeconds)) + " s");
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::duration<double>(kThumbnailSeconds));
    fs::remove_all(dir);
}
