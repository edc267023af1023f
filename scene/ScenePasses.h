// The GL state around the two model passes of the scene's frame, shared by
// the frame itself and by the benchmark that times each pass alone.
#pragma once

#include "math/ArcBall.h"

namespace scene {

// The model's place: 27 units in front of the eye, turned by the arcball.
void placeModel(const ArcBall& arcBall);

// Pass 2: every fragment of the model writes depth and 1 into the stencil.
void beginModelIntoStencil();
void endModelIntoStencil();

// Pass 4: the lit model at half strength, added onto the surface pass 2 drew.
void beginHighlight();
void endHighlight();

} // namespace scene
