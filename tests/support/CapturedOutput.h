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

    std::string out() const { return read(out_); }
    std::string err() const { return read(err_); }
    std::string log() const { return read(log_); }

  private:
    static void receive(diag::Channel channel, const char* bytes, size_t length, void* user) {
        auto* self = static_cast<CapturedOutput*>(user);
        std::lock_guard lock(self->mutex_);
        std::string& to = channel == diag::Channel::Out   ? self->out_
                          : channel == diag::Channel::Err ? self->err_
                                                          : self->log_;
        to.append(bytes, length);
    }
    std::string read(const std::string& s) const {
        std::lock_guard lock(mutex_);
        return s;
    }

    mutable std::mutex mutex_;
    std::string out_, err_, log_;
};

} // namespace test
