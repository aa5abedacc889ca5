#include "XuiDialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include "Logger.h"
#include "RynException.h"
#include "XuiContainer.h"
#include "XuiDialogPrivate.h"
#include "XuiDialogScript.h"
#include "XuiInnerSharedManager.h"
#include "XuiPaintContext.h"
#include "XuiScopedHandle.h"
#include "XuiToolkit.h"
#include "XuiWidget.h"
#include "XuiWidgetCommand.h"
#include "XuiWindowDC.h"

using ryn::RynString;

namespace {

constexpr DWORD kHoverTimeMs = 200;

POINT PointFrom(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

XuiDialog::XuiDialog() : mPrivate(new XuiDialogPrivate) {}

XuiDialog::~XuiDialog() {
    if (mScript != nullptr) {
        mScript->Unload();
        delete mScript;
        mScript = nullptr;
    }
    if (mRoot != nullptr) {
        mRoot->RemoveAllChildren();
        delete mRoot;
        mRoot = nullptr;
    }
    delete mPrivate;
}

void XuiDialog::OnXuiCreate() {}
void XuiDialog::OnXuiAfterCreate() {}
void XuiDialog::OnXuiWidgetCommand(const XuiWidgetCommand&) {}
void XuiDialog::OnXuiDestroy() {}
void XuiDialog::OnXuiNcDestroy() {}
void XuiDialog::OnXuiCommand(XuiScriptCall&) {}
void XuiDialog::OnXuiShowChanged(int) {}
void XuiDialog::OnXuiFocusChanged(XuiWidget*, XuiWidget*) {}
void XuiDialog::OnXuiParentDestroy() {}
void XuiDialog::OnXuiActivate(bool) {}
void XuiDialog::OnXuiDeactivate() {}

XuiWidget* XuiDialog::HoveredWidget() const { return mPrivate->hovered; }
XuiWidget* XuiDialog::FocusedWidget() const { return mPrivate->focused; }
bool XuiDialog::IsPaintingEnabled() const { return mPrivate->paintingEnabled; }

void XuiDialog::SetScript(XuiDialogScript* script) {
    if (mScript != nullptr && mScript != script) {
        mScript->Unload();
        delete mScript;
    }
    mScript = script;
}

bool XuiDialog::Create() {
    mWindow = CreateWindowExW(WS_EX_LAYERED, L"XuiDialog", nullptr, WS_MINIMIZEBOX, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                              nullptr, nullptr, XuiModuleHandle(), nullptr);
    if (mWindow == nullptr) {
        RYN_LOG(3, "XuiDialog::Create").AppendFormat(L"CreateWindowExW Error: %X", ryn::HResultFromLastError());
        return false;
    }
    // No frame or caption of its own, but a taskbar button that can minimise it.
    LONG style = GetWindowLongW(mWindow, GWL_STYLE);
    style &= ~(WS_BORDER | WS_DLGFRAME | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | 0x0200);
    style |= WS_MINIMIZEBOX;
    SetLastError(0);
    if (SetWindowLongW(mWindow, GWL_STYLE, style) == 0 && GetLastError() != 0) {
        RYN_LOG(2, "XuiDialog::Create").AppendFormat(L"SetWindowLongW Error: %X", ryn::HResultFromLastError());
    }

    mRoot = new XuiContainer;
    mRoot->SetDialog(this);
    XuiRegisterDialog(this);

    OnXuiCreate();
    if (mScript != nullptr) mScript->CallGlobal("onCreate");

    Place();
    mPrivate->paintingEnabled = true;

    OnXuiAfterCreate();
    if (mScript != nullptr) mScript->CallGlobal("onAfterCreate");
    return true;
}

RECT XuiDialog::PlaceOnDesktop(const XuiLayout& layout, int desktopWidth, int desktopHeight) {
    return layout.Place({0, 0, desktopWidth, desktopHeight});
}

void XuiDialog::Place() {
    if (mWindow == nullptr) return;
    RECT desktop = {0, 0, 0, 0};
    if (!GetClientRect(GetDesktopWindow(), &desktop)) {
        RYN_LOG(2, "XuiDialog::Place").AppendFormat(L"GetClientRect Error: %X", ryn::HResultFromLastError());
    }
    const RECT rect = PlaceOnDesktop(mPlacement, desktop.right - desktop.left, desktop.bottom - desktop.top);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!MoveWindow(mWindow, rect.left, rect.top, width, height, FALSE)) {
        RYN_LOG(2, "XuiDialog::Place").AppendFormat(L"MoveWindow Error: %X", ryn::HResultFromLastError());
    }
    if (mRoot != nullptr) {
        mRoot->SetRect({0, 0, width, height});
        mRoot->LayoutChildren();
    }
}

void XuiDialog::DestroyXuiDialog(int) {
    mPrivate->destroying = true;
    if (!DestroyWindow(mWindow)) {
        RYN_LOG(0, "XuiDialog::DestroyXuiDialog")
            .AppendFormat(L"Destroy Window Error: %d", static_cast<int>(GetLastError()));
    }
}

void XuiDialog::PaintFrame(XuiBitmapDC& bitmap) {
    if (bitmap.IsEmpty()) return;
    XuiPaintContext context;
    XuiScopedGraphics graphics;
    GpStatus status = gdip::GdipCreateFromHDC(bitmap.DC(), graphics.Receive());
    if (status != Gdiplus::Ok) {
        RYN_LOG(2, "XuiDialog::PaintFrame").AppendFormat(L"GdipCreateFromHDC Error: %d", static_cast<int>(status));
        return;
    }
    context.graphics = graphics.Get();
    context.bitmap = &bitmap;

    const RECT root = mRoot != nullptr ? mRoot->Rect() : RECT{0, 0, bitmap.Width(), bitmap.Height()};
    const int w = root.right - root.left;
    const int h = root.bottom - root.top;
    {
        XuiScopedGraphics background;
        status = gdip::GdipCreateFromHDC(bitmap.DC(), background.Receive());
        if (status != Gdiplus::Ok) {
            RYN_LOG(2, "XuiDialog::PaintFrame").AppendFormat(L"GdipCreateFromHDC Error: %d", static_cast<int>(status));
        } else if (mPrivate->backgroundImage) {
            XuiInnerSharedManager::DrawBitmap(background.Get(), {root.left, root.top, root.left + w, root.top + h},
                                              mPrivate->backgroundImage.get(), {0, 0, w, h});
        } else if (mPrivate->backgroundPieces.size() == 9) {
            const int L = mBackgroundInsets[0], T = mBackgroundInsets[1];
            const int R = mBackgroundInsets[2], B = mBackgroundInsets[3];
            const auto& pieces = mPrivate->backgroundPieces;
            // Destination x, y, width, height; corners keep their size, edges and centre stretch their first
            // column, row or pixel.
            struct Target {
                int x, y, width, height;
                bool stretchX, stretchY;
            };
            const Target targets[9] = {
                {0, 0, L, T, false, false},
                {L, 0, w - L - R, T, true, false},
                {w - R, 0, R, T, false, false},
                {0, T, L, h - T - B, false, true},
                {L, T, w - L - R, h - T - B, true, true},
                {w - R, T, R, h - T - B, false, true},
                {0, h - B, L, B, false, false},
                {L, h - B, w - L - R, B, true, false},
                {w - R, h - B, R, B, false, false},
            };
            for (int k = 0; k < 9; ++k) {
                GpBitmap* piece = pieces[k].get();
                const Target& t = targets[k];
                if (piece == nullptr || t.width <= 0 || t.height <= 0) continue;  // a missing piece draws nothing
                const int sw = t.stretchX ? 1 : XuiInnerSharedManager::ImageWidth(piece);
                const int sh = t.stretchY ? 1 : XuiInnerSharedManager::ImageHeight(piece);
                XuiInnerSharedManager::DrawBitmap(background.Get(), {t.x, t.y, t.x + t.width, t.y + t.height}, piece,
                                                  {0, 0, sw, sh});
            }
        }
    }
    if (mRoot != nullptr) mRoot->Paint(context);
    gdip::GdipFlush(graphics.Get(), Gdiplus::FlushIntentionSync);
    GdiFlush();
}

void XuiDialog::PushFrame(XuiBitmapDC& bitmap, POINT origin, SIZE size) {
    XuiWindowDC screen(mWindow);
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!UpdateLayeredWindow(mWindow, screen.Get(), &origin, &size, bitmap.DC(), &source, 0, &blend, ULW_ALPHA)) {
        RYN_LOG(2, "XuiDialog::Update").AppendFormat(L"UpdateLayeredWindow Error: %X", ryn::HResultFromLastError());
    }
}

