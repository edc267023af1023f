// Builds a view of a given class in a plain window of a given size, the way
// the application loop does: on SDL's offscreen driver with a real GL
// context, or on the null platform (no window system, no GL, events only
// from the test).
#pragma once

#include "host/Application.h"
#include "host/OpenGLView.h"
#include "host/Window.h"
#include "host/platform/NullPlatform.h"

#include <cstdlib>
#include <memory>

template <class View> View* loadView(float width, float height) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    host::InterfaceDescription d;
    d.contentRect = {0, 0, width, height};
    d.makeView = [] { return std::make_unique<View>(); };
    auto& app = host::Application::shared();
    return app.load(d) ? static_cast<View*>(app.mainView()) : nullptr;
}

template <class View> View* loadNullView(float width = 64, float height = 64) {
    host::platform::useNullPlatform();
    return loadView<View>(width, height);
}

// A view of the class whose loops never start, so that only the test drives it.
template <class View> struct Quiet : View {
    void startThreads() override {}
};
