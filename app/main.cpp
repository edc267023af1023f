#include "app/FullscreenWindow.h"
#include "host/Application.h"
#include "scene/dravinView.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // Lines arrive as they are printed, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    host::InterfaceDescription description;
    description.contentRect = {0, 0, 800, 600};
    description.makeWindow = [](const host::Rect& rect, uint32_t style, host::BackingStore backing,
                                bool defer) {
        return std::make_unique<FullscreenWindow>(rect, style, backing, defer);
    };
    description.makeView = [] { return std::make_unique<dravinView>(); };
    return host::applicationMain(argc, argv, description);
}
