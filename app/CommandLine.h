// The program's command line, GNU style: dravin [OPTIONS] [MODEL.obj].
// Parsing prints nothing and touches nothing, so every case can be tested;
// run() (app/Run.h) acts on the result.
#pragma once

#include <string>
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
    std::string model;
    // --thumbnail SIZE MODEL OUT.png: a SIZE x SIZE picture of the model at
    // this path (absolute) instead of a run; SIZE 0 when not asked for.
    int thumbnailSize{};
    std::string thumbnail;

    // For usageError: the one line that names what was wrong.
    std::string error;
};

// The largest thumbnail side: a file manager's largest size.
inline constexpr int kMaxThumbnailSize = 1024;

// Whether the program takes a MODEL.obj operand and --thumbnail (the program
// does; a scene run through dravin::run does not).
enum class ModelOperand { refused, accepted };

CommandLine parseCommandLine(int argc, const char* const* argv, ModelOperand operand);

// The --help text, listing every option, the viewer's keys when a model is
// accepted, and the exit statuses.
std::string usageText(const CommandLine& parsed, ModelOperand operand);
// "dravin X.Y.Z\n".
std::string versionText();

// The words of a command line that shows model in the window the running
// one asked for (full screen, or a window of its size), without its --frames
// and --screenshot; the first word is the program's name.
std::vector<std::string> commandLineForModel(const CommandLine& running, const std::string& model);

// The path made absolute against the current directory; unchanged when it is
// absolute already or empty.
std::string absolutePath(const std::string& path);

} // namespace dravin
