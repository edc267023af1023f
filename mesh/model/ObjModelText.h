// Internal to the richer OBJ reader: whole files, whole lines of any length,
// words and numbers. Numbers go through the readers' shared scanner; what it
// cannot be sure of goes to strtof, as other readers take it.
#pragma once

#include "mesh/FileSource.h"
#include "mesh/scan/ObjScan.h"
#include "mesh/scan/TextBlocks.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace mesh::detail {

// Beyond this a file is cut, with one warning line.
inline constexpr size_t kMaxFileBytes = size_t{1} << 30;

// The whole file into bytes, at most kMaxFileBytes of it (cut tells whether
// there was more); false when it cannot be opened.
bool readWholeFile(const mesh::FileSource& files, const char* name, std::string& bytes, bool& cut);

// The text between the keyword and the end of the line, without surrounding blanks.
std::string_view restAfter(const detail::Keyword& word, const char* end);

// The next word of the line, or an empty view at its end.
std::string_view nextWord(detail::Scanner& s);

// A number: plain decimals through the scanner, anything else the C library
// reads ("nan", "1e", "0x1p3", "1.5abc" as 1.5). False, with nothing
// consumed, at the end of the line or before a word that is no number.
bool readNumberSlowly(detail::Scanner& s, float& out);

// The usual number of a model file, as "%f" writes those below 100: a sign,
// one or two digits, a point and at most seven digits, which make at most
// 2^24 and end the word. Then out is what Scanner::real gives for it (one
// correctly rounded division), p is past it, and the result true; false
// leaves p as it was.
[[gnu::always_inline]] inline bool plainDecimal(const char*& p, const char* end, float& out) {
    static constexpr float kTens[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                      1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const char* q = p;
    const bool negative = *q == '-';
    q += *q == '-' || *q == '+';
    if (q == end || !detail::isDigit(*q))
        return false;
    uint64_t digits = uint64_t(*q++ - '0');
    if (q < end && detail::isDigit(*q))
        digits = digits * 10 + uint64_t(*q++ - '0');
    if (q == end || *q != '.')
        return false;
    ++q;
    const char* const point = q;
    for (; q < end && detail::isDigit(*q) && q - point < 8; ++q)
        digits = digits * 10 + uint64_t(*q - '0');
    const ptrdiff_t places = q - point;
    if (places == 8 || (q < end && !detail::isSpace(*q)))
        return false; // more digits, an exponent, or no number at all
    if (digits > (uint64_t{1} << 24))
        return false;
    const float value = float(digits) / kTens[places];
    out = negative ? -value : value;
    p = q;
    return true;
}

[[gnu::always_inline]] inline bool readNumber(detail::Scanner& s, float& out) {
    s.skipSpace();
    if (s.p < s.end && plainDecimal(s.p, s.end, out))
        return true;
    s.unsure = false;
    if (s.real(out))
        return true;
    return s.unsure && readNumberSlowly(s, out); // else the end of the line
}

// Calls f(begin, end) for each line of the text, without its terminator
// ("\n" or "\r\n"); a line that ends in a backslash goes on in the next one.
template <class F> void forEachLine(std::string_view text, F&& f) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::string joined;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* lineEnd = nl ? nl : end;
        const char* next = nl ? nl + 1 : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        if ((lineEnd > p && lineEnd[-1] == '\\') || !joined.empty()) {
            const bool goesOn = lineEnd > p && lineEnd[-1] == '\\';
            joined.append(p, size_t(lineEnd - p - (goesOn ? 1 : 0)));
            if (goesOn && next < end) {
                joined.push_back(' ');
                p = next;
                continue;
            }
            f(joined.data(), joined.data() + joined.size());
            joined.clear();
        } else {
            f(p, lineEnd);
        }
        p = next;
    }
}

// Where a block of lines that starts at a line's start may end: after the
// last newline that ends a line not continued with a backslash; 0 when none does.
inline size_t lastLineEnd(const char* data, size_t size) {
    while (const void* found = memrchr(data, '\n', size)) {
        size = size_t(static_cast<const char*>(found) - data);
        size_t end = size;
        if (end > 0 && data[end - 1] == '\r')
            --end;
        // The character before a line's start is a newline, never a backslash.
        if (end == 0 || data[end - 1] != '\\')
            return size + 1;
    }
    return 0;
}

} // namespace mesh::detail

namespace mesh {
struct ObjModel;
struct ObjReadOptions;
} // namespace mesh

namespace mesh::detail {
// readObjModel with the block reader's settings (threads, block size) of the
// caller's choosing.
bool readModel(const char* fileName, mesh::ObjModel& model, const mesh::FileSource& files,
               const detail::Settings& settings, const mesh::ObjReadOptions& options);
} // namespace mesh::detail
