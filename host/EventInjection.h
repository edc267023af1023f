// Puts synthetic input into the platform's event queue, so that it reaches the
// views through the same path as real input at the event loop's next pass.
// For tests and for scripted demos.
#pragma once

namespace host {

class Window;

// Positions are in window coordinates, origin at the lower-left corner.
// Buttons: 0 primary, 1 secondary, 2 middle, 3 and 4 the further ones.
void postMouseButton(const Window& window, int buttonNumber, bool pressed, float x, float y);
// buttonsHeld: bit n set while button n is held.
void postMouseMotion(const Window& window, unsigned buttonsHeld, float x, float y);
void postKey(const Window& window, char character);
// As if the platform had exposed the window: the host redraws it.
void postExpose(const Window& window);

} // namespace host
