// The richer reader's work on one block: each line read into the block's part.
#include "mesh/model/ObjModelPart.h"

#include "mesh/model/ObjModelText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mesh::detail {

namespace {

using detail::Keyword;
using detail::Scanner;

// Keywords of the format that a viewer of polygons has no use for: silent.
bool isIgnoredKeyword(const Keyword& w) {
    static const char* const kIgnored[] = {
        "g",          "s",         "vp",    "cstype",   "deg",      "bmat", "step",   "curv",
        "curv2",      "surf",      "parm",  "trim",     "hole",     "scrv", "sp",     "end",
        "con",        "mg",        "bevel", "c_interp", "d_interp", "lod",  "usemap", "maplib",
        "shadow_obj", "trace_obj", "ctech", "stech",    "call",     "csh"};
    for (const char* k : kIgnored)
        if (w.length == std::strlen(k) && std::memcmp(w.begin, k, w.length) == 0)
            return true;
    return w.begin[0] == '#';
}

// An index at p, past it on return: an optional sign and digits. Beyond
// +-2^30 it is held there: no count reaches that, so either way it names nothing.
inline bool index(const char*& p, const char* end, int32_t& out) {
    const char* q = p;
    const bool negative = q < end && *q == '-';
    q += q < end && (*q == '-' || *q == '+');
    const char* const digits = q;
    uint64_t value = 0;
    int run = 8;
    if (end - q >= 8) {
        uint32_t first;
        run = detail::leadingDigits8(q, first);
        value = first;
        q += run;
    }
    if (run == 8) // near the block's end, or more digits to come
        for (; q < end && detail::isDigit(*q); ++q)
            if (value < (uint64_t{1} << 31))
                value = value * 10 + uint64_t(*q - '0');
    if (q == digits)
        return false;
    const int32_t held = int32_t(std::min(value, uint64_t{1} << 30));
    out = negative ? -held : held;
    p = q;
    return true;
}

// One word at p, past it on return: v, v/vt, v//vn or v/vt/vn, the indices
// as written (0: absent). False for a word of another shape.
inline bool corner(const char*& p, const char* end, int32_t (&at)[3]) {
    const auto inWord = [end](const char* q) { return q < end && !detail::isSpace(*q); };
    at[0] = at[1] = at[2] = 0;
    bool shaped = index(p, end, at[0]);
    for (int k = 1; shaped && k < 3 && p < end && *p == '/'; ++k) {
        ++p;
        if (inWord(p) && *p != '/')
            shaped = index(p, end, at[k]);
    }
    if (shaped && !inWord(p))
        return true;
    while (inWord(p))
        ++p;
    return false;
}

// Room for one more entry; a list's first room is a large part of the
// block's size at once, so that a large block's lists start in large pages.
template <class T> void roomForOne(detail::LargeVector<T>& list, size_t blockBytes) {
    if (list.size() < list.capacity())
        return;
    const size_t first = std::min(blockBytes, size_t{1} << 20) / sizeof(T) + 16;
    list.reserve(std::max(first, 2 * list.capacity()));
}

} // namespace

void Part::clear() {
    positions.clear();
    textureCoords.clear();
    normals.clear();
    colours.clear();
    firstColoured = 0;
    clampedColours.clear();
    colourNotNumbers.clear();
    corners.clear();
    elements.clear();
    plainFaces = true;
    std::fill(std::begin(beyond), std::end(beyond), INT64_MIN);
    triangles = 0;
    useNames.clear();
    material = kInherited;
    libraries.clear();
    named = false;
    name.clear();
    unknownLines = 0;
    firstUnknown.clear();
}

void Part::read(const char* data, size_t size) {
    clear();
    blockBytes_ = size;
    forEachLine(std::string_view(data, size),
                [this](const char* begin, const char* end) { line(begin, end); });
}

