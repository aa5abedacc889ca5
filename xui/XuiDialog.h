// The toolkit's top-level window: borderless and layered, every pixel (alpha included) painted with GDI+ into an
// off-screen bitmap and pushed with UpdateLayeredWindow. Owns the root container of the widget tree, routes mouse
// and keyboard input to widgets, lets the user drag it by any area that is not an interactive widget, resizes by
// its edges when sizable, hosts its widgets' tooltip control and may carry a script.
//
// UI thread only. A dialog is deleted by the toolkit after the message in which its window was destroyed (or by
// its creator when Create never ran). It owns its private record, the root container, the script and the named
// resources; widgets removed from the tree are deleted by the toolkit's deferred deletion.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "RynString.h"
#include "XuiBitmapDC.h"
#include "XuiLayout.h"
#include "XuiSizingSettings.h"

class XuiContainer;
class XuiDialogScript;
class XuiScriptCall;
class XuiWidget;
struct XuiDialogPrivate;
struct XuiKeyEvent;
struct XuiWidgetCommand;

class XuiDialog {
public:
    enum EdgeCode { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };
    enum DefaultKey { kKeyNone = 0, kKeyEnter = 1, kKeyEscape = 2 };
    enum ShowChange { kShownFirst = 0, kShownAgain = 1, kMinimized = 3, kHidden = 4 };

    XuiDialog();
    XuiDialog(const XuiDialog&) = delete;
    XuiDialog& operator=(const XuiDialog&) = delete;

    // The hooks, in their fixed order; the base versions do nothing.
    virtual ~XuiDialog();
    virtual void OnXuiCreate();
    virtual void OnXuiAfterCreate();
    virtual void OnXuiWidgetCommand(const XuiWidgetCommand& command);
    virtual void OnXuiDestroy();
    virtual void OnXuiNcDestroy();
    virtual void OnXuiCommand(XuiScriptCall& call);
    virtual void OnXuiShowChanged(int state);
    virtual void OnXuiFocusChanged(XuiWidget* focused, XuiWidget* previous);
    virtual void OnXuiParentDestroy();
    virtual void OnXuiActivate(bool byClick);
    virtual void OnXuiDeactivate();

    // Window, root container, creation hooks, placement, painting on; the window stays hidden. False when the
    // window cannot be created.
    bool Create();
    void DestroyXuiDialog(int result);
    // Repaints the whole client area now; nothing while painting is off, without window or with an empty client.
    void Update();
    // Paints at the size of rect (screen coordinates) and puts the window there in the same call.
    void UpdateAt(const RECT& rect);
    // Paints background and widget tree into bitmap (already created at the root's size).
    void PaintFrame(XuiBitmapDC& bitmap);

    void SetFocusWidget(XuiWidget* widget);
    void FocusNextWidget();
    RECT GetScreenClientRect() const;
    HWND GetTooltipWindow();
    int GetDefaultKeyOf(XuiWidget* widget) const;
    // Drops every reference the dialog keeps to widget: default keys, hover, focus and its tooltip tool. The
    // containers call it for each widget they remove, so no input reaches a widget waiting for deletion.
    void ForgetWidget(XuiWidget* widget);
    LRESULT OnWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Commands, properties and events from the script and the widgets.
    void SendCommand(XuiScriptCall& call);
    void HandleWidgetCommand(const XuiWidgetCommand& command);
    void SetData(XuiScriptCall& call);
    int GetData(XuiScriptCall& call);

    void SetLayout(const XuiLayout& layout);
    const XuiLayout& Placement() const { return mPlacement; }
    void LayoutFitBackgroundImage(HMODULE module, int id);
    void SetBackgroundPieces(HMODULE module, int id, int left, int top, int right, int bottom);
    void SetSizable(const XuiSizingSettings& settings);
    bool IsSizable() const { return mSizable; }
    void SetDefaultKeyWidget(int key, XuiWidget* widget);
    void AddNamedResource(const ryn::RynString& name, HMODULE module, int id);
    bool FindNamedResource(const ryn::RynString& name, HMODULE* module, int* id) const;
    void OnWmDisplayChange(WPARAM wParam, LPARAM lParam);

    // Takes ownership of the script (before Create, so that its callbacks run there).
    void SetScript(XuiDialogScript* script);
    XuiDialogScript* Script() const { return mScript; }

    HWND Window() const { return mWindow; }
    XuiContainer* Root() const { return mRoot; }
    XuiWidget* HoveredWidget() const;
    XuiWidget* FocusedWidget() const;
    bool IsPaintingEnabled() const;

    // The arithmetic of placement and sizing, shared with the tests.
    static RECT PlaceOnDesktop(const XuiLayout& layout, int desktopWidth, int desktopHeight);
    static int EdgeCodeAt(const XuiSizingSettings& sizing, int width, int height, POINT point);
    static RECT ResizedRect(int edge, int dx, int dy, const RECT& start, int minWidth, int minHeight);

private:
    void Place();
    void PushFrame(XuiBitmapDC& bitmap, POINT origin, SIZE size);
    void LeaveHovered();
    XuiWidget* WidgetAt(POINT point) const;
    void SetCursorKind(int kind);
    void SetEdgeCursor(int edge);
    LRESULT OnNcHitTest();
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    void OnLButtonUp(LPARAM lParam);
    void OnLButtonDblClk(LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnMouseHover(LPARAM lParam);
    void OnMouseLeave();
    void OnKey(int transition, WPARAM wParam, LPARAM lParam);
    bool OnWmChar(WPARAM wParam, LPARAM lParam);
    void OnSysKey(UINT message, WPARAM wParam, LPARAM lParam);

    XuiDialogPrivate* mPrivate;
    HWND mWindow = nullptr;
    XuiLayout mPlacement;
    bool mSizable = false;
    int mBackgroundInsets[4] = {0, 0, 0, 0};
    bool mBackgroundInsetsSet[4] = {false, false, false, false};
    XuiContainer* mRoot = nullptr;
    XuiDialogScript* mScript = nullptr;
    std::map<std::wstring, std::pair<HMODULE, int>> mNamedResources;
};
