// Collects what the framework writes on each channel while it is alive.
#pragma once

#include "diag/Diagnostics.h"

#include <mutex>
#include <string>

namespace test {

class CapturedOutput {
  public:
    CapturedOutput() { diag::setSink(&CapturedOutput::receive, this); }
    ~CapturedOutput() { diag::setSink(nullptr); }

    std::string out() const { return read(diag::Channel::Out); }
    std::string err() const { return read(diag::Channel::Err); }
    std::string log() const { return read(diag::Channel::Log); }

  private:
    static void receive(diag::Channel channel, const char* bytes, size_t length, void* user) {
        auto* self = static_cast<CapturedOutput*>(user);
        std::lock_guard lock(self->mutex_);
        self->text_[int(channel)].append(bytes, length);
    }
    std::string read(diag::Channel channel) const {
        std::lock_guard lock(mutex_);
        return text_[int(channel)];
    }

    mutable std::mutex mutex_;
    std::string text_[3]; // by channel: out, err, log
};

} // namespace test
