// A texture that plays frames sampled once from a movie of the resource
// directory. All frames live in one block, a vertical strip with frame 0 on
// top, in the 32-bit layout of QTImage.h; choosing a frame re-specifies the
// texture from its part of the block.
#pragma once

#include <GL/gl.h>
#include <cstddef>
#include <cstdint>
#include <string>

class VideoTexture {
  public:
    // Samples whatFrameCount frames of whatWidth x whatHeight from the movie
    // whatVideo and shows frame 0. Needs a current GL context.
    VideoTexture(const std::string& whatVideo, int16_t whatWidth, int16_t whatHeight,
                 int16_t whatFrameCount);
    // Deletes the GL texture before the block it reads from goes.
    ~VideoTexture();
    VideoTexture(const VideoTexture&) = delete;
    VideoTexture& operator=(const VideoTexture&) = delete;

    // Binds the texture and shows the frame for time, 0.0 the first sampled
    // frame and 1.0 the end of the sampled range.
    void gotoFrameWithNTime(float time);
    // Samples the frames into the block that starts at bufferPtr (frame 0's first
    // byte). Frames that cannot be sampled are cleared to transparent black.
    void fillBuffer(uint8_t* bufferPtr, const std::string& whatVideo);
    GLuint texture() const { return texture_; }

    // Movie time of frame f: the duration divided by the frame count
    // (truncating, done first), times f. 0 without frames.
    static int64_t SampleTime(int64_t duration, int32_t frameCount, int32_t f);
    // The frame shown for a normalised time, within 0 ... frameCount - 1.
    static int32_t FrameForTime(float time, int32_t frameCount);

  protected:
    GLuint texture_{};
    int32_t frameCount{};
    int32_t frameWidth{};
    int32_t frameHeight{};
    int32_t bufferColors{};
    int32_t currentFrame{};
    int32_t bufferHeight{};
    int32_t bufferWidth{};
    uint8_t* videoBufferPtr{};
    uint8_t* alignedVideoBufferPtr{};

  private:
    size_t frameBytes() const;
};
