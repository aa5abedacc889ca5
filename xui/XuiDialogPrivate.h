// The dialog's private record: background, input routing state, focus, default keys and tooltip control. Created
// and destroyed by XuiDialog on the UI thread; owns the background bitmaps (shared with the image cache), not the
// widgets it points to.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "XuiInnerSharedBitmap.h"
#include "XuiSizingSettings.h"

class XuiWidget;

struct XuiDialogPrivate {
    bool destroying = false;
    XuiSharedGpBitmap backgroundImage;
    std::vector<XuiSharedGpBitmap> backgroundPieces;
    bool mouseTracking = false;
    XuiWidget* hovered = nullptr;
    XuiSizingSettings sizing;
    int edgeUnderCursor = 0;
    int draggedEdge = 0;
    POINT dragOrigin = {0, 0};
    RECT dragStartRect = {0, 0, 0, 0};
    bool paintingEnabled = false;
    XuiWidget* focused = nullptr;
    std::map<int, XuiWidget*> defaultKeys;  // 1 Enter, 2 Escape
    HWND tooltip = nullptr;
    bool shownBefore = false;
};
