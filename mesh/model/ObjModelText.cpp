#include "mesh/model/ObjModelText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace mesh::detail {

bool readWholeFile(const mesh::FileSource& files, const char* name, std::string& bytes, bool& cut) {
    void* file = files.open(name, files.user);
    if (!file)
        return false;
    bytes.clear();
    cut = false;
    // Reads grow with the file: small files stay small.
    constexpr size_t kFirstRead = size_t{64} << 10, kLargestRead = size_t{4} << 20;
    for (;;) {
        const size_t have = bytes.size();
        if (have >= kMaxFileBytes) {
            char probe;
            cut = files.read(file, &probe, 1, files.user) != 0;
            break;
        }
        const size_t want =
            std::min({std::clamp(have, kFirstRead, kLargestRead), kMaxFileBytes - have});
        bytes.resize(have + want);
        const size_t got = files.read(file, bytes.data() + have, want, files.user);
        bytes.resize(have + got);
        if (got == 0)
            break;
    }
    files.close(file, files.user);
    return true;
}

std::string_view restAfter(const detail::Keyword& word, const char* end) {
    const char* p = word.begin + word.length;
    while (p < end && detail::isSpace(*p))
        ++p;
    while (end > p && detail::isSpace(end[-1]))
        --end;
    return {p, size_t(end - p)};
}

std::string_view nextWord(detail::Scanner& s) {
    s.skipSpace();
    const char* start = s.p;
    s.word();
    return {start, size_t(s.p - start)};
}

bool readNumberSlowly(detail::Scanner& s, float& out) {
    s.unsure = false;
    const char* start = s.p;
    const char* stop = start;
    while (stop < s.end && !detail::isSpace(*stop))
        ++stop;
    // No number is longer than this; a longer word is read by its start.
    char text[64];
    const size_t n = std::min(size_t(stop - start), sizeof text - 1);
    std::memcpy(text, start, n);
    text[n] = '\0';
    char* after = nullptr;
    const float value = std::strtof(text, &after);
    if (after == text)
        return false;
    out = value;
    s.p = stop;
    return true;
}

} // namespace mesh::detail
