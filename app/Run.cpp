#include "app/Run.h"

#include "app/DesktopWindow.h"
#include "app/FrameCapture.h"
#include "app/FullscreenWindow.h"
#include "diag/Diagnostics.h"
#include "host/Application.h"

#include <cstdio>

namespace dravin {

int finishWithoutRunning(const CommandLine& parsed, const Syntax& syntax) {
    switch (parsed.action) {
    case CommandLine::Action::help:
        diag::out("%s", usageText(parsed, syntax).c_str());
        return 0;
    case CommandLine::Action::version:
        diag::out("%s", versionText().c_str());
        return 0;
    case CommandLine::Action::usageError:
        diag::err("%s\n", parsed.error.c_str());
        return 2;
    case CommandLine::Action::run:
        break;
    }
    return 0;
}

int runView(int argc, char** argv, const CommandLine& options, const ViewFactory& makeView) {
    // Lines arrive as they are printed, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    host::InterfaceDescription description;
    if (options.window) {
        description.contentRect = {0, 0, float(options.windowWidth), float(options.windowHeight)};
        description.styleMask =
            host::NSTitledWindowMask | host::NSClosableWindowMask | host::NSResizableWindowMask;
        description.makeWindow = [](const host::Rect& rect, uint32_t style,
                                    host::BackingStore backing, bool defer) {
            return std::make_unique<DesktopWindow>(rect, style, backing, defer);
        };
    } else {
        description.contentRect = {0, 0, 800, 600};
        description.makeWindow = [](const host::Rect& rect, uint32_t style,
                                    host::BackingStore backing, bool defer) {
            return std::make_unique<FullscreenWindow>(rect, style, backing, defer);
        };
    }
    description.makeView = [makeView]() -> std::unique_ptr<host::OpenGLView> { return makeView(); };
    if (!captureFrames(options))
        return 1;
    return host::applicationMain(argc, argv, description);
}

} // namespace dravin
