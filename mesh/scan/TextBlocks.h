// Internal to the mesh readers: reading a text file in blocks of whole lines
// with every core, as fast_obj's parser knows no file: this knows no model.
// The calling thread reads the file in order; helper threads read blocks
// ahead into parts, which the calling thread takes in file order. So a reader
// whose parts, taken in order, give what its own reading gives makes the same
// model and the same messages whichever thread reads a block.
#pragma once

#include "mesh/FileSource.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace mesh::detail {

struct Settings {
    // Bytes read for a block: it ends where the last line in them ends (with
    // what it left, the next begins), and a longer line makes it longer.
    size_t blockBytes = size_t{512} << 10;
    // Threads that read, the calling one among them. 0: one a core, or as
    // many as the environment variable DRAVIN_READ_THREADS says.
    unsigned threads = 0;
    // Bytes read at most; the rest of the file is left.
    size_t maxBytes = SIZE_MAX;
};

// What a reader of text blocks does with them.
class BlockReader {
  public:
    // The end of the last line that ends in [data, data + size), which starts
    // at a line's start: where a block may end. 0 when no line ends there.
    virtual size_t lastLineEnd(const char* data, size_t size) = 0;
    // Before any block: the number of parts the read uses at once (at least one).
    virtual void useParts(size_t parts) = 0;
    // A block of whole lines (the file's last one may end without a newline)
    // into the model: on the calling thread, in file order. Part number part
    // is free meanwhile, for a reader that reads through a part.
    virtual void readInOrder(size_t part, const char* data, size_t size) = 0;
    // A block into part number part (below useParts' count), ahead of the
    // blocks before it: on any thread, one block a part at a time. It may
    // throw (memory); that block is then read in order instead.
    virtual void readAhead(size_t part, const char* data, size_t size) = 0;
    // A part read ahead into the model: on the calling thread, in file order,
    // while its block's bytes are still there.
    virtual void takePart(size_t part) = 0;

  protected:
    ~BlockReader() = default;
};

struct Result {
    size_t bytes = 0;     // read
    bool cut = false;     // the file went on past maxBytes
    unsigned threads = 1; // that read blocks
};

// Reads the open file to its end (or maxBytes) through reader. Returns what
// it read; an exception of the reader's own calls ends it.
Result read(const mesh::FileSource& files, void* file, BlockReader& reader,
            const Settings& settings);

// The threads a read uses at most when Settings::threads is asked.
unsigned threadsFor(unsigned asked);

// Asks the system for large pages for the whole large pages inside
// [p, p + bytes), before they are first touched: where a fresh page costs
// tens of microseconds (on virtual machines), a large page takes the place of 512.
void adviseLargePages(void* p, size_t bytes);

// Memory for large arrays: in large pages from 1 MiB on, else from the heap.
void* allocateLarge(size_t bytes); // nullptr when there is none
void releaseLarge(void* p, size_t bytes);

template <class T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U>&) {}
    T* allocate(size_t n) {
        if (n > SIZE_MAX / sizeof(T))
            throw std::bad_array_new_length();
        void* p = allocateLarge(n * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) { releaseLarge(p, n * sizeof(T)); }
    template <class U> bool operator==(const LargeAllocator<U>&) const { return true; }
};

template <class T> using LargeVector = std::vector<T, LargeAllocator<T>>;

// Room for records that are written before they are read, so nothing is
// filled in beforehand: large memory whose pages are first touched by the
// records themselves.
template <class T> class RawArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    RawArray() = default;
    RawArray(RawArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {
    }
    RawArray& operator=(RawArray&&) = delete;
    ~RawArray() { releaseLarge(data_, capacity_ * sizeof(T)); }

    T* data() const { return data_; }
    size_t capacity() const { return capacity_; }
    // Room for n records, keeping the first kept.
    void reserve(size_t n, size_t kept) {
        if (n <= capacity_)
            return;
        if (n > SIZE_MAX / sizeof(T))
            throw std::bad_array_new_length();
        T* fresh = static_cast<T*>(allocateLarge(n * sizeof(T)));
        if (!fresh)
            throw std::bad_alloc();
        if (kept)
            std::memcpy(static_cast<void*>(fresh), data_, kept * sizeof(T));
        releaseLarge(data_, capacity_ * sizeof(T));
        data_ = fresh;
        capacity_ = n;
    }

  private:
    T* data_ = nullptr;
    size_t capacity_ = 0;
};

// Room for more entries in v, growing it as push_back does, or to expected
// entries when that is more, but into fresh memory given large pages before
// the entries are copied into it.
template <class T> void reserveMore(std::vector<T>& v, size_t more, size_t expected = 0) {
    if (more <= v.capacity() - v.size())
        return;
    if (more > v.max_size() - v.size())
        throw std::length_error("reserveMore");
    std::vector<T> fresh;
    fresh.reserve(std::max({v.size() + more, std::min(v.max_size(), 2 * v.capacity()),
                            std::min(v.max_size(), expected)}));
    adviseLargePages(fresh.data(), fresh.capacity() * sizeof(T));
    fresh.insert(fresh.end(), v.begin(), v.end());
    v.swap(fresh);
}

// Calls f(worker, begin, end) for consecutive ranges of [0, count) of grain
// items (the last shorter) on up to threads threads, this one among them;
// worker (below threads) tells the threads apart. The first exception of f
// is thrown here once every thread has ended.
template <class F> void forEachRange(size_t count, size_t grain, unsigned threads, F&& f) {
    grain = std::max<size_t>(grain, 1);
    const size_t ranges = count / grain + (count % grain != 0);
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    const auto work = [&](unsigned worker) {
        try {
            for (size_t r; !failed && (r = next++) < ranges;)
                f(worker, r * grain, std::min(count, (r + 1) * grain));
        } catch (...) {
            if (!failed.exchange(true))
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    const unsigned wanted = unsigned(std::min<size_t>(std::max(threads, 1u), ranges));
    for (unsigned w = 1; w < wanted; ++w) {
        try {
            helpers.emplace_back(work, w);
        } catch (...) {
            break; // no thread to be had: the others do its share
        }
    }
    work(0);
    for (std::thread& t : helpers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace mesh::detail