void Part::line(const char* begin, const char* end) {
    const Keyword w = detail::keywordOf(begin, end);
    const char* const rest = w.begin + w.length;
    const char c0 = w.length ? w.begin[0] : '\0';
    if (w.length == 1) {
        switch (c0) {
        case 'v':
            return vertex(rest, end);
        case 'f':
            return element(ElementKind::Face, rest, end);
        case 'l':
            return element(ElementKind::Line, rest, end);
        case 'p':
            return element(ElementKind::Points, rest, end);
        case 'o':
            if (!named)
                name = restAfter(w, end);
            named = true;
            return;
        default:
            break;
        }
    } else if (w.length == 2 && c0 == 'v' && (w.begin[1] == 't' || w.begin[1] == 'n')) {
        Scanner s{rest, end};
        float n[3] = {0, 0, 0};
        if (w.begin[1] == 't') {
            readNumber(s, n[0]) && readNumber(s, n[1]);
            roomForOne(textureCoords, blockBytes_);
            textureCoords.push_back({n[0], 1.0f - n[1], 0.0f});
        } else {
            readNumber(s, n[0]) && readNumber(s, n[1]) && readNumber(s, n[2]);
            roomForOne(normals, blockBytes_);
            normals.push_back({n[0], n[1], n[2]});
        }
        return;
    } else if (w.is("usemtl")) {
        material = int32_t(useNames.size());
        useNames.emplace_back(restAfter(w, end));
        return;
    } else if (w.is("mtllib")) {
        Scanner s{rest, end};
        for (std::string_view word; !(word = nextWord(s)).empty();)
            libraries.emplace_back(word);
        return;
    }
    if (w.length != 0 && !isIgnoredKeyword(w) && unknownLines++ == 0)
        firstUnknown.assign(w.begin, std::min<size_t>(w.length, 40));
}

void Part::vertex(const char* p, const char* end) {
    Scanner s{p, end};
    float n[7] = {0, 0, 0, 0, 0, 0, 0};
    int count = 0;
    while (count < 7 && readNumber(s, n[count]))
        ++count;
    const uint32_t index = uint32_t(positions.size());
    roomForOne(positions, blockBytes_);
    positions.push_back({n[0], n[1], n[2]});
    // x y z r g b: a colour; x y z w: a weight, ignored.
    const bool coloured = count >= 6;
    if (!coloured && colours.empty())
        return;
    if (colours.empty()) {
        colours.assign(index, {NAN, NAN, NAN});
        firstColoured = index;
    }
    Vector3D c{NAN, NAN, NAN};
    if (coloured) {
        const float* rgb = n + 3;
        if (std::isnan(rgb[0]) || std::isnan(rgb[1]) || std::isnan(rgb[2])) {
            colourNotNumbers.push_back(index);
        } else {
            if (rgb[0] < 0 || rgb[0] > 1 || rgb[1] < 0 || rgb[1] > 1 || rgb[2] < 0 || rgb[2] > 1)
                clampedColours.push_back(index);
            c = {std::clamp(rgb[0], 0.0f, 1.0f), std::clamp(rgb[1], 0.0f, 1.0f),
                 std::clamp(rgb[2], 0.0f, 1.0f)};
        }
    }
    roomForOne(colours, blockBytes_);
    colours.push_back(c);
}

void Part::element(ElementKind kind, const char* p, const char* end) {
    Element e{kind,
              false,
              false,
              0,
              material,
              uint32_t(positions.size()),
              uint32_t(textureCoords.size()),
              uint32_t(normals.size()),
              0,
              0,
              0};
    const size_t first = corners.size();
    for (;;) {
        while (p < end && detail::isSpace(*p))
            ++p;
        if (p == end)
            break;
        int32_t at[3];
        if (!corner(p, end, at)) {
            if (kind != ElementKind::Points) {
                e.unreadable = true;
                continue;
            }
            at[0] = 0; // a point that names nothing
        }
        e.relative = e.relative || at[0] <= 0 || at[1] < 0 || at[2] < 0;
        e.mostV = std::max(e.mostV, uint32_t(std::max(at[0], 0)));
        e.mostVt = std::max(e.mostVt, uint32_t(std::max(at[1], 0)));
        e.mostVn = std::max(e.mostVn, uint32_t(std::max(at[2], 0)));
        roomForOne(corners, blockBytes_);
        corners.push_back({at[0] - 1, at[1] - 1, at[2] - 1});
    }
    e.corners = uint32_t(corners.size() - first);
    roomForOne(elements, blockBytes_);
    elements.push_back(e);
    plainFaces =
        plainFaces && kind == ElementKind::Face && !e.unreadable && !e.relative && e.corners >= 3;
    const uint32_t most[3] = {e.mostV, e.mostVt, e.mostVn};
    const uint32_t before[3] = {e.positions, e.textureCoords, e.normals};
    for (int k = 0; k < 3; ++k)
        beyond[k] = std::max(beyond[k], int64_t(most[k]) - int64_t(before[k]));
    triangles += e.corners >= 3 ? e.corners - 2 : 0;
}

} // namespace mesh::detail
