// Puts synthetic input into the platform's event queue, so that it reaches the
// views through the same path as real input at the event loop's next pass.
#pragma once

#include <string>

namespace host {

class Window;

// Positions are in window coordinates, origin at the lower-left corner.
// Buttons: 0 primary, 1 secondary, 2 middle, 3 and 4 the further ones.
void postMouseButton(Window& window, int buttonNumber, bool pressed, float x, float y);
// buttonsHeld: bit n set while button n is held.
void postMouseMotion(Window& window, unsigned buttonsHeld, float x, float y);
// A key typing the character; with control, as if Ctrl were held. A null
// window: the key arrived while no window had the keyboard focus.
void postKey(Window* window, char character, bool control = false);
// deltaY > 0: the wheel turned away from the user.
void postWheel(Window& window, float deltaX, float deltaY);
// As if the platform had exposed the window: the host redraws it.
void postExpose(Window& window);
// As if the user had resized the window to the given size.
void postResize(Window& window, int width, int height);
// As if the window manager had asked the window to close.
void postCloseRequest(Window& window);
// As if the user had dropped the file on the window.
void postFileDrop(Window& window, const std::string& path);

} // namespace host
