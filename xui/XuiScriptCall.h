// The script call in progress, as widgets, creators and dialogs see it: the arguments the script passed and the
// results it will receive. Implemented by the dialog's script state; tests give a fake. UI thread only; the object
// belongs to the script binding and is valid during the call only.
//
// Numbering follows the script: for a widget data command argument 1 is the widget, 2 the command name and the
// values start at 3; for widget creation 1 is the type, 2 the name, 3 the text; for a dialog command or property
// 1 is the name. A wrong argument type raises the script engine's argument error ("string" or "number"), which
// leaves the native code through the engine, so callers read arguments before changing anything they cannot undo.
#pragma once

#include "RynString.h"

class XuiScriptCall {
public:
    // Text of a string or number argument.
    virtual ryn::RynString ArgString(int index) = 0;
    // Nearest integer (halves to even) of a number argument, or a string that converts to one.
    virtual int ArgInteger(int index) = 0;
    // False for nil, false or a missing argument, true otherwise.
    virtual bool ArgBoolean(int index) = 0;
    // Up to max entries 1, 2, ... of the table at index as integers; entries that are not numbers are counted but
    // left unwritten. Returns the entries visited, 0 when the argument is not a table.
    virtual int ArgIntArray(int index, int* out, int max) = 0;
    // Up to 16 entries of the table in argument 3 as text, counted the same way.
    virtual int ArgStringArray(ryn::RynString* out) = 0;
    virtual int ArgCount() = 0;
    virtual void PushInteger(int value) = 0;
    virtual void PushString(const ryn::RynString& text) = 0;

protected:
    ~XuiScriptCall() = default;
};