void XuiDialog::Update() {
    if (!mPrivate->paintingEnabled || mWindow == nullptr || !IsWindow(mWindow)) return;
    RECT client = {0, 0, 0, 0};
    if (!GetClientRect(mWindow, &client) || IsRectEmpty(&client)) return;
    XuiBitmapDC bitmap;
    if (!bitmap.Create(client.right, client.bottom)) return;
    PaintFrame(bitmap);
    POINT origin = {0, 0};
    if (!ClientToScreen(mWindow, &origin)) {
        RYN_LOG(2, "XuiDialog::Update").Append(L"ClientToScreen failed");
        return;
    }
    PushFrame(bitmap, origin, {client.right, client.bottom});
}

void XuiDialog::UpdateAt(const RECT& rect) {
    if (!mPrivate->paintingEnabled || mWindow == nullptr || !IsWindow(mWindow)) return;
    XuiBitmapDC bitmap;
    if (!bitmap.Create(rect.right - rect.left, rect.bottom - rect.top)) return;
    PaintFrame(bitmap);
    PushFrame(bitmap, {rect.left, rect.top}, {rect.right - rect.left, rect.bottom - rect.top});
}

RECT XuiDialog::GetScreenClientRect() const {
    RECT rect = {0, 0, 0, 0};
    if (mWindow == nullptr || !IsWindow(mWindow)) return rect;
    if (!GetClientRect(mWindow, &rect)) {
        RYN_LOG(2, "XuiDialog::GetScreenClientRect")
            .AppendFormat(L"GetClientRect Error: %X", ryn::HResultFromLastError());
        return RECT{0, 0, 0, 0};
    }
    MapWindowPoints(mWindow, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND XuiDialog::GetTooltipWindow() {
    if (mPrivate->tooltip != nullptr) return mPrivate->tooltip;
    HWND tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mWindow, nullptr, XuiModuleHandle(), nullptr);
    if (tooltip == nullptr) {
        RYN_LOG(2, "XuiDialog::GetTooltipWindow")
            .AppendFormat(L"CreateWindowExW Error: %X", ryn::HResultFromLastError());
        return nullptr;
    }
    SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
    mPrivate->tooltip = tooltip;
    return tooltip;
}

int XuiDialog::GetDefaultKeyOf(XuiWidget* widget) const {
    for (const auto& entry : mPrivate->defaultKeys) {
        if (entry.second == widget && (entry.first == kKeyEnter || entry.first == kKeyEscape)) return entry.first;
    }
    return kKeyNone;
}

void XuiDialog::ForgetWidget(XuiWidget* widget) {
    auto& keys = mPrivate->defaultKeys;
    for (auto it = keys.begin(); it != keys.end();) {
        it = it->second == widget ? keys.erase(it) : std::next(it);
    }
    if (mPrivate->hovered == widget) mPrivate->hovered = nullptr;
    if (mPrivate->focused == widget) mPrivate->focused = nullptr;
    if (mPrivate->tooltip != nullptr && mWindow != nullptr) {
        TTTOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.hwnd = mWindow;
        info.uId = reinterpret_cast<UINT_PTR>(widget);
        SendMessageW(mPrivate->tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void XuiDialog::SetDefaultKeyWidget(int key, XuiWidget* widget) {
    if (widget != nullptr) {
        mPrivate->defaultKeys[key] = widget;
    } else {
        mPrivate->defaultKeys.erase(key);
    }
}

void XuiDialog::AddNamedResource(const RynString& name, HMODULE module, int id) {
    mNamedResources[name.c_str()] = {module, id};
}

bool XuiDialog::FindNamedResource(const RynString& name, HMODULE* module, int* id) const {
    const auto found = mNamedResources.find(name.c_str());
    if (found == mNamedResources.end()) return false;
    if (module != nullptr) *module = found->second.first;
    if (id != nullptr) *id = found->second.second;
    return true;
}

void XuiDialog::SetLayout(const XuiLayout& layout) { mPlacement = layout; }

void XuiDialog::LayoutFitBackgroundImage(HMODULE module, int id) {
    const XuiSharedImagePart image = XuiInnerSharedManager::FindSharedBitmap(module, id);
    // A missing image leaves background and anchors as they were: a zero-size window would be worse.
    if (!image) return;
    mPrivate->backgroundImage = image->bitmap;
    XuiLayout layout;
    layout.width = static_cast<uint32_t>(image->source.right - image->source.left);
    layout.widthSet = true;
    layout.height = static_cast<uint32_t>(image->source.bottom - image->source.top);
    layout.heightSet = true;
    mPlacement = layout;
}

void XuiDialog::SetBackgroundPieces(HMODULE module, int id, int left, int top, int right, int bottom) {
    const int insets[4] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) {
        mBackgroundInsets[i] = insets[i];
        mBackgroundInsetsSet[i] = true;
    }
    const XuiSharedImagePart image = XuiInnerSharedManager::FindSharedBitmap(module, id);
    // A missing image or a cut that does not fit gives empty pieces, which paint nothing.
    mPrivate->backgroundPieces =
        XuiInnerSharedManager::CutNineBitmaps(image ? image->bitmap : nullptr, left, top, right, bottom);
}

void XuiDialog::SetSizable(const XuiSizingSettings& settings) {
    RYN_LOG(0, "XuiDialog::SetSizable").AppendFormat(L"SetSizable: %d", settings.enabled);
    mPrivate->sizing = settings;
    mSizable = settings.enabled != 0;
}

void XuiDialog::OnWmDisplayChange(WPARAM wParam, LPARAM lParam) {
    RYN_LOG(0, "XuiDialog::OnWmDisplayChange")
        .AppendFormat(L"WM_DISPLAYCHANGE wParam: %d, lParam: ( %d, %d )", static_cast<int>(wParam),
                      static_cast<int>(LOWORD(lParam)), static_cast<int>(HIWORD(lParam)));
    if (mWindow == nullptr) return;
    HMONITOR monitor = MonitorFromWindow(mWindow, MONITOR_DEFAULTTONULL);
    if (monitor != nullptr) {
        RECT client = {0, 0, 0, 0};
        if (!GetClientRect(mWindow, &client) || IsRectEmpty(&client)) return;
        MapWindowPoints(mWindow, nullptr, reinterpret_cast<POINT*>(&client), 2);
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (GetMonitorInfoW(monitor, &info) && client.left >= info.rcMonitor.left && client.top >= info.rcMonitor.top &&
            client.right <= info.rcMonitor.right && client.bottom <= info.rcMonitor.bottom) {
            return;
        }
    }
    Place();
    Update();
}

void XuiDialog::SendCommand(XuiScriptCall& call) {
    const RynString name = call.ArgString(1);
    if (name == L"Show") {
        ShowWindow(mWindow, SW_SHOW);
        SetForegroundWindow(mWindow);
        SetFocus(mWindow);
        Update();
        if (mPrivate->shownBefore) {
            OnXuiShowChanged(kShownAgain);
        } else {
            mPrivate->shownBefore = true;
            OnXuiShowChanged(kShownFirst);
        }
    } else if (name == L"Hide") {
        ShowWindow(mWindow, SW_HIDE);
        OnXuiShowChanged(kHidden);
    } else if (name == L"Minimize") {
        ShowWindow(mWindow, SW_MINIMIZE);
        OnXuiShowChanged(kMinimized);
    } else if (name == L"Destroy") {
        DestroyXuiDialog(0);
    } else if (name == L"EndModal") {
        DestroyXuiDialog(call.ArgCount() >= 2 ? call.ArgInteger(2) : 0);
    } else {
        OnXuiCommand(call);
    }
}

void XuiDialog::HandleWidgetCommand(const XuiWidgetCommand& command) {
    OnXuiWidgetCommand(command);
    if (mScript == nullptr) return;
    // The script sees the selected item's id for "ItemSelected" (its data word points to it), 0 otherwise.
    long data = 0;
    if (command.command == L"ItemSelected" && command.data != 0) {
        data = *reinterpret_cast<const int32_t*>(command.data);
    } else {
        data = static_cast<long>(command.data);
    }
    RynString text;
    text.Format(L"onCommand( '%s', '%s', %ld )", command.command.c_str(), command.source.c_str(), data);
    mScript->RunString(text);
}

void XuiDialog::SetData(XuiScriptCall& call) {
    const RynString name = call.ArgString(1);
    const bool hasWindow = mWindow != nullptr && IsWindow(mWindow);
    if (name == L"Text") {
        const RynString text = call.ArgString(2);
        if (hasWindow && !SetWindowTextW(mWindow, text.c_str())) {
            RYN_LOG(2, "XuiDialog::SetData").AppendFormat(L"SetWindowTextW Error: %X", ryn::HResultFromLastError());
        }
    } else if (name == L"Icon") {
        const int module = call.ArgInteger(2);
        const int id = call.ArgInteger(3);
        if (!hasWindow) return;
        HICON icon = LoadIconW(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(module)), MAKEINTRESOURCEW(id));
        if (icon == nullptr) {
            RYN_LOG(2, "XuiDialog::SetData").AppendFormat(L"LoadIconW %d Error: %X", id, ryn::HResultFromLastError());
            return;
        }
        SendMessageW(mWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(mWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    } else if (name == L"LayoutFitBackgroundImage") {
        const int module = call.ArgInteger(2);
        const int id = call.ArgInteger(3);
        if (hasWindow) LayoutFitBackgroundImage(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(module)), id);
    } else if (name == L"BackgroundPieces") {
        const int module = call.ArgInteger(2);
        const int id = call.ArgInteger(3);
        int insets[4] = {0, 0, 0, 0};
        if (call.ArgIntArray(4, insets, 4) == 4 && hasWindow) {
            SetBackgroundPieces(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(module)), id, insets[0], insets[1],
                                insets[2], insets[3]);
        }
    } else if (name == L"DefaultKeyWidget") {
        const RynString key = call.ArgString(2);
        const int code = key == L"Enter" ? kKeyEnter : key == L"Escape" ? kKeyEscape : kKeyNone;
        XuiWidget* widget = nullptr;
        if (call.ArgCount() >= 3) {
            widget = reinterpret_cast<XuiWidget*>(static_cast<uintptr_t>(static_cast<uint32_t>(call.ArgInteger(3))));
        }
        SetDefaultKeyWidget(code, widget);
    }
}

int XuiDialog::GetData(XuiScriptCall& call) {
    if (call.ArgString(1) != L"Position") return 0;
    RECT rect;
    if (mWindow == nullptr || !GetWindowRect(mWindow, &rect)) return 0;
    call.PushInteger(rect.left);
    call.PushInteger(rect.top);
    return 2;
}

// ---- Input routing ----

int XuiDialog::EdgeCodeAt(const XuiSizingSettings& sizing, int width, int height, POINT point) {
    if (sizing.enabled == 0) return 0;
    int code = 0;
    if (point.x < sizing.edgeLeft) {
        code |= kEdgeLeft;
    } else if (point.x > width - sizing.edgeRight) {
        code |= kEdgeRight;
    }
    if (point.y < sizing.edgeTop) {
        code |= kEdgeTop;
    } else if (point.y > height - sizing.edgeBottom) {
        code |= kEdgeBottom;
    }
    return code;
}

RECT XuiDialog::ResizedRect(int edge, int dx, int dy, const RECT& start, int mw, int mh) {
    const int l = start.left, t = start.top, r = start.right, b = start.bottom;
    int dl = 0, dt = 0, dr = 0, db = 0;
    if (edge & kEdgeLeft) {
        dl = dx;
        if (r - (l + dl) < mw) dl = r - l - mw;
    }
    if (edge & kEdgeTop) {
        dt = dy;
        if (b - (t + dt) < mh) dt = b - t - mh;
    }
    if (edge & kEdgeRight) {
        dr = dx;
        if ((r + dr) - l < mw) dr = l + mw - r;
    }
    if (edge & kEdgeBottom) {
        db = dy;
        if ((b + db) - t < mh) db = t + mh - b;
    }
    return {l + dl, t + dt, r + dr, b + db};
}

void XuiDialog::SetCursorKind(int kind) {
    const wchar_t* id = nullptr;
    switch (kind) {
        case XuiCursorArrow:
            id = IDC_ARROW;
            break;
        case XuiCursorHand:
            id = IDC_HAND;
            break;
        case XuiCursorBeam:
            id = IDC_IBEAM;
            break;
        default:
            return;
    }
    SetCursor(LoadCursorW(nullptr, id));
}

void XuiDialog::SetEdgeCursor(int edge) {
    const wchar_t* id = IDC_ARROW;
    switch (edge) {
        case 1:
        case 4:
            id = IDC_SIZEWE;
            break;
        case 2:
        case 8:
            id = IDC_SIZENS;
            break;
        case 3:
        case 12:
            id = IDC_SIZENWSE;
            break;
        case 6:
        case 9:
            id = IDC_SIZENESW;
            break;
        default:
            break;
    }
    SetCursor(LoadCursorW(nullptr, id));
}

XuiWidget* XuiDialog::WidgetAt(POINT point) const { return mRoot != nullptr ? mRoot->HitTest(point) : nullptr; }

void XuiDialog::LeaveHovered() {
    XuiWidget* hovered = mPrivate->hovered;
    mPrivate->hovered = nullptr;
    if (hovered == nullptr) return;
    XuiCursorKind cursor = XuiCursorNone;
    hovered->DispatchMouseMove({XuiMouseMoveEvent::kLeave, 0, 0}, &cursor);
}

LRESULT XuiDialog::OnNcHitTest() {
    if (mPrivate->draggedEdge != 0) return HTCLIENT;
    POINT point;
    RECT client = {0, 0, 0, 0};
    if (!GetCursorPos(&point) || !ScreenToClient(mWindow, &point) || !GetClientRect(mWindow, &client)) {
        RYN_LOG(2, "XuiDialog::OnNcHitTest").AppendFormat(L"cursor position unknown: %X", ryn::HResultFromLastError());
        return HTCLIENT;
    }
    if (EdgeCodeAt(mPrivate->sizing, client.right, client.bottom, point) != 0) return HTCLIENT;
    mPrivate->edgeUnderCursor = 0;
    XuiWidget* widget = WidgetAt(point);
    if (widget != nullptr && widget != mRoot) {
        if (widget->IsInteractive()) return HTCLIENT;
        if (widget != mPrivate->hovered) {
            LeaveHovered();
            XuiCursorKind cursor = XuiCursorNone;
            const RECT& r = widget->Rect();
            widget->DispatchMouseMove({XuiMouseMoveEvent::kEnter, point.x - r.left, point.y - r.top}, &cursor);
            SetCursorKind(cursor);
            mPrivate->hovered = widget;
        }
        return HTCAPTION;
    }
    LeaveHovered();
    return HTCAPTION;
}

void XuiDialog::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!mPrivate->mouseTracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, mWindow, kHoverTimeMs};
        if (TrackMouseEvent(&track)) {
            mPrivate->mouseTracking = true;
        } else {
            RYN_LOG(0, "XuiDialog::OnMouseMove")
                .AppendFormat(L"TrackMouseEvent Error: %X", ryn::HResultFromLastError());
        }
    }
    if (mPrivate->draggedEdge != 0) {
        SetEdgeCursor(mPrivate->draggedEdge);
        POINT cursor;
        if (!GetCursorPos(&cursor)) {
            RYN_LOG(2, "XuiDialog::OnMouseMove").AppendFormat(L"GetCursorPos Error: %X", ryn::HResultFromLastError());
            return;
        }
        const XuiSizingSettings& sizing = mPrivate->sizing;
        const RECT rect =
            ResizedRect(mPrivate->draggedEdge, cursor.x - mPrivate->dragOrigin.x, cursor.y - mPrivate->dragOrigin.y,
                        mPrivate->dragStartRect, sizing.minWidth, sizing.minHeight);
        if (mRoot != nullptr) {
            mRoot->SetRect({0, 0, rect.right - rect.left, rect.bottom - rect.top});
            mRoot->LayoutChildren();
        }
        UpdateAt(rect);
        return;
    }
    const POINT point = PointFrom(lParam);
    XuiWidget* widget = WidgetAt(point);
    if (widget == mRoot) widget = nullptr;
    XuiCursorKind answer = XuiCursorArrow;
    if (widget != nullptr && widget == mPrivate->hovered) {
        XuiCursorKind cursor = XuiCursorNone;
        const RECT& r = widget->Rect();
        widget->DispatchMouseMove({XuiMouseMoveEvent::kMove, point.x - r.left, point.y - r.top}, &cursor);
        if (cursor != XuiCursorNone) answer = cursor;
    } else if (widget != mPrivate->hovered) {
        LeaveHovered();
        if (widget != nullptr) {
            XuiCursorKind cursor = XuiCursorNone;
            const RECT& r = widget->Rect();
            widget->DispatchMouseMove({XuiMouseMoveEvent::kEnter, point.x - r.left, point.y - r.top}, &cursor);
            if (cursor != XuiCursorNone) answer = cursor;
        }
        mPrivate->hovered = widget;
    }
    RECT client = {0, 0, 0, 0};
    if (!GetClientRect(mWindow, &client)) {
        RYN_LOG(2, "XuiDialog::OnMouseMove").AppendFormat(L"GetClientRect Error: %X", ryn::HResultFromLastError());
    }
    mPrivate->edgeUnderCursor = EdgeCodeAt(mPrivate->sizing, client.right, client.bottom, point);
    if (mPrivate->edgeUnderCursor != 0) {
        SetEdgeCursor(mPrivate->edgeUnderCursor);
    } else {
        SetCursorKind(answer);
    }
    // The widget may have been removed by its own move handler; only a widget still in the tree is pressed.
    if (widget != nullptr && widget == mPrivate->hovered && (wParam & MK_LBUTTON) != 0) {
        const RECT& r = widget->Rect();
        widget->DispatchMouseButton({point.x - r.left, point.y - r.top, 0, XuiMouseButtonEvent::kDown});
    }
}

