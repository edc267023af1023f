// The public entry point: a scene's whole main is
//     return dravin::run<MyScene>(argc, argv);
// It takes the program's command line (window mode, --frames, --screenshot),
// shows the scene in the application shell and ends with the exit status.
#pragma once

#include "app/CommandLine.h"
#include "app/MyOpenGLView.h"

#include <functional>
#include <memory>

namespace dravin {

using ViewFactory = std::function<std::unique_ptr<MyOpenGLView>()>;

// Shows the view that makeView creates as the options say, full screen (a
// FullscreenWindow) or in a normal window, and runs the application loop.
// Ends the process when the loop ends: 0 after a quit, a signal or the last
// of --frames, 1 when the screenshot cannot be written. Returns 1 when the
// application could not start.
int runView(int argc, char** argv, const CommandLine& options, const ViewFactory& makeView);

// For a command line whose action is not run: prints the usage, the version
// or the error line and returns the exit status (0, or 2 for a usage error).
int finishWithoutRunning(const CommandLine& parsed, const Syntax& syntax = {});

template <class Scene> int run(int argc, char** argv) {
    const CommandLine options = parseCommandLine(argc, argv);
    if (options.action != CommandLine::Action::run)
        return finishWithoutRunning(options);
    return runView(argc, argv, options, [] { return std::make_unique<Scene>(); });
}

} // namespace dravin
