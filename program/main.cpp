// dravin [OPTIONS] [MODEL.obj]: the demo scene, or the viewer for one model,
// or (--thumbnail) a picture of the model for a file manager.
#include "app/Run.h"
#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "program/ProgramCommandLine.h"
#include "scene/dravinView.h"
#include "viewer/ModelViewer.h"
#include "viewer/Thumbnail.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// A model dropped on the window: the program starts again as its viewer, in
// the same kind of window, so no state of the scene before carries over. A
// file that cannot be read leaves everything as it was, after its one line.
void openDroppedModel(const dravin::CommandLine& options, const std::string& path) {
    // Starting again would cut the recording short.
    if (!options.record.empty()) {
        diag::err("%s: not opening %s while recording\n", options.program.c_str(), path.c_str());
        return;
    }
    if (!ModelViewer::canRead(path))
        return;
    std::vector<std::string> words = commandLineForModel(options, path);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    execv("/proc/self/exe", argv.data());
    diag::err("%s: cannot open the model %s: %s\n", options.program.c_str(), path.c_str(),
              std::strerror(errno));
}

} // namespace

int main(int argc, char** argv) {
    const ProgramCommandLine parsed = parseProgramCommandLine(argc, argv);
    const dravin::CommandLine& options = parsed.options;
    if (options.action != dravin::CommandLine::Action::run)
        return dravin::finishWithoutRunning(options, programSyntax());
    if (parsed.thumbnailSize > 0)
        return drawThumbnail(options.program, options.operand, parsed.thumbnail,
                             parsed.thumbnailSize);
    host::Application::shared().setOpenFileHandler(
        [options](const std::string& path) { openDroppedModel(options, path); });
    if (options.operand.empty())
        return dravin::runView(argc, argv, options, [] { return std::make_unique<dravinView>(); });
    // A model that cannot be read ends the program before any window opens.
    if (!ModelViewer::canRead(options.operand))
        return 1;
    const int turntable = parsed.turntable ? options.frames : 0;
    return dravin::runView(argc, argv, options, [model = options.operand, turntable] {
        auto viewer = std::make_unique<ModelViewer>(model);
        viewer->setTurntable(turntable);
        return viewer;
    });
}
