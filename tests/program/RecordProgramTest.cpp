// Recordings as a user makes them, without a display: each kind read back with
// ffprobe and the media layer, against the program's own screenshot.
#include "app/Recording.h"
#include "tests/support/Picture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <map>
#include <sstream>

using namespace clitest;
using ::testing::HasSubstr;

namespace {

// ffprobe's view of the first video stream: codec_name, width, height,
// r_frame_rate, nb_read_frames, duration.
std::map<std::string, std::string> probe(const std::string& path) {
    const auto run = testing_support::runProcess(
        {.argv = {"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                  "-show_entries",
                  "stream=codec_name,width,height,r_frame_rate,nb_read_frames,duration", "-of",
                  "default=noprint_wrappers=1", path},
         .env = {}});
    std::map<std::string, std::string> fields;
    for (const auto& line : run.out)
        if (const size_t eq = line.text.find('='); eq != std::string::npos)
            fields[line.text.substr(0, eq)] = line.text.substr(eq + 1);
    if (!run.err.empty() || run.exitStatus != 0)
        fields["error"] = run.errText();
    return fields;
}

// Frame `index` of a movie at `fps`, through the media layer.
Picture movieFrame(const std::string& path, int index, int fps, int width, int height) {
    Picture p{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    auto movie = host::MediaMovie::open(path);
    // The middle of the frame's time, clear of rounding at either end.
    const int64_t time = (2 * index + 1) * host::MediaMovie::kTimeScale / (2 * fps);
    if (!movie || movie->renderFrame(time, reinterpret_cast<uint8_t*>(p.argb.data()), width, height,
                                     size_t(width) * 4) != 0)
        return {};
    return p;
}

// The mean difference of the two pictures' channels, 0 to 255.
double meanDifference(const Picture& a, const Picture& b) {
    if (a.argb.size() != b.argb.size() || a.argb.empty())
        return 255;
    double sum = 0;
    for (size_t i = 0; i < a.argb.size(); ++i)
        for (int shift : {0, 8, 16})
            sum += std::abs(int(a.argb[i] >> shift & 0xff) - int(b.argb[i] >> shift & 0xff));
    return sum / double(a.argb.size() * 3);
}

} // namespace

TEST(RecordProgram, EachKindHoldsEveryFrameAtItsSizeCodecAndRateAndStartsWithFrameOne) {
    const std::string dir = temporaryFolder();
    const auto shot = runProgram({"--window=320x240", "--screenshot", "one.png"}, dir);
    ASSERT_EQ(shot.exitStatus, 0) << shot.errText();
    const Picture first = readPicture(dir + "/one.png");
    // The file, its codec, the rate asked for and the one it plays at: a GIF
    // counts in hundredths of a second, and no frame of it lasts less than
    // two (players show those as a tenth), so 12 frames last 0.24 s.
    const struct {
        const char *file, *codec;
        int fps, shown;
    } cases[] = {
        {"a.mp4", "h264", 60, 60}, {"a.mkv", "h264", 30, 30}, {"a.webm", "vp9", 60, 60},
        {"a.gif", "gif", 25, 25},  {"b.gif", "gif", 60, 50},  {"A.MP4", "h264", 60, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto run = runProgram({"--window=320x240", "--frames", "12", "--fps",
                                     std::to_string(c.fps), "--record", c.file},
                                    dir);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        const std::string path = dir + "/" + c.file;
        EXPECT_FALSE(std::filesystem::exists(path + ".part"));
        auto fields = probe(path);
        EXPECT_EQ(fields["error"], "");
        EXPECT_EQ(fields["codec_name"], c.codec);
        EXPECT_EQ(fields["width"], "320");
        EXPECT_EQ(fields["height"], "240");
        EXPECT_EQ(fields["r_frame_rate"], std::to_string(c.shown) + "/1");
        EXPECT_EQ(fields["nb_read_frames"], "12");
        EXPECT_TRUE(c.shown != 50 || fields["duration"] == "0.240000");
        // The codecs lose up to about 3 of 255 on the demo's fine leaves.
        EXPECT_LT(meanDifference(movieFrame(path, 0, c.shown, 320, 240), first), 4.5);
    }
    std::filesystem::remove_all(dir);
}

TEST(RecordProgram, BadPathsAndRatesAreOneLineAndLeaveNoFinishedLookingFile) {
    const std::string dir = temporaryFolder();
    std::filesystem::create_directory(dir + "/folder.mp4");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;  // a line it prints
        std::string left; // a file that must not be there after
    } cases[] = {
        {{"--record", "a.avi"},
         1,
         "dravin: cannot record to " + dir +
             "/a.avi: the name must end in .mp4, .mkv, .webm or .gif\n",
         "a.avi.part"},
        {{"--record", "folder.mp4"},
         1,
         "dravin: cannot record to " + dir + "/folder.mp4: Is a directory\n",
         "folder.mp4.part"},
        {{"--record", "/no/such/a.mp4"},
         1,
         "dravin: cannot record to /no/such/a.mp4: No such file or directory\n",
         ""},
        {{"--fps", "0", "--record", "b.mp4"}, 2, "bad value '0' for --fps", "b.mp4.part"},
        {{"--fps", "-5", "--record", "b.mp4"}, 2, "bad value '-5' for --fps", "b.mp4.part"},
        {{"--fps", "ten", "--record", "b.mp4"}, 2, "bad value 'ten' for --fps", "b.mp4.part"},
    };
    for (const auto& c : cases) {
        auto args = c.args;
        args.insert(args.begin(), {"--window=64x48", "--frames", "3"});
        const auto run = runProgram(args, dir);
        EXPECT_EQ(run.exitStatus, c.status) << testing::PrintToString(c.args);
        EXPECT_THAT(run.errText(), HasSubstr(c.err));
        if (!c.left.empty()) {
            EXPECT_FALSE(std::filesystem::exists(dir + "/" + c.left)) << c.left;
        }
    }
    // A full disk, as a file size limit of 64 KiB: the writes fail, the
    // program stops, and neither the movie nor its partial file stays.
    const auto full = testing_support::runProcess(
        {.argv = {"/bin/sh", "-c", "cd \"$0\" && ulimit -f 64 && exec \"$@\"", dir,
                  testing_support::buildDirectory() + "/dravin", "--window=640x480", "--frames",
                  "600", "--record", "big.mp4"},
         .env = {"SDL_VIDEODRIVER=offscreen"}});
    EXPECT_EQ(full.exitStatus, 1);
    EXPECT_THAT(full.errText(), HasSubstr("dravin: could not record to " + dir + "/big.mp4: "));
    EXPECT_FALSE(std::filesystem::exists(dir + "/big.mp4"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/big.mp4.part"));
    std::filesystem::remove_all(dir);
}

TEST(RecordProgram, ASignalEndsARecordingOfUnknownLengthWithAWholeMovie) {
    const std::string dir = temporaryFolder();
    // Interrupted once it has drawn for a second (its first rate line).
    const auto run =
        testing_support::runProcess({.argv = {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", dir,
                                              testing_support::buildDirectory() + "/dravin",
                                              "--window=160x120", "--record", "run.webm"},
                                     .env = {"SDL_VIDEODRIVER=offscreen"},
                                     .signalWhen = [](const testing_support::ProcessRun& r) {
                                         return r.errText().find("calcFPS") != std::string::npos;
                                     }});
    EXPECT_TRUE(run.signalled);
    EXPECT_EQ(run.exitStatus, 0) << run.errText();
    auto fields = probe(dir + "/run.webm");
    EXPECT_EQ(fields["error"], "");
    EXPECT_EQ(fields["codec_name"], "vp9");
    EXPECT_GT(std::atoi(fields["nb_read_frames"].c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir + "/run.webm.part"));
    std::filesystem::remove_all(dir);
}

TEST(RecordProgram, ATurntableShowsTheModelFromBehindHalfwayAndEndsAStepShortOfTheStart) {
    const std::string dir = temporaryFolder();
    // A thin wedge, its right angle at the lower left: from behind, at the
    // lower right.
    const std::string model = dir + "/wedge.obj";
    std::ofstream(model) << "v 0 0 .1\nv 2 0 .1\nv 0 2 .1\nv 0 0 -.1\nv 2 0 -.1\nv 0 2 -.1\n"
                            "f 1 2 3\nf 4 6 5\nf 1 4 5 2\nf 2 5 6 3\nf 3 6 4 1\n";
    const auto run =
        runProgram({"--window=240x180", "--turntable", "--record", "turn.mkv", model}, dir);
    ASSERT_EQ(run.exitStatus, 0) << run.errText();
    const std::string path = dir + "/turn.mkv";
    EXPECT_EQ(probe(path)["nb_read_frames"], "120"); // the default length
    const Picture first = movieFrame(path, 0, 60, 240, 180),
                  half = movieFrame(path, 60, 60, 240, 180),
                  last = movieFrame(path, 119, 60, 240, 180);
    ASSERT_FALSE(half.argb.empty());
    // From behind, the outline is the first one mirrored left to right; a
    // step short of the turn, nearly the first.
    const uint32_t background = first.at(0, 0);
    auto isModel = [background](uint32_t rgb) {
        for (int shift : {0, 8, 16})
            if (std::abs(int(rgb >> shift & 0xff) - int(background >> shift & 0xff)) > 16)
                return true;
        return false;
    };
    // Pixels where the outlines of a and b (mirrored or not) disagree.
    auto outlineDifference = [&](const Picture& a, const Picture& b, bool mirror) {
        int differ = 0;
        for (int y = 0; y < 180; ++y)
            for (int x = 0; x < 240; ++x)
                differ += isModel(a.at(x, y)) != isModel(b.at(mirror ? 239 - x : x, y));
        return differ;
    };
    const int behind = outlineDifference(half, first, true),
              unlike = outlineDifference(half, first, false),
              step = outlineDifference(last, first, false);
    std::printf("outline differences: behind %d, unlike %d, a step %d\n", behind, unlike, step);
    EXPECT_GT(unlike, 1000);
    EXPECT_LT(behind, unlike / 4); // the perspective shows other sides
    EXPECT_LT(step, unlike / 10);
    EXPECT_GT(meanDifference(last, first), 0.0);
    std::filesystem::remove_all(dir);
    // The turn needs a model to turn.
    const auto alone = runProgram({"--turntable"});
    EXPECT_EQ(alone.exitStatus, 2);
    EXPECT_THAT(alone.errText(), HasSubstr("dravin: option '--turntable' needs a model"));
}

TEST(RecordProgram, ARecordingOfKnownLengthShowsItsProgressOnATerminalOnly) {
    const std::string dir = temporaryFolder();
    const std::string program = testing_support::buildDirectory() + "/dravin";
    const std::string line = "recording " + dir + "/p.mp4: frame 5 of 5";
    // script(1) gives the program a terminal.
    const auto onTerminal = testing_support::runProcess(
        {.argv = {"/usr/bin/script", "-qec",
                  "cd '" + dir + "' && '" + program + "' --window=64x48 --frames 5 --record p.mp4",
                  "/dev/null"},
         .env = {"SDL_VIDEODRIVER=offscreen"}});
    EXPECT_EQ(onTerminal.exitStatus, 0);
    EXPECT_THAT(onTerminal.outText(), HasSubstr("\r" + line));
    const auto piped = runProgram({"--window=64x48", "--frames", "5", "--record", "p.mp4"}, dir);
    EXPECT_EQ(piped.exitStatus, 0);
    EXPECT_THAT(piped.errText(), ::testing::Not(HasSubstr("recording")));
    std::filesystem::remove_all(dir);
}

TEST(RecordProgram, OnADisplayFramesTheEncoderCannotTakeAreDroppedAndCountedTheRestKeptInOrder) {
    // Frames handed over as fast as a loop can, each a grey level of its
    // own: without waiting (as on a display) the movie holds exactly the
    // frames not counted as dropped, in the order drawn; waiting (as
    // offscreen), every frame. How many drop depends on the machine; the
    // count and the movie agree whatever it is.
    const std::string dir = temporaryFolder(), path = dir + "/drop.webm";
    for (bool wait : {false, true}) {
        dravin::Recorder recorder;
        ASSERT_EQ(recorder.start(path, 25, 0), "");
        for (uint32_t i = 0; i < 40; ++i)
            recorder.add(std::vector<uint32_t>(320 * 240, 0xff0a0a0au + 0x050505u * i), 320, 240,
                         wait);
        ASSERT_EQ(recorder.finish(), "");
        const int kept = std::atoi(probe(path)["nb_read_frames"].c_str());
        EXPECT_EQ(std::pair(kept, recorder.dropped()),
                  std::pair(40 - recorder.dropped(), wait ? 0 : recorder.dropped()));
        for (int k = 0, level = -1; k < kept; ++k) {
            const Picture frame = movieFrame(path, k, 25, 320, 240);
            ASSERT_FALSE(frame.argb.empty()) << k;
            const int now = int(frame.at(160, 120) & 0xff);
            EXPECT_GT(now, level + 2) << "frame " << k << (wait ? " waiting" : " dropping");
            level = now;
        }
    }
    std::filesystem::remove_all(dir);
}
