// dravin [OPTIONS] [MODEL.obj]: the demo scene, or the viewer for one model,
// or (--thumbnail) a picture of the model for a file manager.
#include "app/Run.h"
#include "scene/dravinView.h"
#include "viewer/ModelViewer.h"
#include "viewer/Thumbnail.h"

#include <memory>

int main(int argc, char** argv) {
    using namespace dravin;
    const CommandLine options = parseCommandLine(argc, argv, ModelOperand::accepted);
    if (options.action != CommandLine::Action::run)
        return finishWithoutRunning(options, ModelOperand::accepted);
    if (options.thumbnailSize > 0)
        return drawThumbnail(options.program, options.model, options.thumbnail,
                             options.thumbnailSize);
    if (options.model.empty())
        return runView(argc, argv, options, [] { return std::make_unique<dravinView>(); });
    // A model that cannot be read ends the program before any window opens.
    if (!ModelViewer::canRead(options.model))
        return 1;
    return runView(argc, argv, options,
                   [model = options.model] { return std::make_unique<ModelViewer>(model); });
}
