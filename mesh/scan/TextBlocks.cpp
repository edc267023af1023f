// The reader of text blocks: this thread reads the file and takes the blocks
// in order; helpers read the blocks after the next one into parts.
#include "mesh/scan/TextBlocks.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/mman.h>

namespace mesh::detail {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;
constexpr size_t kLargeFrom = size_t{1} << 20;
constexpr unsigned kMostThreads = 64;

// A buffer of the file's bytes that grows and is not filled with zeros.
struct Bytes {
    char* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;

    Bytes() = default;
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;
    ~Bytes() { releaseLarge(data, capacity); }

    // Room for n bytes, keeping those there.
    void reserve(size_t n) {
        if (n <= capacity)
            return;
        const size_t grown = capacity + capacity / 2;
        const size_t c = std::max(n, grown > capacity ? grown : n);
        char* fresh = static_cast<char*>(allocateLarge(c));
        if (!fresh)
            throw std::bad_alloc();
        if (size)
            std::memcpy(fresh, data, size);
        releaseLarge(data, capacity);
        data = fresh;
        capacity = c;
    }
};

// The file, up to a limit, and the blocks cut from it.
class Source {
  public:
    Source(const mesh::FileSource& files, void* file, BlockReader& reader, const Settings& s)
        : files_(files), file_(file), reader_(reader),
          blockBytes_(std::max<size_t>(s.blockBytes, 1)), limit_(s.maxBytes) {}

    // The next block into b: what the last one left, then at least
    // blockBytes more up to the end of a line; length is its extent. False
    // when the file has nothing left.
    bool fill(Bytes& b, size_t& length) {
        b.size = 0;
        b.reserve(carry_.size + blockBytes_);
        if (carry_.size)
            std::memcpy(b.data, carry_.data, carry_.size);
        b.size = carry_.size;
        carry_.size = 0;
        for (size_t want = blockBytes_;; want = std::max(blockBytes_, b.size)) {
            readInto(b, want);
            if (ended_) {
                length = b.size;
                return length > 0;
            }
            length = reader_.lastLineEnd(b.data, b.size);
            if (length > 0) {
                const size_t rest = b.size - length;
                carry_.reserve(rest);
                std::memcpy(carry_.data, b.data + length, rest);
                carry_.size = rest;
                return true;
            }
            // No line ends in it yet: a long one, read on.
        }
    }

    bool ended() const { return ended_; }
    Result result(unsigned threads) const { return Result{read_, cut_, threads}; }

  private:
    // Up to want more bytes, fewer only at the end of the file or the limit.
    void readInto(Bytes& b, size_t want) {
        b.reserve(b.size + want);
        while (want > 0 && !ended_) {
            const size_t room = std::min(want, limit_ - read_);
            if (room == 0) {
                char probe;
                cut_ = files_.read(file_, &probe, 1, files_.user) != 0;
                ended_ = true;
                break;
            }
            const size_t got =
                std::min(room, files_.read(file_, b.data + b.size, room, files_.user));
            if (got == 0) {
                ended_ = true;
                break;
            }
            b.size += got;
            read_ += got;
            want -= got;
        }
    }

    const mesh::FileSource& files_;
    void* file_;
    BlockReader& reader_;
    const size_t blockBytes_;
    const size_t limit_;
    Bytes carry_; // the start of a line that the last block did not end
    size_t read_ = 0;
    bool ended_ = false;
    bool cut_ = false;
};

// Blocks in a ring: the file fills them in order, this thread takes them in
// order, and any thread may read one ahead meanwhile.
class Ring {
  public:
    Ring(Source& source, BlockReader& reader, unsigned threads)
        : source_(source), reader_(reader), threads_(threads), count_(threads + 1),
          blocks_(new Block[count_]) {}

    ~Ring() {
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : helpers_)
            t.join();
    }

    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;

    unsigned run() {
        reader_.useParts(count_);
        for (;;) {
            if (!source_.ended() && filled_ - taken_ < count_) {
                Block& b = blocks_[filled_ % count_];
                if (source_.fill(b.bytes, b.length)) {
                    {
                        const std::lock_guard lock(mutex_);
                        b.state = State::Queued;
                        ++filled_;
                    }
                    changed_.notify_all();
                    // A helper more for each block queued after the first, up to
                    // the threads asked for: a file of one block is read in this
                    // thread alone, one of three by three threads at most.
                    if (filled_ >= 2 && helpers_.size() + 1 < threads_ && canStart_)
                        startHelper();
                }
                continue;
            }
            if (taken_ == filled_)
                return unsigned(helpers_.size()) + 1;
            const size_t part = taken_ % count_;
            Block& head = blocks_[part];
            std::unique_lock lock(mutex_);
            if (head.state == State::Queued || head.state == State::Failed) {
                head.state = State::Reading;
                lock.unlock();
                reader_.readInOrder(part, head.bytes.data, head.length);
                finishHead(head);
            } else if (head.state == State::Ahead) {
                lock.unlock();
                reader_.takePart(part);
                finishHead(head);
            } else if (size_t other; queuedAfterHead(other)) {
                // A helper reads the next block: read a later one meanwhile.
                blocks_[other].state = State::Reading;
                lock.unlock();
                readAhead(other);
            } else {
                changed_.wait(lock, [&] { return head.state != State::Reading; });
            }
        }
    }

