// Base of everything a dialog draws and routes input to: a rectangle in the dialog's client area with anchors,
// name, text, visual state, text style, tab stop and tooltip. Widgets are not windows; they paint into the
// dialog's off-screen bitmap and receive the input the dialog routes to them.
//
// UI thread only. A widget belongs to its parent container from the moment it is attached; removal hands it to
// the toolkit's deferred deletion (deleted after the current window message), never deletes it on the spot. It
// owns its strings and style, not its dialog or parent.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RynString.h"
#include "XuiGdiplus.h"
#include "XuiLayout.h"
#include "XuiPaintContext.h"
#include "XuiTextStyle.h"
#include "XuiWidgetEvents.h"

class XuiContainer;
class XuiDialog;
class XuiScriptCall;
class XuiXmlElement;

class XuiWidget {
public:
    enum PropertyKind { kPropertyText = 1, kPropertyVisible = 2 };

    XuiWidget() = default;
    XuiWidget(const XuiWidget&) = delete;
    XuiWidget& operator=(const XuiWidget&) = delete;

    // The virtual interface, in its fixed order.
    virtual ~XuiWidget();
    virtual bool IsContainer() const;
    // Non-interactive widgets belong to the window's drag area but still get enter and leave.
    virtual bool IsInteractive() const;
    virtual void OnSetData(XuiScriptCall& call);
    virtual void OnLoadXml(XuiXmlElement& element);
    virtual void OnAttached(XuiContainer* parent);
    virtual void OnDetached();
    virtual void Paint(XuiPaintContext& context);
    virtual void CalcRect(const RECT& parentRect, RECT* outRect);
    virtual void OnLayout();
    virtual void OnMouseMove(const XuiMouseMoveEvent& event, XuiCursorKind* cursor);
    virtual void OnHoverNotify(const XuiMouseMoveEvent& event);
    virtual void OnMouseButton(const XuiMouseButtonEvent& event);
    virtual void OnMouseWheel(const XuiMouseWheelEvent& event);
    virtual void OnKey(const XuiKeyEvent& event, bool* handled);
    virtual void OnChar(const XuiKeyEvent& event, bool* handled);
    virtual void OnSysKey(const XuiKeyEvent& event, bool* handled);
    virtual void OnSysChar(const XuiKeyEvent& event, bool* handled);
    virtual void OnWidgetCommand(XuiScriptCall& call);
    virtual void OnDialogMoved(int a, int b, int c);
    virtual void OnFocusChanged(bool focused);
    virtual void OnLayoutChanged(const XuiLayout& layout);
    // Enter or Escape for the widget registered as the dialog's default-key widget.
    virtual void Activate(const XuiKeyEvent& event);
    virtual void OnPropertyChanged(int kind);
    // Values pushed for the widget's own getWidgetData queries.
    virtual int OnGetData(XuiScriptCall& call);

    // Stores the text and reports kPropertyText; no redraw.
    void SetText(const ryn::RynString& text);
    // Stores, reports kPropertyVisible and asks the dialog to redraw.
    void SetVisible(bool visible);
    // True: Disabled from any state; false: back by the state rule. Redraws.
    void SetDisabled(bool disabled);
    // Replaces the anchors and reports them through OnLayoutChanged.
    void SetLayout(const XuiLayout& layout);

    // Enter, leave and moves from the dialog: hovered/pressed bookkeeping, state rule, then OnMouseMove (also
    // while disabled).
    void DispatchMouseMove(const XuiMouseMoveEvent& event, XuiCursorKind* cursor);
    // Left-button down, up and double click: OnMouseButton only when the pressed flag changed or on a double
    // click, and never while disabled.
    void DispatchMouseButton(const XuiMouseButtonEvent& event);
    // Hands {command, name, this, data} to the dialog, when attached.
    void RaiseEvent(const wchar_t* command, intptr_t data = 0);

    // Takes the parent's size, style bits, colour and face where this widget's own are unset, then OnAttached.
    void InheritTextStyle(XuiContainer* parent);
    // Registers or refreshes the widget's tool in the dialog's tooltip control.
    void UpdateTooltip();
    // The style's face when installed, else the system's default face.
    ryn::RynString EffectiveFontFace() const;

    // setWidgetData / getWidgetData commands common to all widgets; others go to OnSetData / OnGetData.
    void HandleSetData(XuiScriptCall& call);
    int HandleGetData(XuiScriptCall& call);
    // Common attributes of a layout-document element, then OnLoadXml.
    void LoadXmlAttributes(XuiXmlElement& element);

    // An HFONT for the GDI+ font (the caller deletes it), or null.
    static HFONT CreateGdiFont(GpFont* font);
    // Extent of text drawn with font through the graphics' device context.
    static SIZE MeasureText(GpGraphics* graphics, GpFont* font, const ryn::RynString& text);
    // "r,g,b" (three decimal numbers, any non-digits between) or a hexadecimal ARGB/RGB value; false leaves
    // *colour untouched.
    static bool ParseRgbAttribute(const ryn::RynString& value, uint32_t* colour);
    // The state rule: Disabled stays; else hovered ? (pressed ? Pressed : Hover) : Normal.
    static XuiWidgetState StateFor(XuiWidgetState current, bool hovered, bool pressed);

    XuiDialog* Dialog() const { return mDialog; }
    void SetDialog(XuiDialog* dialog) { mDialog = dialog; }
    const XuiLayout& Layout() const { return mLayout; }
    const ryn::RynString& Name() const { return mName; }
    void SetName(const ryn::RynString& name) { mName = name; }
    const ryn::RynString& Text() const { return mText; }
    XuiContainer* Parent() const { return mParent; }
    void SetParent(XuiContainer* parent) { mParent = parent; }
    const RECT& Rect() const { return mRect; }
    void SetRect(const RECT& rect) { mRect = rect; }
    bool IsVisible() const { return mVisible; }
    XuiWidgetState State() const { return mState; }
    bool IsDisabled() const { return mState == XuiStateDisabled; }
    bool IsHovered() const { return mHovered; }
    bool IsPressed() const { return mPressed; }
    // The dialog forgets the pointer or the mouse left: hovered and pressed off, state by the rule.
    void ClearMouseFlags();
    const XuiTextStyle& TextStyle() const { return mTextStyle; }
    void SetTextStyle(const XuiTextStyle& style) { mTextStyle = style; }
    bool HasTabStop() const { return mTabStopSet; }
    int TabStop() const { return mTabStop; }
    void SetTabStop(int tabStop) {
        mTabStop = tabStop;
        mTabStopSet = true;
    }
    bool IsFocused() const { return mFocused; }
    void SetFocused(bool focused) { mFocused = focused; }
    const ryn::RynString& Tooltip() const { return mTooltip; }

protected:
    void Redraw();

private:
    XuiDialog* mDialog = nullptr;
    XuiLayout mLayout;
    ryn::RynString mName;
    ryn::RynString mText;
    XuiContainer* mParent = nullptr;
    RECT mRect = {0, 0, 0, 0};
    bool mVisible = true;
    XuiWidgetState mState = XuiStateNormal;
    bool mHovered = false;
    bool mPressed = false;
    XuiTextStyle mTextStyle;
    int32_t mTabStop = 0;
    bool mTabStopSet = false;
    bool mFocused = false;
    ryn::RynString mTooltip;
};
