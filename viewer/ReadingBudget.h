// What reading a model may cost a program that reads files nobody chose to
// open (a thumbnailer sees every download): the bytes of the model and of its
// material libraries, and what the reader will make of them, counted as the
// bytes pass, before any of them is parsed. Past a limit the files end early,
// so the reader holds no more than the limits allow, and over() says which
// limit it was.
#pragma once

#include "mesh/FileSource.h"

#include <cstdint>
#include <string>

struct ReadingLimits {
    uint64_t bytes{};
    // v, vt and vn records.
    uint64_t vertices{};
    // The words of the f, l and p records: each at most one corner or point,
    // and every corner at most one triangle.
    uint64_t corners{};
};

// The file system's files, counted (source(): keep this object alive and in
// place while a load runs).
class BudgetedFiles final : public mesh::WatchedFiles {
  public:
    explicit BudgetedFiles(const ReadingLimits& limits) : limits_(limits) {}

    // Counts the bytes of a file read elsewhere (a texture map); false once
    // over the limit.
    bool addBytes(uint64_t size);

    // Empty within the limits; else what went over, e.g. "more than 4194304 vertices".
    const std::string& over() const { return over_; }

    uint64_t bytes() const { return bytes_; }
    uint64_t vertices() const { return vertices_; }
    uint64_t corners() const { return corners_; }

    // Counts the bytes of the file being read, from its start; false once over a limit.
    bool count(const char* bytes, size_t size);

    // The end of the file being read.
    void finishFile();

  private:
    void opened(void*) override { startFile(); }
    // The bytes that went over are not handed on: an early end of the file.
    bool passed(void*, const char* bytes, size_t size) override {
        return over().empty() && count(bytes, size);
    }
    void closing(void*) override { finishFile(); }
    void startFile();
    bool withinCounts();
    void plain(char c);
    void endWord();
    void exceed(const char* what, uint64_t limit);

    ReadingLimits limits_;
    uint64_t bytes_{}, vertices_{}, corners_{};
    std::string over_;
    // Where the reading is within the file: the record's keyword (as far as
    // it goes), and whether its words are corners.
    enum class Record { keyword, corners, other };
    Record record_{Record::keyword};
    std::string keyword_;
    bool inWord_{};
    // A backslash, and a carriage return after it, held until the next byte
    // tells whether they end the line and join it to the next.
    bool backslash_{}, carriageReturn_{};
};
