// The real program as a user meets it: on a virtual X screen, looked at
// through screenshots and driven with the X pointer; and under SDL's offscreen
// driver, read through what it prints.
#include "host/OffscreenContext.h"
#include "mesh/MyOBJ.h"
#include "tests/support/Process.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using testing_support::Line;
using testing_support::ProcessOptions;
using testing_support::runProcess;

namespace {

constexpr int kScreenW = 1280;
constexpr int kScreenH = 720;

std::string buildDir() {
    return testing_support::buildDirectory();
}

// A binary PPM as ImageMagick writes it: "P6", comments, width, height, 255.
struct Shot {
    int width{}, height{};
    std::vector<uint8_t> rgb; // top row first
    bool sameAt(const Shot& o, size_t i) const {
        return rgb[i * 3] == o.rgb[i * 3] && rgb[i * 3 + 1] == o.rgb[i * 3 + 1] &&
               rgb[i * 3 + 2] == o.rgb[i * 3 + 2];
    }
};

Shot readPpm(const std::string& path) {
    Shot s;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    if (magic != "P6")
        return s;
    int values[3] = {};
    for (int k = 0; k < 3 && in;) {
        in >> std::ws;
        if (in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
            continue;
        }
        in >> values[k++];
    }
    in.get(); // the single whitespace before the pixels
    if (!in || values[0] <= 0 || values[1] <= 0 || values[0] > 8192 || values[1] > 8192 ||
        values[2] != 255)
        return s;
    const size_t bytes = size_t(values[0]) * size_t(values[1]) * 3;
    std::vector<uint8_t> rgb(bytes);
    in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
    if (in.gcount() != std::streamsize(rgb.size()))
        return s;
    s.width = values[0];
    s.height = values[1];
    s.rgb = std::move(rgb);
    return s;
}

// Where the shipped model, unturned, covers a full-screen view: drawn alone
// on an offscreen context with the view's projection and culling. Top row first.
std::vector<bool> unturnedSilhouette() {
    std::vector<bool> mask;
    host::OffscreenContext gl(kScreenW, kScreenH);
    if (!gl.valid())
        return mask;
    auto obj = std::make_unique<MyOBJ>();
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(buildDir() + "/Resources");
    testing::internal::CaptureStdout();
    obj->loadOBJFile("1.obj");
    testing::internal::GetCapturedStdout();
    std::filesystem::current_path(here);

    glViewport(0, 0, kScreenW, kScreenH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, double(kScreenW) / kScreenH, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -27);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    obj->renderModelAsFlatPolys();
    std::vector<uint8_t> red(size_t(kScreenW) * kScreenH);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kScreenW, kScreenH, GL_RED, GL_UNSIGNED_BYTE, red.data());
    mask.resize(red.size());
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x)
            mask[size_t(kScreenH - 1 - y) * kScreenW + x] = red[size_t(y) * kScreenW + x] != 0;
    return mask;
}

// The silhouette grown by a pixel, against rounding at its rim.
std::vector<bool> grown(const std::vector<bool>& mask) {
    std::vector<bool> g(mask);
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x)
            if (mask[size_t(y) * kScreenW + x])
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx >= 0 && ny >= 0 && nx < kScreenW && ny < kScreenH)
                            g[size_t(ny) * kScreenW + nx] = true;
                    }
    return g;
}

} // namespace

