// Where the application's files live.
#pragma once

#include <string>

namespace host {

// The folder "Resources" beside the running executable, found through the
// executable's real path so that a symbolic link to the program works.
// Empty when the executable's path cannot be read.
std::string resourcePath();

// True when the path names an existing regular file (a file reference can be made).
bool fileExists(const std::string& path);

} // namespace host
