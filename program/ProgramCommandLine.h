// The dravin program's command line: the framework's options, a MODEL.obj
// operand, --thumbnail SIZE MODEL OUT.png, and the viewer's keys in its help.
#pragma once

#include "app/CommandLine.h"

#include <string>
#include <vector>

// The largest thumbnail side: a file manager's largest size.
inline constexpr int kMaxThumbnailSize = 1024;
// A turntable's frames unless --frames says.
inline constexpr int kTurntableFrames = 120;

struct ProgramCommandLine {
    // Its operand is the model, absolute; empty for the demo scene.
    dravin::CommandLine options;
    // --thumbnail: a thumbnailSize x thumbnailSize picture of the model at
    // this path (absolute) instead of a run; thumbnailSize 0 when not asked for.
    int thumbnailSize{};
    std::string thumbnail;
    // Whether a model was named before --thumbnail (refused once the whole
    // line is read; one after is refused as a second model).
    bool modelBeforeThumbnail{};
    // --turntable: the viewer turns the model once over options.frames.
    bool turntable{};
};

ProgramCommandLine parseProgramCommandLine(int argc, const char* const* argv);

// The program's additions to the framework's command line, as --help shows
// them. into, when given, receives what --thumbnail asks for.
dravin::Syntax programSyntax(ProgramCommandLine* into = nullptr);

// The words of a command line that shows model in the window the running
// one asked for (full screen, or a window of its size), without its --frames
// and --screenshot; the first word is the program's name.
std::vector<std::string> commandLineForModel(const dravin::CommandLine& running,
                                             const std::string& model);