void XuiDialog::OnLButtonDown(LPARAM lParam) {
    const POINT point = PointFrom(lParam);
    XuiWidget* widget = WidgetAt(point);
    if (widget != nullptr && (widget->IsInteractive() || mPrivate->edgeUnderCursor == 0)) {
        const RECT& r = widget->Rect();
        widget->DispatchMouseButton({point.x - r.left, point.y - r.top, 0, XuiMouseButtonEvent::kDown});
    } else if (mPrivate->edgeUnderCursor != 0) {
        POINT origin = point;
        if (!ClientToScreen(mWindow, &origin)) {
            RYN_LOG(2, "XuiDialog::OnLButtonDown").Append(L"ClientToScreen failed; no resize");
            return;
        }
        mPrivate->draggedEdge = mPrivate->edgeUnderCursor;
        SetEdgeCursor(mPrivate->draggedEdge);
        mPrivate->dragOrigin = origin;
        mPrivate->dragStartRect = GetScreenClientRect();
        SetCapture(mWindow);
    }
}

void XuiDialog::OnLButtonUp(LPARAM lParam) {
    if (mPrivate->draggedEdge != 0) {
        mPrivate->draggedEdge = 0;
        ReleaseCapture();
        return;
    }
    const POINT point = PointFrom(lParam);
    if (XuiWidget* widget = WidgetAt(point)) {
        const RECT& r = widget->Rect();
        widget->DispatchMouseButton({point.x - r.left, point.y - r.top, 0, XuiMouseButtonEvent::kUp});
    }
}

