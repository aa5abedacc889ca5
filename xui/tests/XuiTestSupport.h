// Fakes and probes for the toolkit tests: a started toolkit per test, a script call and a layout-document cursor
// that stand in for the script binding and the document reader, and widgets that record what reaches them.
// Test thread only (it is the UI thread of the test process).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "XuiContainer.h"
#include "XuiDialog.h"
#include "XuiDialogScript.h"
#include "XuiInnerSharedBitmap.h"
#include "XuiScopedHandle.h"
#include "XuiWidget.h"
#include "XuiXmlElement.h"

// Rectangles compare and print by their four edges (found by argument lookup: RECT lives in the global namespace).
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RECT& a, const RECT& b) { return !(a == b); }
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace xuitest {

// Starts the toolkit on the test program's own module (which carries the test PNGs) and shuts it down after.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// What the script engine raises for an argument of the wrong type; the binding leaves the call the same way.
struct ScriptArgumentError {
    int index;
    std::string expected;  // "string" or "number"
};

// One script value.
struct Value {
    enum Kind { kNil, kString, kNumber, kBoolean, kTable };
    Kind kind = kNil;
    std::wstring text;
    double number = 0;
    std::vector<Value> table;

    static Value Nil() { return {}; }
    static Value Str(const std::wstring& s) {
        Value v;
        v.kind = kString;
        v.text = s;
        return v;
    }
    static Value Num(double n) {
        Value v;
        v.kind = kNumber;
        v.number = n;
        return v;
    }
    static Value Bool(bool b) {
        Value v;
        v.kind = kBoolean;
        v.number = b ? 1 : 0;
        return v;
    }
    static Value Table(const std::vector<Value>& items) {
        Value v;
        v.kind = kTable;
        v.table = items;
        return v;
    }
    static Value Ptr(const void* p) { return Num(static_cast<double>(reinterpret_cast<uintptr_t>(p))); }
};

class FakeScriptCall : public XuiDialogScript {
public:
    FakeScriptCall() = default;
    explicit FakeScriptCall(std::vector<Value> args) : args(std::move(args)) {}

    ryn::RynString ArgString(int index) override;
    int ArgInteger(int index) override;
    bool ArgBoolean(int index) override;
    int ArgIntArray(int index, int* out, int max) override;
    int ArgStringArray(ryn::RynString* out) override;
    int ArgCount() override { return static_cast<int>(args.size()); }
    void PushInteger(int value) override { pushed.push_back(Value::Num(value)); }
    void PushString(const ryn::RynString& text) override { pushed.push_back(Value::Str(text.c_str())); }
    void CallGlobal(const char* name) override { calls.push_back(std::wstring(L"global ") + Widen(name)); }
    void RunString(const ryn::RynString& text) override { calls.push_back(text.c_str()); }
    void Unload() override;

    std::vector<Value> args;
    std::vector<Value> pushed;
    std::vector<std::wstring> calls;
    std::vector<std::wstring>* unloadLog = nullptr;  // outlives the script when set

private:
    static std::wstring Widen(const char* text);
    const Value* At(int index) const;
};

// A layout-document tree and a cursor over it, with the reader's Enter/Next/Leave walk.
struct Node {
    std::wstring tag;
    std::map<std::wstring, std::wstring> attributes;
    std::vector<Node> children;
};

class FakeXmlElement : public XuiXmlElement {
public:
    FakeXmlElement(std::vector<Node> roots, int mode, XuiDialog* dialog = nullptr);

    ryn::RynString TagName() override { return Current().tag.c_str(); }
    ryn::RynString Attribute(const wchar_t* name) override;
    bool AttributeInt(const wchar_t* name, int* value) override;
    ryn::RynString Text() override { return L""; }
    ryn::RynString ChildTagName() override { return L""; }
    ryn::RynString ChildAttribute(const wchar_t*) override { return L""; }
    bool ChildAttributeInt(const wchar_t*, int*) override { return false; }
    ryn::RynString ChildText() override { return L""; }
    bool NextElement(const wchar_t* name) override;
    bool NextChildElement(const wchar_t*) override { return false; }
    void EnterElement() override;
    void LeaveElement() override;
    int RunMode() override { return mMode; }
    XuiDialog* Dialog() override { return mDialog; }

private:
    struct Level {
        const std::vector<Node>* list;
        int index;
    };
    const Node& Current() const { return (*mLevels.back().list)[mLevels.back().index]; }

    std::vector<Node> mRoots;
    std::vector<Level> mLevels;
    int mMode;
    XuiDialog* mDialog;
};

// A widget that records every event in a shared log as "<name> <event>" and paints a solid colour (when not 0).
class ProbeWidget : public XuiWidget {
public:
    ProbeWidget(const wchar_t* name, std::vector<std::wstring>* log, uint32_t argb = 0, bool interactive = true);
    ~ProbeWidget() override;

    bool IsInteractive() const override { return mInteractive; }
    void Paint(XuiPaintContext& context) override;
    void OnMouseMove(const XuiMouseMoveEvent& event, XuiCursorKind* cursor) override;
    void OnMouseButton(const XuiMouseButtonEvent& event) override;
    void OnMouseWheel(const XuiMouseWheelEvent& event) override;
    void OnKey(const XuiKeyEvent& event, bool* handled) override;
    void OnChar(const XuiKeyEvent& event, bool* handled) override;
    void OnSysKey(const XuiKeyEvent& event, bool* handled) override;
    void OnFocusChanged(bool focused) override;
    void Activate(const XuiKeyEvent& event) override;
    void OnPropertyChanged(int kind) override;
    void OnLayoutChanged(const XuiLayout& layout) override;

    // Raises "Click" on a left-button up after a down, as a button does.
    bool clickOnUp = true;
    XuiCursorKind cursorAnswer = XuiCursorHand;
    // Called from OnMouseButton on a click, before "Click" is raised (a handler that destroys things).
    std::function<void()> onClick;

private:
    void Record(const std::wstring& what);
    std::vector<std::wstring>* mLog;
    uint32_t mArgb;
    bool mInteractive;
};

// A widget that paints an image part stretched over its rectangle.
class ImageWidget : public XuiWidget {
public:
    ImageWidget(const wchar_t* name, XuiSharedImagePart part) : mPart(std::move(part)) { SetName(name); }
    void Paint(XuiPaintContext& context) override;
    const XuiSharedImagePart& Part() const { return mPart; }

private:
    XuiSharedImagePart mPart;
};

XuiLayout LayoutOf(const wchar_t* code, std::vector<int> numbers);

// Lets the window system deliver everything queued (and what that causes) for up to ms milliseconds, running the
// toolkit's deferred deletions after each message like the real loop; stops early once done() holds.
void PumpMessages(DWORD ms, const std::function<bool()>& done = nullptr);

// Colour channels of a premultiplied pixel (0xAARRGGBB).
inline int Alpha(uint32_t p) { return static_cast<int>(p >> 24); }
inline int Red(uint32_t p) { return static_cast<int>((p >> 16) & 255); }
inline int Green(uint32_t p) { return static_cast<int>((p >> 8) & 255); }
inline int Blue(uint32_t p) { return static_cast<int>(p & 255); }
std::string PixelText(uint32_t pixel);

}  // namespace xuitest
