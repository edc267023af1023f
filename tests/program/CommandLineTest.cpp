// The command line, word by word: what each option sets, and which words
// are usage errors; the framework's parser alone and with the program's syntax.
#include "program/ProgramCommandLine.h"

#include <gtest/gtest.h>
#include <unistd.h>

using dravin::CommandLine;

enum class ModelOperand { refused, accepted };

namespace {

// The parse in one line: action, window size when windowed, frames,
// screenshot, model and any thumbnail; the current directory is /tmp.
std::string parse(std::vector<std::string> words, ModelOperand operand = ModelOperand::accepted) {
    words.insert(words.begin(), "/usr/lib/dravin/dravin");
    std::vector<const char*> argv;
    for (const auto& w : words)
        argv.push_back(w.c_str());
    ProgramCommandLine p;
    if (operand == ModelOperand::accepted)
        p = parseProgramCommandLine(int(words.size()), argv.data());
    else
        p.options = dravin::parseCommandLine(int(words.size()), argv.data());
    const CommandLine& r = p.options;
    if (r.action == CommandLine::Action::usageError)
        return r.error;
    std::string line = std::to_string(int(r.action)) + (r.window ? " w" : " f") +
                       std::to_string(r.windowWidth) + "x" + std::to_string(r.windowHeight) + " " +
                       std::to_string(r.frames) + " [" + r.screenshot + "] [" + r.operand + "]";
    if (p.thumbnailSize)
        line.append(" ").append(std::to_string(p.thumbnailSize)).append(" " + p.thumbnail);
    return line;
}

} // namespace

TEST(CommandLine, EachOptionSetsWhatItNames) {
    ASSERT_EQ(chdir("/tmp"), 0);
    // Actions: 0 run, 1 help, 2 version.
    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "0 f1280x800 0 [] []"}, {{"-h"}, "1 f1280x800 0 [] []"},
        {{"--help", "--bogus"}, "1 f1280x800 0 [] []"}, {{"--version"}, "2 f1280x800 0 [] []"},
        {{"-w"}, "0 w1280x800 0 [] []"}, {{"--window=640x480"}, "0 w640x480 0 [] []"},
        {{"-w320x200"}, "0 w320x200 0 [] []"},
        // An optional value only ever in the same word: the next word is the model.
        {{"--window", "640x480"}, "0 w1280x800 0 [] [/tmp/640x480]"},
        {{"--frames", "3"}, "0 f1280x800 3 [] []"}, {{"--frames=2147483647"}, "0 f1280x800 2147483647 [] []"},
        {{"--screenshot", "a.png"}, "0 f1280x800 1 [/tmp/a.png] []"}, {{"--screenshot=/x/y.png", "--frames", "5"}, "0 f1280x800 5 [/x/y.png] []"},
        {{"m/k.obj", "-w"}, "0 w1280x800 0 [] [/tmp/m/k.obj]"}, {{"--", "-w"}, "0 f1280x800 0 [] [/tmp/-w]"},
        // A file manager fills in the paths: whatever they begin with, they are paths.
        {{"--thumbnail", "1024", "-h", "o.png"}, "0 f1280x800 0 [] [/tmp/-h] 1024 /tmp/o.png"},
        {{"--thumbnail=1", "/m", "--"}, "0 f1280x800 0 [] [/m] 1 /tmp/--"},
    };
    // clang-format on
    for (const auto& [words, expected] : cases)
        EXPECT_EQ(parse(words), expected) << ::testing::PrintToString(words);
}

TEST(CommandLine, UsageErrorsAreOneLineNamingTheWordWithAHintToHelp) {
    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "unknown option '--bogus'"}, {{"--bogus", "--help"}, "unknown option '--bogus'"},
        {{"-xh"}, "unknown option '-x'"}, {{"--help=1"}, "option '--help' takes no value"},
        {{"--frames"}, "option '--frames' needs a value"}, {{"--screenshot="}, "option '--screenshot' needs a value"},
        {{"--frames", "0"}, "bad value '0' for --frames: a whole number from 1 expected"},
        {{"--frames", " 3"}, "bad value ' 3' for --frames:"}, {{"--frames", "3x"}, "bad value '3x' for --frames:"},
        {{"--frames", "2147483648"}, "bad value '2147483648' for --frames:"},
        {{"--window=0x480"}, "bad value '0x480' for --window: WIDTHxHEIGHT expected, each from 1"},
        {{"--window=640"}, "bad value '640' for --window:"}, {{"-w16385x10"}, "bad value '16385x10' for -w:"},
        {{"a.obj", "b.obj"}, "one model at most, but 'b.obj' follows another"},
        {{"--thumbnail", "0", "m", "o"}, "bad value '0' for --thumbnail: a size from 1 to 1024"},
        {{"--thumbnail=1025", "m", "o"}, "bad value '1025' for --thumbnail:"},
        {{"--thumbnail", "8", "m"}, "option '--thumbnail' needs SIZE, MODEL and OUT.png"},
        {{"-w", "--thumbnail", "8", "m", "o"}, "option '--thumbnail' takes no other option"},
        {{"--thumbnail", "8", "m", "o", "a.obj"}, "one model at most, but 'a.obj' follows"},
        {{"--record", "a.mp4", "--thumbnail", "8", "m", "o"},
         "option '--thumbnail' takes no other"},
        {{"--fps", "1001"}, "bad value '1001' for --fps: a whole number from 1 to 1000 expected"},
        {{"--record"}, "option '--record' needs a value"},
        {{"--turntable", "--thumbnail", "8", "m", "o"}, "option '--turntable' needs a model"},
    };
    // clang-format on
    for (const auto& [words, named] : cases) {
        const std::string line = parse(words);
        EXPECT_TRUE(line.starts_with("dravin: " + named)) << line;
        EXPECT_TRUE(line.ends_with(" (try 'dravin --help')")) << line;
    }
    // A scene run through dravin::run takes no model, and its help names none.
    EXPECT_EQ(parse({"a.obj"}, ModelOperand::refused),
              "dravin: unexpected argument 'a.obj' (try 'dravin --help')");
    EXPECT_EQ(parse({"--thumbnail", "8", "m", "o"}, ModelOperand::refused),
              "dravin: unknown option '--thumbnail' (try 'dravin --help')");
    EXPECT_EQ(dravin::usageText({}).find("MODEL"), std::string::npos);
}

TEST(CommandLine, AModelOpenedLaterKeepsTheWindowButNotTheCapture) {
    ASSERT_EQ(chdir("/tmp"), 0);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "0 f1280x800 0 [] [/m/-w.obj]"},
        {{"-w640x480", "--frames", "3", "--screenshot", "a.png"}, "0 w640x480 0 [] [/m/-w.obj]"},
        {{"--window", "old.obj"}, "0 w1280x800 0 [] [/m/-w.obj]"},
    };
    for (const auto& [words, expected] : cases) {
        std::vector<const char*> argv{"dravin"};
        for (const auto& w : words)
            argv.push_back(w.c_str());
        const CommandLine running = parseProgramCommandLine(int(argv.size()), argv.data()).options;
        auto again = commandLineForModel(running, "/m/-w.obj");
        EXPECT_EQ(again.front(), "dravin");
        again.erase(again.begin());
        EXPECT_EQ(parse(again), expected) << testing::PrintToString(words);
    }
}
