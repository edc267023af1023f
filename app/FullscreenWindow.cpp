#include "app/FullscreenWindow.h"

FullscreenWindow::FullscreenWindow(const host::Rect& contentRect, uint32_t, host::BackingStore,
                                   bool)
    : host::Window(contentRect, host::NSBorderlessWindowMask, host::BackingStore::buffered, false) {
    setLevel(host::windowLevelForKey(host::kStatusWindowLevelKey));
    setAlphaValue(1.0f);
    setOpaque(true);
    setHasShadow(false);
}

void FullscreenWindow::awakeFromNib() {
    setBackgroundColor(host::Color::blackColor());
    setLevel(host::shieldingWindowLevel());
    setFrame(screen().frame(), true);
}

bool FullscreenWindow::canBecomeKeyWindow() {
    return true;
}
