// A program's command line, GNU style: PROGRAM [OPTIONS] [OPERAND]. The
// framework's options (window, frames, screenshot, record, fps, help,
// version) are parsed here; a program adds its operand and options of its
// own through a Syntax.
// Parsing prints nothing and touches nothing, so every case can be tested;
// run() (app/Run.h) acts on the result.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dravin {

struct CommandLine {
    enum class Action { run, help, version, usageError };
    Action action{Action::run};
    // The name the usage and the error lines give the program.
    std::string program{"dravin"};

    // A normal, decorated, resizable window instead of the full screen.
    bool window{};
    int windowWidth{1280};
    int windowHeight{800};
    // Stop after this many drawn frames; 0 runs until the user quits.
    int frames{};
    // Absolute paths (resolved against the directory the program started
    // in); empty when not asked for.
    std::string screenshot;
    // The movie the drawn frames go into, and its nominal frame rate.
    std::string record;
    int fps{60};
    std::string operand;

    // For usageError: the one line that names what was wrong.
    std::string error;
    // Makes this a usage error whose line names what was wrong.
    void refuse(const std::string& what);
};

// What a program adds to the framework's command line. A scene run through
// dravin::run adds nothing.
struct Syntax {
    // The operand as the usage names it ("MODEL.obj") and as an error line
    // does ("model"); empty: the program takes none.
    std::string operand;
    std::string operandNoun;
    // The usage's line under "Usage:".
    std::string summary{"Shows the scene full screen, or in a window."};

    // An option of the program's own: --name and the words after it (a value
    // after '=' is the first), taken as they are whatever they begin with.
    struct Option {
        std::string name;
        int words{1};
        // For the line of a missing word, e.g. "SIZE, MODEL and OUT.png".
        std::string wordNames;
        // Takes the words as they are met; returns what is wrong with them
        // ("" when nothing is), which makes the parse a usage error.
        std::function<std::string(const std::vector<std::string>& words, CommandLine& parsed)> take;
    };
    std::vector<Option> options;
    // The usage's lines of those options, and its text after the options.
    std::string optionsHelp;
    std::string notes;
};

CommandLine parseCommandLine(int argc, const char* const* argv, const Syntax& syntax = {});

// The --help text: every option, the program's notes and the exit statuses.
std::string usageText(const CommandLine& parsed, const Syntax& syntax = {});
// "dravin X.Y.Z\n".
std::string versionText();

// Whether text is a whole number from min to max, written as digits alone;
// then value is that number.
bool parseWhole(std::string_view text, long min, long max, long& value);

// The path made absolute against the current directory; unchanged when it is
// absolute already or empty.
std::string absolutePath(const std::string& path);

} // namespace dravin
