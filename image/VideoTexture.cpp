#include "diag/Diagnostics.h"
#include "image/VideoTexture.h"

#include "host/Files.h"
#include "host/media/Media.h"
#include "image/GLUpload.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Far above any strip of textures a GL 1.x context takes.
constexpr uint64_t kMaxVideoBufferBytes = uint64_t(1) << 30;

} // namespace

VideoTexture::VideoTexture(const std::string& whatVideo, int16_t whatWidth, int16_t whatHeight,
                           int16_t whatFrameCount) {
    frameCount = whatFrameCount;
    frameHeight = whatHeight;
    frameWidth = whatWidth;
    bufferHeight = int32_t(whatHeight) * frameCount;
    bufferWidth = whatWidth;
    bufferColors = 4;
    currentFrame = -1;

    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    image::configureBoundTexture();

    // 64-bit product: three 16-bit factors and 4 can pass 2^31.
    int64_t blockBytes = int64_t(bufferHeight) * bufferWidth * bufferColors;
    bool sized = frameCount >= 1 && frameWidth >= 1 && frameHeight >= 1 &&
                 uint64_t(blockBytes) <= kMaxVideoBufferBytes;
    if (sized)
        videoBufferPtr = static_cast<uint8_t*>(std::calloc(size_t(blockBytes) + 32, 1));
    diag::err("video texture buffer size (KB): %lld\n",
                 static_cast<long long>((blockBytes + 32) / 1024));
    alignedVideoBufferPtr =
        videoBufferPtr ? reinterpret_cast<uint8_t*>(
                             (reinterpret_cast<uintptr_t>(videoBufferPtr) + 31) & ~uintptr_t(31))
                       : nullptr;
    if (alignedVideoBufferPtr) {
        fillBuffer(alignedVideoBufferPtr, whatVideo);
        gotoFrameWithNTime(0.0f);
    }
}

VideoTexture::~VideoTexture() {
    if (texture_)
        glDeleteTextures(1, &texture_);
    std::free(videoBufferPtr);
}

size_t VideoTexture::frameBytes() const {
    if (frameWidth < 1 || frameHeight < 1)
        return 0;
    return size_t(frameWidth) * size_t(frameHeight) * 4;
}

int64_t VideoTexture::SampleTime(int64_t duration, int32_t frameCount, int32_t f) {
    if (frameCount < 1)
        return 0;
    return (duration / frameCount) * f;
}

int32_t VideoTexture::FrameForTime(float time, int32_t frameCount) {
    if (frameCount < 1)
        return 0;
    float product = float(frameCount) * time;
    int32_t requested;
    // Converting a NaN or an out-of-range float to an integer is undefined.
    if (!(product > 0.0f))
        requested = 0;
    else if (product >= float(frameCount))
        requested = frameCount - 1;
    else
        requested = int32_t(product);
    if (requested > frameCount - 1)
        requested = frameCount - 1;
    if (requested < 0)
        requested = 0;
    return requested;
}

void VideoTexture::fillBuffer(uint8_t* bufferPtr, const std::string& whatVideo) {
    const size_t bytes = frameBytes();
    if (!bufferPtr || bytes == 0 || frameCount < 1)
        return;
    std::string path = std::string("../Resources/") + whatVideo;
    if (!host::fileExists(path)) {
        diag::err("\nERROR: url->fsRef\n");
        std::memset(bufferPtr, 0, bytes * size_t(frameCount));
        return;
    }
    std::unique_ptr<host::MediaMovie> movie = host::MediaMovie::open(path);
    int64_t duration = movie ? movie->duration() : 0;
    for (int32_t f = 0; f < frameCount; ++f) {
        uint8_t* frame = bufferPtr + size_t(f) * bytes;
        int64_t time = SampleTime(duration, frameCount, f);
        bool drawn = movie && movie->renderFrame(time, frame, frameWidth, frameHeight,
                                                 size_t(frameWidth) * 4) == host::kMediaNoError;
        if (!drawn)
            std::memset(frame, 0, bytes);
    }
}

void VideoTexture::gotoFrameWithNTime(float time) {
    glBindTexture(GL_TEXTURE_2D, texture_);
    int32_t requested = FrameForTime(time, frameCount);
    // Without a block or without frames there is nothing to show.
    if (!alignedVideoBufferPtr || frameCount < 1 || requested == currentFrame)
        return;
    currentFrame = requested;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, frameWidth, frameHeight, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV,
                 alignedVideoBufferPtr + size_t(currentFrame) * frameBytes());
}
