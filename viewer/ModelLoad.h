// Reading a model and making its drawing on a thread of its own, while the
// view shows how far it has come. Nothing here touches GL.
#pragma once

#include "mesh/ObjModel.h"
#include "viewer/ViewerMesh.h"

#include <atomic>
#include <memory>
#include <string>

class ModelLoad {
  public:
    // The model named by path, relative to the current directory; or the
    // model read from it already, which is then only framed and drawn.
    explicit ModelLoad(std::string path, std::unique_ptr<mesh::ObjModel> readAlready = nullptr)
        : model(std::move(readAlready)), path_(std::move(path)) {}
    bool hasModel() const { return model != nullptr; }

    // On the loading thread: reads the file (unless read already), frames the
    // model and makes its drawing, then marks the load done.
    void run();

    // The share done, 0 to 1: reading the file up to kReadShare, then making
    // the drawing. Any thread.
    static constexpr float kReadShare = 0.85f;
    float progress() const { return progress_.load(std::memory_order_relaxed); }
    bool done() const { return done_.load(std::memory_order_acquire); }

    // Once done: what the load made, for the main thread to take.
    std::unique_ptr<mesh::ObjModel> model;
    std::unique_ptr<ViewerMesh> drawing;
    // What the model held before the drawing took its arrays.
    size_t vertexCount{};
    bool hasElements{};

    // The loading thread: count more bytes of the model file read.
    void countRead(size_t count);

  private:
    void read();

    std::string path_;
    size_t size_{};
    size_t read_{};
    std::atomic<float> progress_{};
    std::atomic<bool> done_{};
};