void XuiDialog::OnLButtonDblClk(LPARAM lParam) {
    const POINT point = PointFrom(lParam);
    XuiWidget* widget = WidgetAt(point);
    if (widget == nullptr) return;
    if (!widget->IsInteractive() && mPrivate->edgeUnderCursor != 0) return;
    const RECT& r = widget->Rect();
    widget->DispatchMouseButton({point.x - r.left, point.y - r.top, 0, XuiMouseButtonEvent::kDoubleClick});
}

void XuiDialog::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    XuiWidget* hovered = mPrivate->hovered;
    if (mPrivate->draggedEdge != 0 || hovered == nullptr || hovered->IsDisabled()) return;
    POINT point = PointFrom(lParam);
    if (!ScreenToClient(mWindow, &point)) return;  // the window is going away
    const RECT& r = hovered->Rect();
    hovered->OnMouseWheel({point.x - r.left, point.y - r.top, GET_WHEEL_DELTA_WPARAM(wParam)});
}

void XuiDialog::OnMouseHover(LPARAM lParam) {
    mPrivate->mouseTracking = false;
    XuiWidget* hovered = mPrivate->hovered;
    if (hovered == nullptr) return;
    const POINT point = PointFrom(lParam);
    const RECT& r = hovered->Rect();
    XuiCursorKind cursor = XuiCursorNone;
    hovered->DispatchMouseMove({XuiMouseMoveEvent::kHover, point.x - r.left, point.y - r.top}, &cursor);
    SetCursorKind(cursor);
}

