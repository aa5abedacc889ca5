// The toolkit's process-wide state and life: start-up, the message loop with deferred deletion, shutdown, the
// registry of live dialogs and the two deletion queues. UI thread only (the thread that runs the message loop).
#pragma once

#include <windows.h>

class XuiDialog;
class XuiWidget;

// Stores the module, starts GDI+, registers the "XuiDialog" window class, appends the default widget creator to
// both registries, enumerates the installed font families and initialises the tooltip common control. False (and
// a log line) when GDI+ or the window class cannot be had.
bool XuiInitialize(HMODULE module);
// GetMessage / TranslateMessage / DispatchMessage until WM_QUIT; after every message the queued dialogs and then
// the queued widgets are deleted.
void XuiRunMessageLoop();
// After the loop: last deletions, module cleared, shared images and fonts released, GDI+ shut down, the window
// class and the creator registries undone (so a test process may start the toolkit again).
void XuiShutdown();

// The module given to XuiInitialize; null while the toolkit is not started.
HMODULE XuiModuleHandle();

// Deletes what is queued: every dialog, then every widget, through their virtual destructors.
void XuiRunDeferredDeletions();
void XuiQueueDialogDeletion(XuiDialog* dialog);
void XuiQueueWidgetDeletion(XuiWidget* widget);

// The dialog registry; the class window procedure finds a window's dialog here.
void XuiRegisterDialog(XuiDialog* dialog);
void XuiUnregisterDialog(XuiDialog* dialog);
XuiDialog* XuiFindDialog(HWND window);
