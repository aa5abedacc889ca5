// The record a widget hands to its dialog when it raises an event. A value on the UI thread's stack; owns its
// names, not the widget or the data it points to.
#pragma once

#include <cstdint>

#include "RynString.h"

class XuiWidget;

struct XuiWidgetCommand {
    ryn::RynString command;  // "Click", "PushDown", ...
    ryn::RynString source;   // the source widget's name
    XuiWidget* widget = nullptr;
    intptr_t data = 0;  // 0, or for "ItemSelected" the address of the selected item's id (an int32)
};
