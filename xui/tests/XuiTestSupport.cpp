#include "XuiTestSupport.h"

#include <cmath>
#include <cstdio>

#include "XuiGdiplus.h"
#include "XuiInnerSharedManager.h"
#include "XuiScopedHandle.h"
#include "XuiToolkit.h"

namespace xuitest {

void ToolkitTest::SetUp() { ASSERT_TRUE(XuiInitialize(GetModuleHandleW(nullptr))); }

void ToolkitTest::TearDown() { XuiShutdown(); }

// ---- FakeScriptCall ----

std::wstring FakeScriptCall::Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

const Value* FakeScriptCall::At(int index) const {
    if (index < 1 || index > static_cast<int>(args.size())) return nullptr;
    return &args[index - 1];
}

ryn::RynString FakeScriptCall::ArgString(int index) {
    const Value* v = At(index);
    if (v != nullptr && v->kind == Value::kString) return v->text.c_str();
    if (v != nullptr && v->kind == Value::kNumber) {
        wchar_t text[32];
        swprintf(text, 32, L"%.14g", v->number);
        return text;
    }
    throw ScriptArgumentError{index, "string"};
}

int FakeScriptCall::ArgInteger(int index) {
    const Value* v = At(index);
    if (v != nullptr && v->kind == Value::kNumber) return static_cast<int>(std::nearbyint(v->number));
    if (v != nullptr && v->kind == Value::kString) {
        wchar_t* end = nullptr;
        const double n = wcstod(v->text.c_str(), &end);
        if (end != v->text.c_str()) return static_cast<int>(std::nearbyint(n));
    }
    throw ScriptArgumentError{index, "number"};
}

bool FakeScriptCall::ArgBoolean(int index) {
    const Value* v = At(index);
    if (v == nullptr || v->kind == Value::kNil) return false;
    if (v->kind == Value::kBoolean) return v->number != 0;
    return true;
}

int FakeScriptCall::ArgIntArray(int index, int* out, int max) {
    const Value* v = At(index);
    if (v == nullptr || v->kind != Value::kTable) return 0;
    int visited = 0;
    for (const Value& item : v->table) {
        if (visited >= max) break;
        if (item.kind == Value::kNumber) out[visited] = static_cast<int>(std::nearbyint(item.number));
        ++visited;
    }
    return visited;
}

int FakeScriptCall::ArgStringArray(ryn::RynString* out) {
    const Value* v = At(3);
    if (v == nullptr || v->kind != Value::kTable) return 0;
    int visited = 0;
    for (const Value& item : v->table) {
        if (visited >= 16) break;
        if (item.kind == Value::kString) out[visited] = item.text.c_str();
        ++visited;
    }
    return visited;
}

void FakeScriptCall::Unload() {
    calls.push_back(L"unload");
    if (unloadLog != nullptr) unloadLog->push_back(L"script unloaded");
}

// ---- FakeXmlElement ----

FakeXmlElement::FakeXmlElement(std::vector<Node> roots, int mode, XuiDialog* dialog)
    : mRoots(std::move(roots)), mMode(mode), mDialog(dialog) {
    mLevels.push_back({&mRoots, 0});
}

ryn::RynString FakeXmlElement::Attribute(const wchar_t* name) {
    const auto& attributes = Current().attributes;
    const auto found = attributes.find(name);
    return found == attributes.end() ? ryn::RynString() : ryn::RynString(found->second.c_str());
}

bool FakeXmlElement::AttributeInt(const wchar_t* name, int* value) { return Attribute(name).ToInt(value); }

bool FakeXmlElement::NextElement(const wchar_t* name) {
    Level& level = mLevels.back();
    for (int i = level.index + 1; i < static_cast<int>(level.list->size()); ++i) {
        if (name == nullptr || (*level.list)[i].tag == name) {
            level.index = i;
            return true;
        }
    }
    level.index = static_cast<int>(level.list->size());
    return false;
}

void FakeXmlElement::EnterElement() { mLevels.push_back({&Current().children, -1}); }

void FakeXmlElement::LeaveElement() {
    if (mLevels.size() > 1) mLevels.pop_back();
}

// ---- ProbeWidget ----

ProbeWidget::ProbeWidget(const wchar_t* name, std::vector<std::wstring>* log, uint32_t argb, bool interactive)
    : mLog(log), mArgb(argb), mInteractive(interactive) {
    SetName(name);
}

ProbeWidget::~ProbeWidget() { Record(L"deleted"); }

void ProbeWidget::Record(const std::wstring& what) {
    if (mLog != nullptr) mLog->push_back(std::wstring(Name().c_str()) + L" " + what);
}

void ProbeWidget::Paint(XuiPaintContext& context) {
    if (mArgb == 0 || context.graphics == nullptr) return;
    XuiScopedBrush brush;
    ASSERT_EQ(gdip::GdipCreateSolidFill(mArgb, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.Receive())), Gdiplus::Ok);
    const RECT& r = Rect();
    gdip::GdipFillRectangleI(context.graphics, brush.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void ProbeWidget::OnMouseMove(const XuiMouseMoveEvent& event, XuiCursorKind* cursor) {
    static const wchar_t* const kKinds[] = {L"move", L"enter", L"leave", L"hover"};
    if (event.kind != XuiMouseMoveEvent::kMove) Record(kKinds[event.kind]);
    *cursor = cursorAnswer;
}

void ProbeWidget::OnMouseButton(const XuiMouseButtonEvent& event) {
    static const wchar_t* const kActions[] = {L"down", L"up", L"double"};
    Record(kActions[event.action]);
    if (event.action == XuiMouseButtonEvent::kUp && clickOnUp && IsHovered()) {
        if (onClick) onClick();
        RaiseEvent(L"Click");
    }
}

void ProbeWidget::OnMouseWheel(const XuiMouseWheelEvent& event) { Record(L"wheel " + std::to_wstring(event.delta)); }

void ProbeWidget::OnKey(const XuiKeyEvent& event, bool*) {
    Record((event.transition == 0 ? L"keydown " : L"keyup ") + std::to_wstring(event.code));
}

void ProbeWidget::OnChar(const XuiKeyEvent& event, bool*) { Record(L"char " + std::to_wstring(event.code)); }

void ProbeWidget::OnSysKey(const XuiKeyEvent& event, bool*) { Record(L"syskey " + std::to_wstring(event.code)); }

void ProbeWidget::OnFocusChanged(bool focused) { Record(focused ? L"focus" : L"blur"); }

void ProbeWidget::Activate(const XuiKeyEvent& event) {
    Record((event.transition == 0 ? L"activate down " : L"activate up ") + std::to_wstring(event.code));
}

void ProbeWidget::OnPropertyChanged(int kind) { Record(L"property " + std::to_wstring(kind)); }

void ProbeWidget::OnLayoutChanged(const XuiLayout&) { Record(L"layout"); }

void ImageWidget::Paint(XuiPaintContext& context) {
    XuiInnerSharedManager::DrawImagePart(context.graphics, Rect(), mPart);
}

XuiLayout LayoutOf(const wchar_t* code, std::vector<int> numbers) {
    return XuiLayout::FromCode(code, numbers.data(), static_cast<int>(numbers.size()));
}

void PumpMessages(DWORD ms, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            XuiRunDeferredDeletions();
        }
        if (done && done()) return;
        if (GetTickCount() - start >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string PixelText(uint32_t pixel) {
    char text[16];
    snprintf(text, sizeof(text), "%08X", pixel);
    return text;
}

}  // namespace xuitest
