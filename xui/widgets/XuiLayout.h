// The six anchors that place a rectangle inside a parent rectangle: left, right and width across, top, bottom and
// height down, each optional. A value type; the UI thread uses it for widgets and for a dialog on the desktop.
#pragma once

#include <windows.h>

#include <cstdint>

struct XuiLayout {
    int32_t left = 0;
    bool leftSet = false;
    int32_t right = 0;
    bool rightSet = false;
    uint32_t width = 0;
    bool widthSet = false;
    int32_t top = 0;
    bool topSet = false;
    int32_t bottom = 0;
    bool bottomSet = false;
    uint32_t height = 0;
    bool heightSet = false;

    // Fills a fresh layout from a code of the letters l r w t b h (lower case) and numbers: letter i takes
    // number i; any other character uses up its number. The shorter of code and numbers ends the walk.
    static XuiLayout FromCode(const wchar_t* code, const int* numbers, int count);

    // The rectangle inside parent. Across: width with left, else with right, else centred; or left and right
    // without width; anything else empties all four edges. Then down the same way; a failed vertical axis also
    // erases the horizontal result.
    RECT Place(const RECT& parent) const;

    bool operator==(const XuiLayout& other) const;
};
