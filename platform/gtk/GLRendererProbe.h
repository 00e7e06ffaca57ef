#pragma once

#include "platform/GraphicsAcceleration.h"

namespace platform::gtk {

// Where the machine has a GPU device, asks the GL stack, on a context of its own that
// draws nothing, which renderer it would give the web engine (a driver may still fall
// back to a CPU rasteriser). The context is gone again when it returns. Without a GPU
// device it asks nothing.
GraphicsReport probeGLRenderer();

}  // namespace platform::gtk