void XuiDialog::OnMouseLeave() {
    mPrivate->mouseTracking = false;
    XuiWidget* hovered = mPrivate->hovered;
    if (hovered == nullptr) return;
    hovered->ClearMouseFlags();
    mPrivate->hovered = nullptr;
    XuiCursorKind cursor = XuiCursorNone;
    hovered->DispatchMouseMove({XuiMouseMoveEvent::kLeave, 0, 0}, &cursor);
}

void XuiDialog::OnKey(int transition, WPARAM wParam, LPARAM lParam) {
    const XuiKeyEvent event = {transition, static_cast<int32_t>(wParam), lParam};
    XuiWidget* focused = mPrivate->focused;
    if (focused != nullptr && !focused->IsDisabled()) {
        bool handled = false;
        focused->OnKey(event, &handled);
        if (handled) return;
    }
    const int code = wParam == VK_RETURN ? kKeyEnter : wParam == VK_ESCAPE ? kKeyEscape : kKeyNone;
    if (code == kKeyNone) return;
    const auto found = mPrivate->defaultKeys.find(code);
    if (found == mPrivate->defaultKeys.end() || found->second == nullptr) return;
    XuiWidget* widget = found->second;
    SetFocus(mWindow);
    if (!widget->IsDisabled()) widget->Activate(event);
}

