// A normal window for the desktop: decorated, resizable, at the normal level
// beside other windows, never larger than its screen.
#pragma once

#include "host/Geometry.h"
#include "host/Window.h"

#include <cstdint>

class DesktopWindow : public host::Window {
  public:
    DesktopWindow(const host::Rect& contentRect, uint32_t styleMask, host::BackingStore backing,
                  bool defer);

    // Shrinks the window to its screen where it is larger, and centres it.
    void awakeFromNib() override;
};