TEST(SceneProgram, UnderXvfbLeavesScrollInsideTheSilhouetteADragTurnsItAndSigintEndsIt) {
    char dirTemplate[] = "/tmp/dravin_scene_shots_XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    // Two screenshots a second apart, a drag with the X pointer, a third
    // screenshot, then Ctrl+C. The Motif hints atom is made first, as a window
    // manager would, so the window comes up borderless as in a real session.
    std::string script = "xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0; exe='";
    script += buildDir() + "/dravin'; dir='" + dir + "'; ";
    script += "\"$exe\" >/dev/null 2>&1 & pid=$!; "
              "for i in $(seq 50); do w=$(xdotool search --name '^dravin$' 2>/dev/null | head -1); "
              "[ -n \"$w\" ] && break; sleep 0.1; done; sleep 1.5; "
              "xwd -root -silent | convert xwd:- \"$dir/still1.ppm\"; sleep 1; "
              "xwd -root -silent | convert xwd:- \"$dir/still2.ppm\"; "
              "xdotool mousemove 640 360 sleep 0.2 mousedown 1 sleep 0.1 mousemove 760 400 "
              "sleep 0.1 mousemove 900 460 sleep 0.1 mouseup 1; sleep 0.5; "
              "xwd -root -silent | convert xwd:- \"$dir/turned.ppm\"; "
              "kill -INT $pid; wait $pid; echo \"exit=$?\"";
    ProcessOptions options;
    options.argv = {"/usr/bin/xvfb-run", "-a", "-s",  "-screen 0 1280x720x24 -noreset",
                    "/bin/sh",           "-c", script};
    options.env = {"SDL_VIDEODRIVER=x11"};
    options.killAfter = 60;
    auto run = runProcess(options);
    EXPECT_NE(run.outText().find("exit=0"), std::string::npos) << run.outText() << run.errText();

    const Shot still1 = readPpm(dir + "/still1.ppm");
    const Shot still2 = readPpm(dir + "/still2.ppm");
    const Shot turned = readPpm(dir + "/turned.ppm");
    std::filesystem::remove_all(dir);
    for (const Shot* s : {&still1, &still2, &turned}) {
        ASSERT_EQ(s->width, kScreenW);
        ASSERT_EQ(s->height, kScreenH);
    }
    const std::vector<bool> silhouette = unturnedSilhouette();
    ASSERT_EQ(silhouette.size(), size_t(kScreenW) * kScreenH);
    const std::vector<bool> rim = grown(silhouette);

    size_t inside = 0, changedInside = 0, changedOutside = 0, turnedOutside = 0;
    for (size_t i = 0; i < silhouette.size(); ++i) {
        const bool changed = !still1.sameAt(still2, i);
        if (silhouette[i]) {
            ++inside;
            changedInside += changed;
        } else if (!rim[i]) {
            changedOutside += changed;
            turnedOutside += !turned.sameAt(still2, i);
        }
    }
    // Nothing moves outside the model while nobody drags; the leaves move inside it.
    EXPECT_EQ(changedOutside, 0u);
    EXPECT_GT(changedInside, inside / 4);
    // The turned model covers pixels the unturned one left to the backdrop.
    EXPECT_GT(turnedOutside, size_t(2000));
}

namespace {

// The counts the shipped model's summary line must give, read off the file.
std::string expectedCounts() {
    std::ifstream in(buildDir() + "/Resources/1.obj");
    int v = 0, vt = 0, vn = 0, f = 0;
    for (std::string line; std::getline(in, line);) {
        v += line.rfind("v ", 0) == 0;
        vt += line.rfind("vt ", 0) == 0;
        vn += line.rfind("vn ", 0) == 0;
        f += line.rfind("f ", 0) == 0;
    }
    return "v: " + std::to_string(v) + ", vt: " + std::to_string(vt) +
           ", vn: " + std::to_string(vn) + ", f: " + std::to_string(f);
}

} // namespace

TEST(SceneProgram, OffscreenStartsInOrderLoadsTheShippedModelAndReportsItsRates) {
    ProcessOptions options;
    options.argv = {buildDir() + "/dravin"};
    options.env = {"SDL_VIDEODRIVER=offscreen"};
    options.signalAfter = 3.4;
    auto run = runProcess(options);
    EXPECT_EQ(run.exitStatus, 0) << run.errText();
    EXPECT_EQ(run.termSignal, 0);

    std::vector<std::string> out;
    for (const Line& l : run.out)
        out.push_back(l.text);
    const std::vector<std::string> expected = {"initWithFrame",        "/initWithFrame",
                                               "awakeFromNib",         "OBJ File Open: 1.obj",
                                               "MTL File Open: 1.mtl", "Object Loaded: dravinKnot",
                                               expectedCounts(),       "",
                                               "startThreads",         "/startThreads",
                                               "/awakeFromNib"};
    EXPECT_EQ(out, expected) << run.outText();

    int rateLines = 0;
    for (const Line& l : run.err) {
        int calc = 0, draw = 0, requests = 0;
        if (std::sscanf(l.text.c_str(), "calcFPS: %d, drawFPS: %d, drawRequests: %d", &calc, &draw,
                        &requests) == 3) {
            ++rateLines;
            SCOPED_TRACE(l.text);
            // About 100 a second; the timer that reads the counts waits for the
            // frame in progress, so a second can run a frame long.
            EXPECT_GT(calc, 85);
            EXPECT_LE(calc, 105);
            // The scene draws frames; requests beyond a frame's time merge.
            EXPECT_GT(draw, 0);
            EXPECT_LE(draw, requests + 2);
            EXPECT_LE(requests, 1005);
        } else {
            EXPECT_EQ(l.text, "reshape");
        }
    }
    EXPECT_GE(rateLines, 3) << run.errText();
}