bool XuiDialog::OnWmChar(WPARAM wParam, LPARAM lParam) {
    XuiWidget* focused = mPrivate->focused;
    if (focused != nullptr && !focused->IsDisabled()) {
        bool handled = false;
        focused->OnChar({0, static_cast<int32_t>(wParam), lParam}, &handled);
        if (handled) return false;  // default processing, nothing else
    }
    if (wParam == L' ') {
        RYN_LOG(0, "XuiDialog::OnWmChar").Append(L"XuiDialog WM_CHAR: [Whitespace]");
        return true;
    }
    if (wParam == L'\t') {
        RYN_LOG(0, "XuiDialog::OnWmChar").Append(L"XuiDialog WM_CHAR: [Tab]");
        FocusNextWidget();
        return true;
    }
    return false;
}

void XuiDialog::OnSysKey(UINT message, WPARAM wParam, LPARAM lParam) {
    XuiWidget* focused = mPrivate->focused;
    if (focused == nullptr || focused->IsDisabled()) return;
    bool handled = false;
    if (message == WM_SYSCHAR) {
        focused->OnSysChar({0, static_cast<int32_t>(wParam), lParam}, &handled);
    } else if (message == WM_IME_CHAR) {
        focused->OnChar({1, static_cast<int32_t>(wParam), lParam}, &handled);
    } else {
        focused->OnSysKey({1, static_cast<int32_t>(wParam), lParam}, &handled);
    }
}

