#include "viewer/ReadingBudget.h"

#include <cinttypes>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

void BudgetedFiles::startFile() {
    record_ = Record::keyword;
    keyword_.clear();
    inWord_ = backslash_ = carriageReturn_ = false;
}

void BudgetedFiles::exceed(const char* what, uint64_t limit) {
    if (over_.empty())
        over_ = "more than " + std::to_string(limit) + " " + what;
}

bool BudgetedFiles::addBytes(uint64_t size) {
    bytes_ += size;
    if (bytes_ > limits_.bytes)
        exceed("bytes in the model, its material libraries and texture maps", limits_.bytes);
    return over_.empty();
}

// The end of a word: a keyword decides what the words after it are.
void BudgetedFiles::endWord() {
    if (!inWord_)
        return;
    inWord_ = false;
    if (record_ != Record::keyword)
        return;
    if (keyword_ == "v" || keyword_ == "vt" || keyword_ == "vn") {
        ++vertices_;
        record_ = Record::other;
    } else {
        record_ =
            keyword_ == "f" || keyword_ == "l" || keyword_ == "p" ? Record::corners : Record::other;
    }
}

// One byte of a line, a line end or a blank as the reader takes it.
void BudgetedFiles::plain(char c) {
    if (c == '\n') {
        endWord();
        record_ = Record::keyword;
        keyword_.clear();
    } else if (isBlank(c)) {
        endWord();
    } else if (!inWord_) {
        inWord_ = true;
        corners_ += record_ == Record::corners;
        if (record_ == Record::keyword)
            keyword_.push_back(c);
    } else if (record_ == Record::keyword && keyword_.size() < 3) {
        keyword_.push_back(c); // no keyword counted here is longer than 2
    }
}

bool BudgetedFiles::count(const char* bytes, size_t size) {
    if (!addBytes(size))
        return false;
    for (size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (backslash_) {
            // A backslash before "\n" or "\r\n" joins its line to the next one
            // with a blank; anywhere else it is a plain byte.
            if (c == '\n') {
                backslash_ = carriageReturn_ = false;
                endWord();
                continue;
            }
            if (c == '\r' && !carriageReturn_) {
                carriageReturn_ = true;
                continue;
            }
            plain('\\');
            if (carriageReturn_)
                plain('\r');
            backslash_ = carriageReturn_ = false;
        }
        if (c == '\\')
            backslash_ = true;
        else
            plain(c);
    }
    return withinCounts();
}

bool BudgetedFiles::withinCounts() {
    if (vertices_ > limits_.vertices)
        exceed("vertices, texture coordinates and normals", limits_.vertices);
    if (corners_ > limits_.corners)
        exceed("corners of faces, lines and points", limits_.corners);
    return over_.empty();
}

void BudgetedFiles::finishFile() {
    // The last line's keyword, when no line end follows it.
    endWord();
    withinCounts();
}
