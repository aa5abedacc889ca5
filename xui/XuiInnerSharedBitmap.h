// Image part: a shared decoded GDI+ bitmap and the rectangle of it that a widget shows. Parts are held through
// shared pointers and several widgets may hold the same part; the bitmap lives while any part holds it. UI thread.
#pragma once

#include <windows.h>

#include <memory>

#include "XuiGdiplus.h"

using XuiSharedGpBitmap = std::shared_ptr<GpBitmap>;

struct XuiInnerSharedBitmap {
    XuiSharedGpBitmap bitmap;    // may be empty
    RECT source = {0, 0, 0, 0};  // left, top, right, bottom in image pixels
};

using XuiSharedImagePart = std::shared_ptr<XuiInnerSharedBitmap>;
