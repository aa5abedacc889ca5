#include "XuiWidget.h"

#include <commctrl.h>

#include "Logger.h"
#include "RynException.h"
#include "XuiContainer.h"
#include "XuiDialog.h"
#include "XuiInnerSharedManager.h"
#include "XuiScopedHandle.h"
#include "XuiScriptCall.h"
#include "XuiSelectObject.h"
#include "XuiToolkit.h"
#include "XuiWidgetCommand.h"
#include "XuiWindowDC.h"
#include "XuiXmlElement.h"

using ryn::RynString;

XuiWidget::~XuiWidget() = default;
bool XuiWidget::IsContainer() const { return false; }
bool XuiWidget::IsInteractive() const { return true; }
void XuiWidget::OnSetData(XuiScriptCall&) {}
void XuiWidget::OnLoadXml(XuiXmlElement&) {}
void XuiWidget::OnAttached(XuiContainer*) {}
void XuiWidget::OnDetached() {}
void XuiWidget::Paint(XuiPaintContext&) {}
void XuiWidget::CalcRect(const RECT& parentRect, RECT* outRect) { *outRect = mLayout.Place(parentRect); }
void XuiWidget::OnLayout() {}
void XuiWidget::OnMouseMove(const XuiMouseMoveEvent& event, XuiCursorKind*) { OnHoverNotify(event); }
void XuiWidget::OnHoverNotify(const XuiMouseMoveEvent&) {}
void XuiWidget::OnMouseButton(const XuiMouseButtonEvent&) {}
void XuiWidget::OnMouseWheel(const XuiMouseWheelEvent&) {}
void XuiWidget::OnKey(const XuiKeyEvent&, bool*) {}
void XuiWidget::OnChar(const XuiKeyEvent&, bool*) {}
void XuiWidget::OnSysKey(const XuiKeyEvent&, bool*) {}
void XuiWidget::OnSysChar(const XuiKeyEvent&, bool*) {}
void XuiWidget::OnWidgetCommand(XuiScriptCall&) {}
void XuiWidget::OnDialogMoved(int, int, int) {}
void XuiWidget::OnFocusChanged(bool) {}
void XuiWidget::OnLayoutChanged(const XuiLayout&) {}
void XuiWidget::Activate(const XuiKeyEvent&) {}
void XuiWidget::OnPropertyChanged(int) {}
int XuiWidget::OnGetData(XuiScriptCall&) { return 0; }

void XuiWidget::Redraw() {
    if (mDialog != nullptr) mDialog->Update();
}

void XuiWidget::SetText(const RynString& text) {
    mText = text;
    OnPropertyChanged(kPropertyText);
}

void XuiWidget::SetVisible(bool visible) {
    mVisible = visible;
    OnPropertyChanged(kPropertyVisible);
    Redraw();
}

void XuiWidget::SetDisabled(bool disabled) {
    if (disabled) {
        mState = XuiStateDisabled;
    } else if (mState == XuiStateDisabled) {
        mState = StateFor(XuiStateNormal, mHovered, mPressed);
    }
    Redraw();
}

void XuiWidget::SetLayout(const XuiLayout& layout) {
    mLayout = layout;
    OnLayoutChanged(mLayout);
}

XuiWidgetState XuiWidget::StateFor(XuiWidgetState current, bool hovered, bool pressed) {
    if (current == XuiStateDisabled) return XuiStateDisabled;
    return hovered ? (pressed ? XuiStatePressed : XuiStateHover) : XuiStateNormal;
}

void XuiWidget::ClearMouseFlags() {
    mHovered = false;
    mPressed = false;
    mState = StateFor(mState, mHovered, mPressed);
}

void XuiWidget::DispatchMouseMove(const XuiMouseMoveEvent& event, XuiCursorKind* cursor) {
    if (event.kind == XuiMouseMoveEvent::kEnter) {
        mHovered = true;
    } else if (event.kind == XuiMouseMoveEvent::kLeave) {
        mPressed = false;
        mHovered = false;
    }
    mState = StateFor(mState, mHovered, mPressed);
    OnMouseMove(event, cursor);
}

void XuiWidget::DispatchMouseButton(const XuiMouseButtonEvent& event) {
    bool changed = false;
    if (event.button == 0) {
        if (event.action == XuiMouseButtonEvent::kDown && !mPressed) {
            mPressed = true;
            changed = true;
        } else if (event.action == XuiMouseButtonEvent::kUp && mPressed) {
            mPressed = false;
            changed = true;
        }
    }
    if (mState == XuiStateDisabled) return;
    mState = StateFor(mState, mHovered, mPressed);
    if (changed || event.action == XuiMouseButtonEvent::kDoubleClick) OnMouseButton(event);
}

void XuiWidget::RaiseEvent(const wchar_t* command, intptr_t data) {
    if (mDialog == nullptr) return;
    XuiWidgetCommand record;
    record.command = command;
    record.source = mName;
    record.widget = this;
    record.data = data;
    mDialog->HandleWidgetCommand(record);
}

