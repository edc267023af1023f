#include "viewer/Thumbnail.h"

#include "app/FrameCapture.h"
#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "host/OpenGLView.h"
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"
#include "mesh/ObjModel.h"
#include "viewer/ModelViewer.h"
#include "viewer/Watchdog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The viewer without its loops: one frame, drawn when asked.
class ThumbnailView : public ModelViewer {
  public:
    using ModelViewer::ModelViewer;
    void startThreads() override {}
};

struct Failure {
    const std::string& program;
    const std::string& model;
    int operator()(const std::string& why) const {
        diag::err("%s: no thumbnail of %s: %s\n", program.c_str(), model.c_str(), why.c_str());
        return 1;
    }
};

// The texture maps the drawing will read count against the budget too.
bool withinBudget(const mesh::ObjModel& model, BudgetedFiles& files) {
    for (const mesh::ObjMaterial& m : model.materials) {
        struct stat info {};
        if (!m.diffuseMap.empty() && stat(m.diffuseMap.c_str(), &info) == 0 &&
            S_ISREG(info.st_mode) && !files.addBytes(uint64_t(info.st_size)))
            return false;
    }
    return files.over().empty();
}

// Written under a name of its own beside output, then renamed over it: a
// reader of output sees the whole picture or none.
std::string writePicture(const std::string& output, int size, const std::vector<uint32_t>& argb) {
    std::string temporary = output + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return std::strerror(errno);
    close(fd);
    if (host::MediaWriteImage(temporary, host::kMediaTypePNG, size, size, argb.data(), false) !=
        0) {
        unlink(temporary.c_str());
        return "the picture could not be written";
    }
    if (rename(temporary.c_str(), output.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return std::strerror(error);
    }
    return {};
}

} // namespace

int drawThumbnail(const std::string& program, const std::string& model, const std::string& output,
                  int size) {
    const Failure fail{program, model};
    Watchdog watchdog(kThumbnailSeconds, [fail] {
        fail("it took longer than " + std::to_string(int(kThumbnailSeconds)) + " s");
        std::_Exit(1);
    });
    if (!ModelViewer::canRead(model))
        return 1;
    struct stat info {};
    if (stat(model.c_str(), &info) == 0 && uint64_t(info.st_size) > kThumbnailLimits.bytes)
        return fail("larger than " + std::to_string(kThumbnailLimits.bytes >> 20) + " MiB");
    // The names the model holds are taken from its folder.
    if (chdir(ModelViewer::folderOf(model).c_str()) != 0)
        return fail(std::string("cannot change to its folder: ") + std::strerror(errno));

    host::MediaSetDecodeLimit(kThumbnailDecodeBytes);
    auto read = std::make_unique<mesh::ObjModel>();
    BudgetedFiles files(kThumbnailLimits);
    mesh::ObjReadOptions options;
    options.confineToModelFolder = true;
    if (!mesh::readObjModel(model.c_str(), *read, files.source(), options))
        return fail("it cannot be read");
    if (!withinBudget(*read, files))
        return fail(files.over());
    if (read->positions.empty())
        return fail("it has no vertices");

    host::InterfaceDescription description;
    description.offscreen = true;
    description.contentRect = {0, 0, float(size), float(size)};
    auto given = std::make_shared<std::unique_ptr<mesh::ObjModel>>(std::move(read));
    description.makeView = [model, given]() -> std::unique_ptr<host::OpenGLView> {
        return std::make_unique<ThumbnailView>(model, std::move(*given));
    };
    host::Application& app = host::Application::shared();
    if (!app.load(description))
        return 1; // the line saying what was missing is out
    std::vector<uint32_t> picture;
    app.setFrameHook([&](host::OpenGLView&) { picture = dravin::readBackBuffer(size, size); });
    app.mainView()->display();
    app.setFrameHook({});
    if (picture.empty())
        return fail("nothing was drawn");

    // From here on the work is bounded: the picture is encoded and written.
    if (!watchdog.disarm())
        return 1;
    const std::string error = writePicture(output, size, picture);
    if (!error.empty())
        return fail("cannot write " + output + ": " + error);
    return 0;
}
