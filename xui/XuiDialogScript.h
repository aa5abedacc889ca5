// The script attached to a dialog, as the dialog drives it: callbacks by global name, event text run protected,
// and the unload when the dialog ends. It is also the script call the dialog hands to OnXuiCommand, SetData and
// GetData. Implemented by the script binding; tests give a fake. UI thread; owned by the dialog (deleted through
// the virtual destructor after Unload).
#pragma once

#include "XuiScriptCall.h"

class XuiDialogScript : public XuiScriptCall {
public:
    virtual ~XuiDialogScript() = default;
    // Calls the global function of that name without arguments, unprotected, when it is a function.
    virtual void CallGlobal(const char* name) = 0;
    // Compiles and runs text protected; every error is ignored.
    virtual void RunString(const ryn::RynString& text) = 0;
    // Calls onUnload and forgets the dialog; later calls find no dialog.
    virtual void Unload() = 0;
};