void XuiWidget::InheritTextStyle(XuiContainer* parent) {
    XuiTextStyle style = mTextStyle;
    if (parent != nullptr) {
        const XuiTextStyle& from = parent->TextStyle();
        if (!style.sizeSet && from.sizeSet) {
            style.size = from.size;
            style.sizeSet = true;
        }
        if (!style.styleSet && from.styleSet) {
            style.style = from.style;
            style.styleSet = true;
        }
        if (!style.colourSet && from.colourSet) {
            style.colour = from.colour;
            style.colourSet = true;
        }
        if (style.face.IsEmpty() && !from.face.IsEmpty()) style.face = from.face;
    }
    mTextStyle = style;
    OnAttached(parent);
}

RynString XuiWidget::EffectiveFontFace() const {
    if (!mTextStyle.face.IsEmpty() && XuiInnerSharedManager::IsFontInstalled(mTextStyle.face)) return mTextStyle.face;
    return XuiInnerSharedManager::DefaultFace();
}

void XuiWidget::UpdateTooltip() {
    if (mTooltip.IsEmpty() || mDialog == nullptr || IsRectEmpty(&mRect)) return;
    HWND tooltip = mDialog->GetTooltipWindow();
    if (tooltip == nullptr) return;

    // Tooltip texts are kept in a fixed buffer of 80 units; a longer text registers as empty.
    wchar_t text[RynString::kCopyBufferSize] = {};
    if (mTooltip.CopyTo(text) < 0) text[0] = L'\0';

    TTTOOLINFOW info = {};
    static_assert(sizeof(TTTOOLINFOW) == 48, "the tooltip control is asked with the 48-byte tool record");
    info.cbSize = sizeof(info);
    info.hwnd = mDialog->Window();
    info.uId = reinterpret_cast<UINT_PTR>(this);
    const bool exists = SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    info.cbSize = sizeof(info);
    info.hwnd = mDialog->Window();
    info.uId = reinterpret_cast<UINT_PTR>(this);
    info.rect = mRect;
    info.lpszText = text;
    if (exists) {
        SendMessageW(tooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
    } else {
        info.uFlags = TTF_SUBCLASS;
        info.hinst = XuiModuleHandle();
        if (SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) == FALSE) {
            RYN_LOG(2, "XuiWidget::UpdateTooltip").AppendFormat(L"TTM_ADDTOOLW failed for %s", mName.c_str());
        }
    }
    SendMessageW(tooltip, TTM_UPDATE, 0, 0);
}

void XuiWidget::HandleSetData(XuiScriptCall& call) {
    const RynString command = call.ArgString(2);
    if (command == L"Text") {
        SetText(call.ArgString(3));
    } else if (command == L"SetVisible" || command == L"Visible") {
        SetVisible(call.ArgBoolean(3));
    } else if (command == L"SetDisable" || command == L"Disable") {
        SetDisabled(call.ArgBoolean(3));
    } else if (command == L"SetTabStop" || command == L"TabStop") {
        SetTabStop(call.ArgInteger(3));
    } else if (command == L"SetTextStyle" || command == L"TextStyle") {
        XuiTextStyle style;
        style.face = call.ArgString(3);
        style.size = call.ArgInteger(4);
        style.sizeSet = true;
        if (call.ArgCount() >= 5) {
            const RynString letters = call.ArgString(5);
            for (const wchar_t* p = letters.c_str(); *p != L'\0'; ++p) {
                switch (*p) {
                    case L'b':
                    case L'B':
                        style.style |= 1;
                        break;
                    case L'i':
                    case L'I':
                        style.style |= 2;
                        break;
                    case L'u':
                    case L'U':
                        style.style |= 4;
                        break;
                    case L's':
                    case L'S':
                        style.style |= 8;
                        break;
                    default:
                        break;
                }
            }
            style.styleSet = true;
        }
        mTextStyle = style;
    } else if (command == L"SetTextColorRGB" || command == L"TextColorRGB") {
        const int r = call.ArgInteger(3);
        const int g = call.ArgInteger(4);
        const int b = call.ArgInteger(5);
        mTextStyle.colour = 0xFE000000u + (static_cast<uint32_t>(r) & 255) * 65536u +
                            (static_cast<uint32_t>(g) & 255) * 256u + (static_cast<uint32_t>(b) & 255);
        mTextStyle.colourSet = true;
    } else if (command == L"SetTooltip" || command == L"Tooltip") {
        mTooltip = call.ArgString(3);
        UpdateTooltip();
    } else if (command == L"SetFocus" || command == L"Focus") {
        const bool focused = call.ArgBoolean(3);
        mFocused = focused;
        OnFocusChanged(focused);
    } else {
        OnSetData(call);
    }
}

