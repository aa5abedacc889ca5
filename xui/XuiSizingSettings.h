// Edge resizing of a dialog: on or off, the minimum client size, and how wide each grab edge is. A value type on
// the UI thread.
#pragma once

#include <cstdint>

struct XuiSizingSettings {
    int32_t enabled = 0;
    int32_t minWidth = 0;
    int32_t minHeight = 0;
    int32_t edgeLeft = 0;
    int32_t edgeTop = 0;
    int32_t edgeRight = 0;
    int32_t edgeBottom = 0;
};
