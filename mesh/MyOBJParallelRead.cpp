// Reading a model with a helper thread. Each block of the file is cut after
// a newline near its middle (a new piece of the reader starts there). This
// thread reads the first part as the reader always does, while the helper
// scans the records of the second part into a batch. This thread then appends
// the batch and, in file order between its records, reads every line the
// helper left: lines that print, read a library, change materials or need the
// C library's scanner. So the model, the messages and their order are those
// of one thread reading the file from start to end.
#include "mesh/MyOBJ.h"
#include "mesh/MyOBJDropped.h"
#include "mesh/ObjRecords.h"
#include "mesh/ObjScan.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

using objrecords::LineKind;

namespace {

// Blocks smaller than this (or than half the block size) are not worth a hand-over.
constexpr size_t kMinSharedBlock = 64 * 1024;

enum Record { kVertex, kTextureVertex, kNormal, kFace, kRecordKinds };

// What the helper made of its part of a block.
struct Batch {
    static constexpr int32_t kRecords = 1 << 16;
    static constexpr int32_t kLeftLines = 1 << 14;

    struct LeftLine {
        const char* line;
        const char* end;
        int32_t marks[kRecordKinds]; // records of each kind scanned before it
    };

    Vector3D verts[kRecords];
    Vector3D textureVerts[kRecords];
    Vector3D normals[kRecords];
    Face faces[kRecords];
    int32_t counts[kRecordKinds];
    LeftLine left[kLeftLines];
    int32_t leftCount;
    size_t used;  // bytes of the part taken
    bool stopped; // the left lines filled up before the part's end

    // One piece: false when it must be left and there is no room to.
    bool scan(const char* line, const char* end) {
        const auto take = [&](Record kind, auto* list, auto scanQuickly) {
            if (counts[kind] < kRecords && scanQuickly(line, end, list[counts[kind]])) {
                ++counts[kind];
                return true;
            }
            return leaveLine(line, end);
        };
        switch (objrecords::kindOf(line, end)) {
        case LineKind::Blank:
        case LineKind::Comment:
            return true;
        case LineKind::Vertex:
            return take(kVertex, verts, objrecords::scanVertexQuickly);
        case LineKind::TextureVertex:
            return take(kTextureVertex, textureVerts, objrecords::scanTextureVertexQuickly);
        case LineKind::Normal:
            return take(kNormal, normals, objrecords::scanVertexQuickly);
        case LineKind::Face:
            return take(kFace, faces, objrecords::scanFaceQuickly);
        default:
            return leaveLine(line, end);
        }
    }

    bool leaveLine(const char* line, const char* end) {
        if (leftCount == kLeftLines) {
            stopped = true;
            return false;
        }
        LeftLine& l = left[leftCount++];
        l.line = line;
        l.end = end;
        std::copy(counts, counts + kRecordKinds, l.marks);
        return true;
    }

