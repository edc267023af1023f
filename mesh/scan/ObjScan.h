// Why two OBJ readers (and two MTL readers) share this scanner: MyOBJ's
// (mesh/MyOBJ.h, myobj/) keeps its fixed reading and its quirks byte for byte,
// as the demo and every caller of loadOBJFile rely on them; the viewer's
// (mesh/ObjModel.h, model/) reads files the way general viewers do. What they
// share is how a line is cut and how a number is scanned.
//
// Internal to the mesh readers: line pieces and a scanner that gives what the
// C library's sscanf gives for the readers' patterns ("%s %f ...", "%d//%d",
// ...), without copying the line. Where the fast path cannot be sure of the C
// library's answer (hex floats, "nan", partial exponents, huge integers), it
// says so and the caller runs sscanf itself.
#pragma once

#include "mesh/FileSource.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <type_traits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace mesh::detail {

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

// The first '\n' or NUL in [p, end), or end.
inline const char* findNewlineOrNul(const char* p, const char* end) {
#ifdef __SSE2__
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, newline), _mm_cmpeq_epi8(block, nul)));
        if (hits) {
            return p + __builtin_ctz(static_cast<unsigned>(hits));
        }
        p += 16;
    }
#endif
    while (p < end && *p != '\n' && *p != '\0') {
        ++p;
    }
    return p;
}

// The decimal digits that start the 8 bytes at p: how many (0 to 8), and in
// value the number they make. Eight bytes at once, as fast_float does.
inline int leadingDigits8(const char* p, uint32_t& value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    const uint64_t d = bytes ^ 0x3030303030303030u; // a digit's byte becomes 0..9
    const uint64_t notDigit =
        (((d & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | d) & 0x8080808080808080u;
    const int n = notDigit ? __builtin_ctzll(notDigit) >> 3 : 8;
    value = 0;
    if (n == 0)
        return 0;
    // The digits to the top, so that the bytes below read as leading zeros.
    uint64_t x = d << (8 * (8 - n));
    x = x * 10 + (x >> 8);
    x = (((x & 0x000000FF000000FFu) * 0x000F424000000064u) +
         (((x >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u)) >>
        32;
    value = static_cast<uint32_t>(x);
    return n;
#else
    int n = 0;
    value = 0;
    while (n < 8 && isDigit(p[n]))
        value = value * 10 + static_cast<uint32_t>(p[n++] - '0');
    return n;
#endif
}

// What readFace needs to know before it scans: the number of words and
// whether the line holds a '/' or a "//".
struct WordsAndSlashes {
    int words = 0;
    bool slash = false;
    bool doubleSlash = false;
};

// Without -mpopcnt the builtin is a library call.
inline int bitCount16(unsigned x) {
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return static_cast<int>((x + (x >> 8)) & 0x1Fu);
}

inline WordsAndSlashes countWordsAndSlashes(const char* p, const char* end) {
    WordsAndSlashes r;
#ifdef __SSE2__
    unsigned previousWord = 0;
    unsigned previousSlash = 0;
    unsigned doubles = 0;
    unsigned slashes = 0;
    char tail[16];
    while (p < end) {
        const char* block = p;
        if (end - p < 16) {
            // Blanks after the end change no count.
            std::memset(tail, ' ', sizeof tail);
            std::memcpy(tail, p, static_cast<size_t>(end - p));
            block = tail;
        }
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        const __m128i blank =
            _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')),
                         _mm_and_si128(_mm_cmpgt_epi8(b, _mm_set1_epi8('\t' - 1)),
                                       _mm_cmplt_epi8(b, _mm_set1_epi8('\r' + 1))));
        const unsigned word = ~static_cast<unsigned>(_mm_movemask_epi8(blank)) & 0xFFFFu;
        const unsigned slash =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_set1_epi8('/'))));
        r.words += bitCount16(word & ~((word << 1) | previousWord) & 0xFFFFu);
        doubles |= slash & ((slash << 1) | previousSlash);
        slashes |= slash;
        previousWord = word >> 15;
        previousSlash = slash >> 15;
        p += 16;
    }
    r.slash = slashes != 0;
    r.doubleSlash = doubles != 0;
#else
    bool inWord = false;
    char previous = '\0';
    for (; p < end; ++p) {
        const bool space = isSpace(*p);
        r.words += !space && !inWord;
        inWord = !space;
        if (*p == '/') {
            r.doubleSlash = r.doubleSlash || previous == '/';
            r.slash = true;
        }
        previous = *p;
    }
#endif
    return r;
}

