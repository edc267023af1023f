// The command line, option by option: what each word sets, and which words
// are usage errors.
#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

using dravin::CommandLine;
using dravin::ModelOperand;
using Action = CommandLine::Action;

namespace {

CommandLine parse(std::vector<std::string> words, ModelOperand operand = ModelOperand::accepted) {
    words.insert(words.begin(), "/usr/lib/dravin/dravin");
    std::vector<const char*> argv;
    for (const auto& w : words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);
    return dravin::parseCommandLine(int(words.size()), argv.data(), operand);
}

std::string cwd() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

} // namespace

TEST(CommandLine, EachOptionSetsWhatItNames) {
    struct Case {
        std::vector<std::string> words;
        Action action;
        bool window;
        int width, height, frames;
        std::string screenshot, model; // "@" stands for the current directory
    };
    const std::vector<Case> cases = {
        {{}, Action::run, false, 1280, 800, 0, "", ""},
        {{"-h"}, Action::help, false, 1280, 800, 0, "", ""},
        {{"--help", "--bogus"}, Action::help, false, 1280, 800, 0, "", ""},
        {{"--version"}, Action::version, false, 1280, 800, 0, "", ""},
        {{"-w"}, Action::run, true, 1280, 800, 0, "", ""},
        {{"--window=640x480"}, Action::run, true, 640, 480, 0, "", ""},
        {{"-w320x200"}, Action::run, true, 320, 200, 0, "", ""},
        // An optional value only ever in the same word: the next word is the model.
        {{"--window", "640x480"}, Action::run, true, 1280, 800, 0, "", "@/640x480"},
        {{"--frames", "3"}, Action::run, false, 1280, 800, 3, "", ""},
        {{"--frames=2147483647"}, Action::run, false, 1280, 800, 2147483647, "", ""},
        {{"--screenshot", "a.png"}, Action::run, false, 1280, 800, 1, "@/a.png", ""},
        {{"--screenshot=/x/y.png", "--frames", "5"},
         Action::run,
         false,
         1280,
         800,
         5,
         "/x/y.png",
         ""},
        {{"m/k.obj", "-w"}, Action::run, true, 1280, 800, 0, "", "@/m/k.obj"},
        {{"/abs.obj"}, Action::run, false, 1280, 800, 0, "", "/abs.obj"},
        {{"--", "-w"}, Action::run, false, 1280, 800, 0, "", "@/-w"},
        {{"-"}, Action::run, false, 1280, 800, 0, "", "@/-"},
    };
    auto resolve = [](std::string s) { return s.starts_with("@") ? cwd() + s.substr(1) : s; };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        const CommandLine r = parse(c.words);
        EXPECT_EQ(r.action, c.action) << r.error;
        EXPECT_EQ(r.window, c.window);
        EXPECT_EQ(r.windowWidth, c.width);
        EXPECT_EQ(r.windowHeight, c.height);
        EXPECT_EQ(r.frames, c.frames);
        EXPECT_EQ(r.screenshot, resolve(c.screenshot));
        EXPECT_EQ(r.model, resolve(c.model));
        EXPECT_EQ(r.program, "dravin");
    }
}

TEST(CommandLine, UsageErrorsNameTheWordAndPointToHelp) {
    struct Case {
        std::vector<std::string> words;
        std::string named;
        ModelOperand operand = ModelOperand::accepted;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--bogus", "--help"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"-xh"}, "unknown option '-x'"},
        {{"--help=1"}, "'--help' takes no value"},
        {{"--frames"}, "'--frames' needs a value"},
        {{"--screenshot="}, "'--screenshot' needs a value"},
        {{"--screenshot"}, "'--screenshot' needs a value"},
        {{"--frames", "0"}, "bad value '0' for --frames"},
        {{"--frames=-1"}, "bad value '-1' for --frames"},
        {{"--frames", "3x"}, "bad value '3x' for --frames"},
        {{"--frames", " 3"}, "bad value ' 3' for --frames"},
        {{"--frames", "2147483648"}, "bad value '2147483648' for --frames"},
        {{"--window=640"}, "bad value '640' for --window"},
        {{"--window=0x480"}, "bad value '0x480' for --window"},
        {{"--window=640x"}, "bad value '640x' for --window"},
        {{"--window=x480"}, "bad value 'x480' for --window"},
        {{"--window=16385x10"}, "bad value '16385x10' for --window"},
        {{"-w640x480x2"}, "bad value '640x480x2' for -w"},
        {{"a.obj", "b.obj"}, "one model at most, but 'b.obj' follows another"},
        {{"a.obj"}, "unexpected argument 'a.obj'", ModelOperand::refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        const CommandLine r = parse(c.words, c.operand);
        EXPECT_EQ(r.action, Action::usageError);
        EXPECT_TRUE(r.error.starts_with("dravin: ")) << r.error;
        EXPECT_NE(r.error.find(c.named), std::string::npos) << r.error;
        EXPECT_TRUE(r.error.ends_with(" (try 'dravin --help')")) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(CommandLine, HelpListsEveryOptionTheKeysOnlyWithAModelAndTheExitStatuses) {
    const CommandLine parsed = parse({"--help"});
    const std::string program = dravin::usageText(parsed, ModelOperand::accepted);
    const std::string scene = dravin::usageText(parsed, ModelOperand::refused);
    for (const char* word : {"--help", "--version", "--window[=WIDTHxHEIGHT]", "--frames N",
                             "--screenshot FILE.png", "Exit status", "2 for a usage error"}) {
        EXPECT_NE(program.find(word), std::string::npos) << word;
        EXPECT_NE(scene.find(word), std::string::npos) << word;
    }
    EXPECT_NE(program.find("[MODEL.obj]"), std::string::npos);
    EXPECT_NE(program.find("Esc, Q quit"), std::string::npos);
    EXPECT_EQ(scene.find("MODEL.obj"), std::string::npos);
    EXPECT_TRUE(
        std::regex_match(dravin::versionText(), std::regex("dravin [0-9]+\\.[0-9]+\\.[0-9]+\n")));
}
