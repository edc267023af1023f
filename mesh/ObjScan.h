// Internal to the mesh readers: line pieces and a scanner that gives what the
// C library's sscanf gives for the readers' patterns ("%s %f ...", "%d//%d",
// ...), without copying the line. Where the fast path cannot be sure of the C
// library's answer (hex floats, "nan", partial exponents, huge integers), it
// says so and the caller runs sscanf itself.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

namespace objscan {

// The classic line buffer of the readers: 255 bytes, so a read takes at most
// 254 characters and a longer physical line comes in pieces.
inline constexpr size_t kLineBuffer = 255;
inline constexpr size_t kMaxPiece = kLineBuffer - 1;

// isspace() of the C locale.
inline bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool isDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// The pieces that fgets with a 255-byte buffer would return, in order, each
// as [begin, end) cut at its first NUL (the reader sees C strings). Returns
// how many bytes were used: everything when atEnd, else up to the last piece
// that is sure to be complete.
template <class F> size_t forEachPiece(const char* data, size_t size, bool atEnd, F&& f) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        const size_t avail = static_cast<size_t>(end - p);
        const size_t window = avail < kMaxPiece ? avail : kMaxPiece;
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', window));
        const char* pieceEnd;
        if (nl) {
            pieceEnd = nl + 1;
        } else if (window == kMaxPiece || atEnd) {
            pieceEnd = p + window;
        } else {
            break;
        }
        const char* nul = static_cast<const char*>(std::memchr(p, '\0', pieceEnd - p));
        f(p, nul ? nul : pieceEnd);
        p = pieceEnd;
    }
    return static_cast<size_t>(p - data);
}

// Feeds a whole stream through a fixed buffer, piece by piece.
template <class F> void forEachPieceOfStream(std::FILE* file, F&& f) {
    constexpr size_t kBufferSize = 64 * 1024;
    char buffer[kBufferSize];
    size_t have = 0;
    for (;;) {
        const size_t got = std::fread(buffer + have, 1, kBufferSize - have, file);
        have += got;
        const bool atEnd = got == 0;
        const size_t used = forEachPiece(buffer, have, atEnd, f);
        // What is left is shorter than one piece, so the buffer never fills up.
        std::memmove(buffer, buffer + used, have - used);
        have -= used;
        if (atEnd) {
            return;
        }
    }
}

// The same over text in memory.
template <class F> void forEachPieceOfText(std::string_view text, F&& f) {
    forEachPiece(text.data(), text.size(), true, f);
}

// A cursor over one line with the directives of scanf's format strings.
struct Scanner {
    const char* p;
    const char* end;
    // Set when the fast path cannot tell what the C library would do.
    bool unsure = false;

    void skipSpace() {
        while (p < end && isSpace(*p)) {
            ++p;
        }
    }

    // "%s" that stores nothing.
    bool word() {
        skipSpace();
        if (p == end) {
            return false;
        }
        while (p < end && !isSpace(*p)) {
            ++p;
        }
        return true;
    }

    // A literal character of the format: no blanks skipped before it.
    bool literal(char c) {
        if (p < end && *p == c) {
            ++p;
            return true;
        }
        return false;
    }

    // "%d": the C library converts with strtol and stores the low 32 bits.
    bool integer(int32_t& out) {
        skipSpace();
        const char* q = p;
        bool negative = false;
        if (q < end && (*q == '+' || *q == '-')) {
            negative = *q == '-';
            ++q;
        }
        const char* digits = q;
        uint64_t value = 0;
        while (q < end && isDigit(*q)) {
            value = value * 10 + static_cast<uint64_t>(*q - '0');
            ++q;
            if (q - digits > 18) {
                unsure = true; // strtol saturates past here
                return false;
            }
        }
        if (q == digits) {
            return false;
        }
        const uint64_t wrapped = negative ? ~value + 1 : value;
        out = static_cast<int32_t>(static_cast<uint32_t>(wrapped));
        p = q;
        return true;
    }

    // "%f" for plain decimals ending at a blank or the end of the line.
    bool real(float& out) {
        skipSpace();
        if (p == end) {
            return false;
        }
        const char* q = p;
        if (*q == '+' || *q == '-') {
            ++q;
        }
        const char* mantissa = q;
        size_t digitCount = 0;
        while (q < end && isDigit(*q)) {
            ++q;
            ++digitCount;
        }
        if (q < end && *q == '.') {
            ++q;
            while (q < end && isDigit(*q)) {
                ++q;
                ++digitCount;
            }
        }
        if (digitCount == 0) {
            // Not a plain decimal: "nan", "inf", a lone sign or dot, junk.
            unsure = true;
            return false;
        }
        if (q < end && (*q == 'e' || *q == 'E')) {
            const char* e = q + 1;
            if (e < end && (*e == '+' || *e == '-')) {
                ++e;
            }
            if (!(e < end && isDigit(*e))) {
                unsure = true; // the C library's partial exponents
                return false;
            }
            while (e < end && isDigit(*e)) {
                ++e;
            }
            q = e;
        }
        if (q < end && !isSpace(*q)) {
            unsure = true; // "0x...", "1.5.3", "100ergs" and the like
            return false;
        }
        // from_chars takes no '+'; it keeps a '-'.
        const char* first = *p == '+' ? mantissa : p;
        float value = 0;
        const auto result = std::from_chars(first, q, value);
        if (result.ec != std::errc() || result.ptr != q) {
            unsure = true; // out of range: the C library gives inf or a denormal
            return false;
        }
        out = value;
        p = q;
        return true;
    }
};

// A NUL-terminated copy of the line for the slow path (sscanf).
struct LineCopy {
    char text[kLineBuffer + 1];
    LineCopy(const char* line, const char* end) {
        size_t n = static_cast<size_t>(end - line);
        if (n > kLineBuffer) {
            n = kLineBuffer;
        }
        std::memcpy(text, line, n);
        text[n] = '\0';
    }
};

} // namespace objscan
