// A text style resolved into a cached GDI+ font and colour. Not cached itself; the font and colour it points to
// are shared with the manager's caches. UI thread.
#pragma once

#include <cstdint>
#include <memory>

#include "RynString.h"
#include "XuiGdiplus.h"

struct XuiInnerSharedFontStyle {
    std::shared_ptr<GpFont> font;
    std::shared_ptr<Gdiplus::Color> colour;
    ryn::RynString face;  // the face actually used
    int32_t size = 0;
};