void XuiDialog::FocusNextWidget() {
    if (mRoot == nullptr) return;
    XuiWidget* focused = mPrivate->focused;
    XuiWidget* candidate = nullptr;
    if (focused != nullptr && focused->HasTabStop()) {
        candidate = mRoot->NextTabStop(focused->TabStop());
        if (candidate == nullptr) candidate = mRoot->FirstTabStop();
        if (candidate == nullptr || candidate == focused) return;
    } else {
        candidate = mRoot->FirstTabStop();
        if (candidate == nullptr) return;
    }
    SetFocusWidget(candidate);
}

void XuiDialog::SetFocusWidget(XuiWidget* widget) {
    XuiWidget* previous = mPrivate->focused;
    // The widgets' own repaint requests are held back; one Update shows the whole change.
    mPrivate->paintingEnabled = false;
    if (previous != nullptr && previous != widget) {
        previous->SetFocused(false);
        previous->OnFocusChanged(false);
    }
    if (widget != nullptr) {
        widget->SetFocused(true);
        widget->OnFocusChanged(true);
    }
    mPrivate->focused = widget;
    mPrivate->paintingEnabled = true;
    Update();
    OnXuiFocusChanged(widget, previous);
}

LRESULT XuiDialog::OnWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = mWindow;
    switch (message) {
        case WM_DESTROY:
            OnXuiDestroy();
            if (mRoot != nullptr) mRoot->RemoveAllChildren();
            break;
        case WM_ACTIVATE:
            RYN_LOG(0, "XuiDialog::OnWindowProc").Append(L"XuiDialog WM_ACTIVATE");
            if (!mPrivate->destroying) {
                if (wParam == WA_INACTIVE) {
                    LeaveHovered();
                    OnXuiDeactivate();
                } else if (wParam == WA_ACTIVE) {
                    OnXuiActivate(false);
                } else if (wParam == WA_CLICKACTIVE) {
                    OnXuiActivate(true);
                }
            }
            break;
        case WM_DISPLAYCHANGE:
            OnWmDisplayChange(wParam, lParam);
            break;
        case WM_NCDESTROY:
            mWindow = nullptr;
            mPrivate->tooltip = nullptr;  // an owned window: destroyed with this one
            OnXuiNcDestroy();
            XuiUnregisterDialog(this);
            XuiQueueDialogDeletion(this);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_NCHITTEST:
            return OnNcHitTest();
        case WM_KEYDOWN:
            OnKey(0, wParam, lParam);
            break;
        case WM_KEYUP:
            OnKey(1, wParam, lParam);
            break;
        case WM_CHAR:
            if (OnWmChar(wParam, lParam)) return 0;
            break;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
        case WM_IME_CHAR:
            // Never to default processing: Alt+F4 and Alt+Space do nothing on a dialog.
            OnSysKey(message, wParam, lParam);
            return 0;
        case WM_SYSCOMMAND:
            RYN_LOG(0, "XuiDialog::OnWindowProc").Append(L"XuiDialog WM_SYSCOMMAND");
            break;
        case WM_TIMER:  // the animation timer belongs to the dialog animations, which are not built yet
            break;
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            break;
        case WM_LBUTTONDOWN:
            OnLButtonDown(lParam);
            break;
        case WM_LBUTTONUP:
            OnLButtonUp(lParam);
            break;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(lParam);
            break;
        case WM_MOUSEWHEEL:
            OnMouseWheel(wParam, lParam);
            break;
        case WM_MOUSEHOVER:
            OnMouseHover(lParam);
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