// The pieces that fgets with a 255-byte buffer would return, in order, each
// as [begin, end) cut at its first NUL (the reader sees C strings). Returns
// how many bytes were used: everything when atEnd, else up to the last piece
// that is sure to be complete. A piece starts right after every newline, so
// a range may be split there and read in parts. When f returns bool, false
// stops before that piece and leaves it unused.
template <class F> size_t forEachPiece(const char* data, size_t size, bool atEnd, F&& f) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        const size_t avail = static_cast<size_t>(end - p);
        const char* const windowEnd = p + (avail < kMaxPiece ? avail : kMaxPiece);
        const char* stop = findNewlineOrNul(p, windowEnd);
        const char* lineEnd = stop;
        if (stop < windowEnd && *stop == '\0') {
            // The C string ends here; the piece still runs to its newline.
            const void* nl = std::memchr(stop, '\n', static_cast<size_t>(windowEnd - stop));
            stop = nl ? static_cast<const char*>(nl) : windowEnd;
        }
        const char* pieceEnd;
        if (stop < windowEnd) {
            pieceEnd = stop + 1;
            if (lineEnd == stop) {
                lineEnd = pieceEnd; // the newline belongs to the line
            }
        } else if (windowEnd - p == static_cast<ptrdiff_t>(kMaxPiece) || atEnd) {
            pieceEnd = windowEnd;
        } else {
            break;
        }
        if constexpr (std::is_same_v<decltype(f(p, lineEnd)), bool>) {
            if (!f(p, lineEnd)) {
                break;
            }
        } else {
            f(p, lineEnd);
        }
        p = pieceEnd;
    }
    return static_cast<size_t>(p - data);
}

// Where a block of pieces that starts at a piece's start may end: after its
// last newline, or, with no newline in it, after its last 254-byte piece (a
// piece without a newline is that long). 0 when no piece ends in it.
inline size_t lastPieceEnd(const char* data, size_t size) {
    if (const void* newline = memrchr(data, '\n', size))
        return static_cast<size_t>(static_cast<const char*>(newline) - data) + 1;
    return size / kMaxPiece * kMaxPiece;
}

// Feeds a whole file of the source through a fixed buffer, piece by piece.
template <class F> void forEachPieceOfFile(const mesh::FileSource& files, void* file, F&& f) {
    constexpr size_t kBufferSize = 64 * 1024;
    char buffer[kBufferSize];
    size_t have = 0;
    for (;;) {
        const size_t got = files.read(file, buffer + have, kBufferSize - have, files.user);
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

// The first word of a line: the keyword of both readers.
struct Keyword {
    const char* begin = nullptr;
    size_t length = 0; // 0 for a line without a word

    // The keyword buffer of the readers holds 15 characters; a longer first
    // word is no keyword at all.
    static constexpr size_t kMaxLength = 15;

    template <size_t N> bool is(const char (&name)[N]) const {
        return length == N - 1 && std::memcmp(begin, name, N - 1) == 0;
    }
};

inline Keyword keywordOf(const char* line, const char* end) {
    const char* p = line;
    while (p < end && isSpace(*p)) {
        ++p;
    }
    const char* word = p;
    while (p < end && !isSpace(*p)) {
        ++p;
    }
    return Keyword{word, static_cast<size_t>(p - word)};
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
        bool negative = false;
        if (*q == '+' || *q == '-') {
            negative = *q == '-';
            ++q;
        }
        const char* mantissa = q;
        uint64_t digits = 0;
        int digitCount = 0;
        int scale = 0; // the decimal exponent of the last digit
        while (q < end && isDigit(*q)) {
            digits = digits * 10 + static_cast<uint64_t>(*q - '0');
            ++q;
            ++digitCount;
        }
        if (q < end && *q == '.') {
            ++q;
            while (q < end && isDigit(*q)) {
                digits = digits * 10 + static_cast<uint64_t>(*q - '0');
                ++q;
                ++digitCount;
                --scale;
            }
        }
        if (digitCount == 0) {
            // Not a plain decimal: "nan", "inf", a lone sign or dot, junk.
            unsure = true;
            return false;
        }
        bool exponentTooLong = false;
        if (q < end && (*q == 'e' || *q == 'E')) {
            const char* e = q + 1;
            bool negativeExponent = false;
            if (e < end && (*e == '+' || *e == '-')) {
                negativeExponent = *e == '-';
                ++e;
            }
            if (!(e < end && isDigit(*e))) {
                unsure = true; // the C library's partial exponents
                return false;
            }
            int exponent = 0;
            while (e < end && isDigit(*e)) {
                if (exponent < 10000) {
                    exponent = exponent * 10 + (*e - '0');
                } else {
                    exponentTooLong = true;
                }
                ++e;
            }
            scale += negativeExponent ? -exponent : exponent;
            q = e;
        }
        if (q < end && !isSpace(*q)) {
            unsure = true; // "0x...", "1.5.3", "100ergs" and the like
            return false;
        }
        // Exact when the digits and the power of ten are both floats: one
        // correctly rounded operation, as strtof gives.
        static constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                            1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
        if (digitCount <= 19 && digits <= (uint64_t{1} << 24) && scale >= -10 && scale <= 10 &&
            !exponentTooLong) {
            const float m = static_cast<float>(digits);
            const float value = scale < 0 ? m / kPowers[-scale] : m * kPowers[scale];
            out = negative ? -value : value;
            p = q;
            return true;
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

} // namespace mesh::detail