    void scanPart(const char* begin, size_t size, bool atEnd) {
        std::fill(counts, counts + kRecordKinds, 0);
        leftCount = 0;
        stopped = false;
        used = objscan::forEachPiece(begin, size, atEnd, [this](const char* line, const char* end) {
            return scan(line, end);
        });
    }
};

// The helper thread: one part at a time.
class Helper {
  public:
    explicit Helper(Batch& batch) : mBatch(batch), mThread([this] { run(); }) {}
    ~Helper() {
        {
            const std::lock_guard lock(mMutex);
            mQuit = true;
        }
        mWake.notify_all();
        mThread.join();
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    void start(const char* begin, size_t size, bool atEnd) {
        {
            const std::lock_guard lock(mMutex);
            mBegin = begin;
            mSize = size;
            mAtEnd = atEnd;
            mPending = true;
        }
        mWake.notify_all();
    }

    // True once the helper has scanned the part; false when it had not begun,
    // on a busy machine, and the caller takes the part back.
    bool finish() {
        std::unique_lock lock(mMutex);
        if (mPending) {
            mPending = false;
            return false;
        }
        mWake.wait(lock, [this] { return !mRunning; });
        return true;
    }

  private:
    void run() {
        std::unique_lock lock(mMutex);
        for (;;) {
            mWake.wait(lock, [this] { return mPending || mQuit; });
            if (mQuit) {
                return;
            }
            mPending = false;
            mRunning = true;
            lock.unlock();
            mBatch.scanPart(mBegin, mSize, mAtEnd);
            lock.lock();
            mRunning = false;
            mWake.notify_all();
        }
    }

    Batch& mBatch;
    std::mutex mMutex;
    std::condition_variable mWake;
    const char* mBegin = nullptr;
    size_t mSize = 0;
    bool mAtEnd = false;
    bool mPending = false;
    bool mRunning = false;
    bool mQuit = false;
    std::thread mThread; // last: it starts once the rest is made
};

// Fills the buffer from the file; false when the file has ended.
bool fill(const mesh::FileSource& files, void* file, char* buffer, size_t capacity, size_t& have) {
    while (have < capacity) {
        const size_t got = files.read(file, buffer + have, capacity - have, files.user);
        if (got == 0) {
            return false;
        }
        have += got;
    }
    return true;
}

// Appends count records to a full-capacity array; false when some did not fit.
template <class T>
bool appendRecords(const T* from, int32_t count, T* array, int32_t& arrayCount, int32_t capacity) {
    const int32_t n = std::min(count, capacity - arrayCount);
    std::copy(from, from + n, array + arrayCount);
    arrayCount += n;
    return n == count;
}

} // namespace

void MyOBJ::readOBJFile(void* file) {
    const auto readLine = [this](const char* line, const char* end) { readOBJLine(line, end); };
    const size_t blockBytes = std::max(readBlockBytes, size_t{1024});
    const size_t minShared = std::min(kMinSharedBlock, blockBytes / 2);
    // Two blocks, so that the next is read while the helper scans; before
    // each, room for the unfinished piece at the end of the other.
    constexpr size_t kRoom = objscan::kMaxPiece;
    const std::unique_ptr<char[]> buffer(
        readsInParallel ? new (std::nothrow) char[2 * (kRoom + blockBytes)] : nullptr);
    if (!buffer) {
        objscan::forEachPieceOfFile(*mFiles, file, readLine);
        return;
    }
    // Raw storage: the batch is an aggregate that every use writes before it
    // reads, and filling its 6 MB with zeros would cost more than a block's hand-over.
    const auto release = [](Batch* b) { std::free(b); };
    std::unique_ptr<Batch, decltype(release)> batch(nullptr, release);
    // Made at the first block worth sharing; without one, this thread reads all.
    std::optional<Helper> helper;
    bool helperTried = false;
    const auto shareable = [&](size_t have) {
        if (!helperTried && have >= minShared) {
            helperTried = true;
            batch.reset(static_cast<Batch*>(std::malloc(sizeof(Batch))));
            try {
                if (batch) {
                    helper.emplace(*batch);
                }
            } catch (...) {
                // No thread to be had: the same result from this one.
            }
        }
        return helper && have >= minShared;
    };
    // The helper's records up to marks, then in order each line it left.
    const auto appendBatch = [this](const Batch& b) {
        int32_t taken[kRecordKinds] = {};
        const auto appendUpTo = [&](const int32_t* marks) {
            const auto add = [&](Record kind, const auto* from, auto* array, int32_t& count,
                                 int32_t capacity, uint32_t droppedBit) {
                if (!appendRecords(from + taken[kind], marks[kind] - taken[kind], array, count,
                                   capacity)) {
                    mDropped |= droppedBit;
                }
                taken[kind] = marks[kind];
            };
            add(kVertex, b.verts, mVerts, mVertCount, kMaxVerts, meshdrop::kVerts);
            add(kTextureVertex, b.textureVerts, mTextureVerts, mTextureVertCount, kMaxVerts,
                meshdrop::kTextureVerts);
            add(kNormal, b.normals, mNormals, mNormalCount, kMaxVerts, meshdrop::kNormals);
            add(kFace, b.faces, mFaces, mFaceCount, kMaxFaces, meshdrop::kFaces);
        };
        for (int32_t i = 0; i < b.leftCount; ++i) {
            appendUpTo(b.left[i].marks);
            readOBJLine(b.left[i].line, b.left[i].end);
        }
        appendUpTo(b.counts);
    };
    char* const blocks[2] = {buffer.get() + kRoom, buffer.get() + 2 * kRoom + blockBytes};
    int current = 0;
    char* data = blocks[current];
    size_t have = 0;
    bool more = fill(*mFiles, file, data, blockBytes, have);
    for (;;) {
        const bool atEnd = !more;
        size_t nextHave = 0;
        const auto readNext = [&] {
            if (!atEnd) {
                more = fill(*mFiles, file, blocks[1 - current], blockBytes, nextHave);
            }
        };
        // The helper takes the larger part: this thread also reads the next
        // block and appends the batch.
        const size_t middle = have / 20 * 9;
        const void* newline =
            shareable(have) ? std::memchr(data + middle, '\n', have - middle) : nullptr;
        size_t used = 0;
        if (newline) {
            const size_t split = static_cast<size_t>(static_cast<const char*>(newline) - data) + 1;
            helper->start(data + split, have - split, atEnd);
            objscan::forEachPiece(data, split, true, readLine);
            readNext();
            used = split;
            const bool helped = helper->finish();
            if (helped) {
                appendBatch(*batch);
                used += batch->used;
            }
            if (!helped || batch->stopped) {
                used += objscan::forEachPiece(data + used, have - used, atEnd, readLine);
            }
        } else {
            used = objscan::forEachPiece(data, have, atEnd, readLine);
            readNext();
        }
        if (atEnd) {
            return;
        }
        // What is left is shorter than one piece: it goes before the next block.
        const size_t left = have - used;
        current = 1 - current;
        std::memcpy(blocks[current] - left, data + used, left);
        data = blocks[current] - left;
        have = left + nextHave;
    }
}
