// dravin [OPTIONS] [MODEL.obj]: the demo scene, or the viewer for one model.
#include "app/Run.h"
#include "scene/dravinView.h"
#include "viewer/ModelViewer.h"

#include <memory>

int main(int argc, char** argv) {
    using namespace dravin;
    const CommandLine options = parseCommandLine(argc, argv, ModelOperand::accepted);
    if (options.action != CommandLine::Action::run)
        return finishWithoutRunning(options, ModelOperand::accepted);
    if (options.model.empty())
        return runView(argc, argv, options, [] { return std::make_unique<dravinView>(); });
    // A model that cannot be read ends the program before any window opens.
    if (!ModelViewer::canRead(options.model))
        return 1;
    return runView(argc, argv, options,
                   [model = options.model] { return std::make_unique<ModelViewer>(model); });
}