  private:
    enum class State { Free, Queued, Reading, Ahead, Failed };

    struct Block {
        Bytes bytes;
        size_t length = 0;
        State state = State::Free;
    };

    void startHelper() {
        try {
            helpers_.emplace_back([this] { help(); });
        } catch (...) {
            canStart_ = false; // no thread to be had: the others read its share
        }
    }

    void finishHead(Block& head) {
        const std::lock_guard lock(mutex_);
        head.state = State::Free;
        ++taken_;
    }

    // The first block queued after the next to take; with the mutex held.
    bool queuedAfterHead(size_t& part) const {
        for (uint64_t n = taken_ + 1; n < filled_; ++n) {
            if (blocks_[n % count_].state == State::Queued) {
                part = n % count_;
                return true;
            }
        }
        return false;
    }

    // Reads a block the caller marked Reading into its part.
    void readAhead(size_t part) {
        Block& b = blocks_[part];
        State done = State::Ahead;
        try {
            reader_.readAhead(part, b.bytes.data, b.length);
        } catch (...) {
            done = State::Failed;
        }
        {
            const std::lock_guard lock(mutex_);
            b.state = done;
        }
        changed_.notify_all();
    }

    void help() {
        std::unique_lock lock(mutex_);
        for (;;) {
            size_t part = 0;
            changed_.wait(lock, [&] { return quit_ || queuedAfterHead(part); });
            if (quit_)
                return;
            blocks_[part].state = State::Reading;
            lock.unlock();
            readAhead(part);
            lock.lock();
        }
    }

    Source& source_;
    BlockReader& reader_;
    const unsigned threads_;
    const size_t count_;
    const std::unique_ptr<Block[]> blocks_; // block number n is blocks_[n % count_]
    uint64_t filled_ = 0;                   // blocks filled; written by this thread under the mutex
    uint64_t taken_ = 0;                    // blocks taken; likewise
    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    bool canStart_ = true;
    std::vector<std::thread> helpers_; // last: they end before the rest goes
};

} // namespace

unsigned threadsFor(unsigned asked) {
    if (asked == 0) {
        if (const char* text = std::getenv("DRAVIN_READ_THREADS")) {
            char* end = nullptr;
            const long n = std::strtol(text, &end, 10);
            if (end != text && *end == '\0' && n > 0)
                asked = unsigned(std::min<long>(n, kMostThreads));
        }
    }
    if (asked == 0)
        asked = std::thread::hardware_concurrency();
    return std::clamp(asked, 1u, kMostThreads);
}

Result read(const mesh::FileSource& files, void* file, BlockReader& reader,
            const Settings& settings) {
    Source source(files, file, reader, settings);
    const unsigned threads = threadsFor(settings.threads);
    if (threads == 1) {
        reader.useParts(1);
        Bytes block;
        size_t length = 0;
        while (source.fill(block, length))
            reader.readInOrder(0, block.data, length);
        return source.result(1);
    }
    Ring ring(source, reader, threads);
    return source.result(ring.run());
}

void adviseLargePages(void* p, size_t bytes) {
#ifdef MADV_HUGEPAGE
    const uintptr_t begin = (uintptr_t(p) + kLargePage - 1) & ~uintptr_t(kLargePage - 1);
    const uintptr_t end = (uintptr_t(p) + bytes) & ~uintptr_t(kLargePage - 1);
    if (p && end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

void* allocateLarge(size_t bytes) {
    if (bytes < kLargeFrom)
        return std::malloc(bytes ? bytes : 1);
    if (bytes > SIZE_MAX - kLargePage)
        return nullptr;
    const size_t rounded = (bytes + kLargePage - 1) & ~(kLargePage - 1);
    void* p = std::aligned_alloc(kLargePage, rounded);
    adviseLargePages(p, rounded);
    return p;
}

void releaseLarge(void* p, size_t) {
    std::free(p);
}

} // namespace mesh::detail
