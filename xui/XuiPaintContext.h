// What a widget paints with: the GDI+ graphics object on the frame's off-screen bitmap, and the bitmap itself.
// Lives on the stack of one paint pass on the UI thread; owns the bitmap only when ownsBitmap is set.
#pragma once

#include "XuiBitmapDC.h"
#include "XuiGdiplus.h"

struct XuiPaintContext {
    GpGraphics* graphics = nullptr;
    XuiBitmapDC* bitmap = nullptr;
    bool ownsBitmap = false;
};
