// Input records the dialog hands to widgets, and the small enumerations of the widget contract. Values on the UI
// thread's stack. Coordinates are relative to the receiving widget's rectangle.
#pragma once

#include <windows.h>

#include <cstdint>

enum XuiWidgetState : int32_t { XuiStateNormal = 0, XuiStateHover = 1, XuiStatePressed = 2, XuiStateDisabled = 3 };

// What a widget wants the cursor to be while the mouse is over it.
enum XuiCursorKind : int32_t { XuiCursorNone = 0, XuiCursorArrow = 1, XuiCursorHand = 2, XuiCursorBeam = 3 };

struct XuiMouseMoveEvent {
    enum Kind : int32_t { kMove = 0, kEnter = 1, kLeave = 2, kHover = 3 };
    int32_t kind = kMove;
    int32_t x = 0;
    int32_t y = 0;
};

struct XuiMouseButtonEvent {
    enum Action : int32_t { kDown = 0, kUp = 1, kDoubleClick = 2 };
    int32_t x = 0;
    int32_t y = 0;
    int32_t button = 0;  // 0 left; the dialog sends no other
    int32_t action = kDown;
};

struct XuiMouseWheelEvent {
    int32_t x = 0;
    int32_t y = 0;
    int32_t delta = 0;  // signed high word of the message's wParam
};

// Keys (transition 0 down, 1 up, then the virtual key) and characters (0 WM_CHAR, 1 input method, then the
// character); the message's lParam follows as a third word.
struct XuiKeyEvent {
    int32_t transition = 0;
    int32_t code = 0;
    LPARAM lParam = 0;
};
