#pragma once

#include <windows.h>

#include <vector>

#include "platform/imaging.h"

namespace orvex::platform {

// A device context with the origin and clip rectangle kept here, in device pixels: GDI and
// GDI+ calls get both applied explicitly, so neither depends on the other's view of the DC.
struct Surface {
  struct Frame {
    int originX = 0;
    int originY = 0;
    RECT clip{};
  };
  HDC dc = nullptr;
  Frame current;
  std::vector<Frame> saved;
  // Off-screen surfaces own their DC and bitmap.
  HBITMAP bitmap = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  void* bits = nullptr;
  int width = 0;
  int height = 0;
};

// A surface over a window's paint DC; the clip starts as the whole width x height.
Surface MakeSurface(HDC dc, int width, int height);

}  // namespace orvex::platform
