// Builds a view of a given class in a plain window of a given size on SDL's
// offscreen driver, the way the application loop does.
#pragma once

#include "host/Application.h"
#include "host/OpenGLView.h"
#include "host/Window.h"

#include <cstdlib>
#include <memory>

template <class View> View* loadView(float width, float height) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    host::InterfaceDescription d;
    d.contentRect = {0, 0, width, height};
    d.makeView = [] { return std::make_unique<View>(); };
    if (!host::Application::shared().load(d))
        return nullptr;
    return static_cast<View*>(host::Application::shared().mainView());
}
