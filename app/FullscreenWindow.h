// A borderless window that takes the whole screen, above every other window,
// and can still take keyboard focus.
#pragma once

#include "host/Geometry.h"
#include "host/Window.h"

#include <cstdint>

class FullscreenWindow : public host::Window {
  public:
    // Whatever style, backing and defer the description asks for, the window
    // is borderless, buffered and not deferred.
    FullscreenWindow(const host::Rect& contentRect, uint32_t styleMask, host::BackingStore backing,
                     bool defer);

    void awakeFromNib() override;
    bool canBecomeKeyWindow() override;

    // Kept for subclasses; nothing here reads or writes it.
    host::Point initialLocation{};
};
