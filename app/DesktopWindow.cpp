#include "app/DesktopWindow.h"

#include <algorithm>

DesktopWindow::DesktopWindow(const host::Rect& contentRect, uint32_t styleMask,
                             host::BackingStore backing, bool defer)
    : host::Window(contentRect, styleMask, backing, defer) {}

void DesktopWindow::awakeFromNib() {
    const host::Rect screen = this->screen().frame();
    const host::Rect now = frame();
    const float width = std::min(now.width, screen.width);
    const float height = std::min(now.height, screen.height);
    setFrame({screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2, width,
              height},
             true);
}
