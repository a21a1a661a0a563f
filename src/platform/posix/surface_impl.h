#pragma once

#include <cairo.h>

#include "platform/imaging.h"

namespace orvex::platform {

// A cairo context on some target (an image in memory, or an X pixmap). Clipping and the origin
// live in the context's saved states (PushClip/PopClip).
struct Surface {
  cairo_surface_t* target = nullptr;
  cairo_t* cr = nullptr;
};

// Wraps `target` (taking a reference of its own); release with ReleaseSurface.
Surface MakeSurface(cairo_surface_t* target);
void ReleaseSurface(Surface& surface);

}  // namespace orvex::platform
