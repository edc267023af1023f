// The host log: one line a message on standard error.
#pragma once

namespace host {

// printf-style; a trailing newline is added when the message has none.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace host
