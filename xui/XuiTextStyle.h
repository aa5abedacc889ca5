// Text style record: face, size, style bits and colour, each optional. A value type; any thread may copy it, the
// toolkit uses it on the UI thread. Owns its face string.
#pragma once

#include <cstdint>

#include "RynString.h"

struct XuiTextStyle {
    static constexpr int32_t kDefaultSize = 12;
    static constexpr uint32_t kDefaultColour = 0xFE000000;  // black with alpha 254

    ryn::RynString face;  // empty = unset
    int32_t size = 0;
    bool sizeSet = false;
    int32_t style = 0;  // 1 bold, 2 italic, 4 underline, 8 strikeout (the GDI+ FontStyle values)
    bool styleSet = false;
    uint32_t colour = 0;  // ARGB
    bool colourSet = false;

    int32_t SizeOrDefault() const { return sizeSet ? size : kDefaultSize; }
    int32_t StyleOrDefault() const { return styleSet ? style : 0; }
    uint32_t ColourOrDefault() const { return colourSet ? colour : kDefaultColour; }
};
