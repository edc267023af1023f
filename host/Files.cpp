#include "host/Files.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace host {

std::string resourcePath() {
    char exe[PATH_MAX];
    if (!realpath("/proc/self/exe", exe))
        return {};
    std::string path(exe);
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash) + "/Resources";
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace host
