#include "viewer/ModelLoad.h"

#include "viewer/ModelFraming.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace {

// The system's files, counting the bytes read of the model file (the first
// one opened) for the progress.
class CountingFiles final : public mesh::WatchedFiles {
  public:
    explicit CountingFiles(ModelLoad& load) : load_(load) {}

  private:
    void opened(void* file) override {
        if (!std::exchange(opened_, true))
            model_ = file;
    }
    bool passed(void* file, const char*, size_t size) override {
        if (file == model_)
            load_.countRead(size);
        return true;
    }
    void closing(void* file) override {
        if (file == model_)
            model_ = nullptr;
    }

    ModelLoad& load_;
    void* model_{};
    bool opened_{};
};

} // namespace

void ModelLoad::countRead(size_t count) {
    read_ += count;
    if (size_ > 0)
        progress_.store(kReadShare * float(std::min(read_, size_)) / float(size_),
                        std::memory_order_relaxed);
}

void ModelLoad::run() {
    if (!model)
        read();
    progress_.store(kReadShare, std::memory_order_relaxed);
    fitIntoUnitSphere(model->positions);
    vertexCount = model->positions.size();
    hasElements = !model->polygons.empty() || !model->lines.empty() || !model->points.empty();
    // Takes the model's arrays: only its name and materials stay.
    drawing = std::make_unique<ViewerMesh>(*model);
    progress_.store(1.0f, std::memory_order_relaxed);
    done_.store(true, std::memory_order_release);
}

void ModelLoad::read() {
    struct stat info {};
    if (stat(path_.c_str(), &info) == 0 && info.st_size > 0)
        size_ = size_t(info.st_size);
    CountingFiles files(*this);
    const mesh::FileSource source = files.source();
    model = std::make_unique<mesh::ObjModel>();
    mesh::readObjModel(path_.c_str(), *model, source);
}