int XuiWidget::HandleGetData(XuiScriptCall& call) {
    if (call.ArgString(2) == L"Text") {
        call.PushString(mText);
        return 1;
    }
    return OnGetData(call);
}

bool XuiWidget::ParseRgbAttribute(const RynString& value, uint32_t* colour) {
    if (value.IsEmpty()) return false;
    const wchar_t* comma = wcschr(value.c_str(), L',');
    if (comma != nullptr && comma != value.c_str()) {
        unsigned numbers[3] = {};
        if (value.ToUIntList(numbers, 3) != 3) return false;
        *colour = 0xFE000000u + (numbers[0] & 255) * 65536u + (numbers[1] & 255) * 256u + (numbers[2] & 255);
        return true;
    }
    unsigned hex = 0;
    if (!value.ToUInt(&hex, 16)) return false;
    *colour = hex | 0xFE000000u;
    return true;
}

void XuiWidget::LoadXmlAttributes(XuiXmlElement& element) {
    const RynString text = element.Attribute(L"Text");
    if (!text.IsEmpty()) SetText(text);

    XuiLayout layout;
    int present = 0;
    int value = 0;
    struct Anchor {
        const wchar_t* name;
        void (*apply)(XuiLayout&, int);
    };
    static const Anchor kAnchors[] = {
        {L"L",
         [](XuiLayout& l, int v) {
             l.left = v;
             l.leftSet = true;
         }},
        {L"T",
         [](XuiLayout& l, int v) {
             l.top = v;
             l.topSet = true;
         }},
        {L"R",
         [](XuiLayout& l, int v) {
             l.right = v;
             l.rightSet = true;
         }},
        {L"B",
         [](XuiLayout& l, int v) {
             l.bottom = v;
             l.bottomSet = true;
         }},
        {L"W",
         [](XuiLayout& l, int v) {
             l.width = static_cast<uint32_t>(v);
             l.widthSet = true;
         }},
        {L"H",
         [](XuiLayout& l, int v) {
             l.height = static_cast<uint32_t>(v);
             l.heightSet = true;
         }},
    };
    for (const Anchor& anchor : kAnchors) {
        if (element.AttributeInt(anchor.name, &value)) {
            anchor.apply(layout, value);
            ++present;
        }
    }
    if (present >= 2) SetLayout(layout);

    const RynString visible = element.Attribute(L"Visible");
    if (visible.CompareNoCase(L"true") == 0) {
        SetVisible(true);
    } else if (visible.CompareNoCase(L"false") == 0) {
        SetVisible(false);
    }

    uint32_t colour = 0;
    if (ParseRgbAttribute(element.Attribute(L"RGB"), &colour)) {
        mTextStyle.colour = colour;
        mTextStyle.colourSet = true;
    }
    OnLoadXml(element);
}

HFONT XuiWidget::CreateGdiFont(GpFont* font) {
    if (font == nullptr) return nullptr;
    LOGFONTW logFont = {};
    {
        XuiWindowDC screen(GetDesktopWindow());
        XuiScopedGraphics graphics;
        GpStatus status = gdip::GdipCreateFromHDC(screen.Get(), graphics.Receive());
        if (status == Gdiplus::Ok) status = gdip::GdipGetLogFontW(font, graphics.Get(), &logFont);
        if (status != Gdiplus::Ok) {
            RYN_LOG(2, "XuiWidget::CreateGdiFont").AppendFormat(L"GdipGetLogFontW Error: %d", static_cast<int>(status));
            return nullptr;
        }
    }
    HFONT handle = CreateFontIndirectW(&logFont);
    if (handle == nullptr) {
        RYN_LOG(2, "XuiWidget::CreateGdiFont")
            .AppendFormat(L"CreateFontIndirectW Error: %X", ryn::HResultFromLastError());
    }
    return handle;
}

SIZE XuiWidget::MeasureText(GpGraphics* graphics, GpFont* font, const RynString& text) {
    SIZE size = {0, 0};
    if (graphics == nullptr || font == nullptr) return size;
    XuiScopedFont gdiFont(CreateGdiFont(font));
    if (!gdiFont) return size;
    HDC dc = nullptr;
    const GpStatus status = gdip::GdipGetDC(graphics, &dc);
    if (status != Gdiplus::Ok || dc == nullptr) {
        RYN_LOG(2, "XuiWidget::MeasureText").AppendFormat(L"GdipGetDC Error: %d", static_cast<int>(status));
        return size;
    }
    {
        XuiSelectObject select(dc, gdiFont.Get());
        if (!GetTextExtentPoint32W(dc, text.c_str(), text.Length(), &size)) {
            RYN_LOG(2, "XuiWidget::MeasureText")
                .AppendFormat(L"GetTextExtentPoint32W Error: %X", ryn::HResultFromLastError());
        }
    }
    gdip::GdipReleaseDC(graphics, dc);
    return size;
}
