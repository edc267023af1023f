// Writes the video wall's movie: a colour wheel that turns once over the 48
// frames, with a white bar that crosses it, so every frame differs.
//     video-wall-movie <file.mov>
#include "host/media/MediaWriter.h"

#include <cmath>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: video-wall-movie <file.mov>\n");
        return 2;
    }
    constexpr int32_t size = 128, frames = 48;
    auto paint = [](int32_t frame, uint32_t* argb) {
        const double turn = 6.283185307179586 * frame / frames;
        for (int32_t y = 0; y < size; ++y) {
            for (int32_t x = 0; x < size; ++x) {
                const double angle = std::atan2(y - size / 2.0, x - size / 2.0) + turn;
                auto channel = [&](double phase) {
                    return uint32_t(127.5 + 127.5 * std::cos(angle + phase));
                };
                uint32_t r = channel(0.0), g = channel(2.094), b = channel(4.189);
                if (x / 8 == frame * size / 8 / frames)
                    r = g = b = 255;
                argb[y * size + x] = 0xff000000u | r << 16 | g << 8 | b;
            }
        }
    };
    const int status = host::MediaWriteMovie({.path = argv[1],
                                              .width = size,
                                              .height = size,
                                              .fps = 24,
                                              .frameCount = frames,
                                              .keyInterval = 12,
                                              .paint = paint});
    if (status != 0)
        std::fprintf(stderr, "video-wall-movie: writing %s failed (%d)\n", argv[1], status);
    return status == 0 ? 0 : 1;
}
