// The dialog: placement, sizing arithmetic, painting, commands, lifetime and input routing under Xvfb.
#include <gtest/gtest.h>

#include "XuiContainer.h"
#include "XuiDialog.h"
#include "XuiInnerSharedManager.h"
#include "XuiTestImages.h"
#include "XuiTestSupport.h"
#include "XuiToolkit.h"
#include "XuiWidgetCommand.h"

using xuitest::FakeScriptCall;
using xuitest::LayoutOf;
using xuitest::ProbeWidget;
using xuitest::PumpMessages;
using xuitest::Value;

namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

// A dialog that records its hooks in the test's log; the log outlives it.
class RecordingDialog : public XuiDialog {
public:
    explicit RecordingDialog(std::vector<std::wstring>* log) : mLog(log) {}
    ~RecordingDialog() override { mLog->push_back(L"dialog deleted"); }
    void OnXuiCreate() override { mLog->push_back(L"create"); }
    void OnXuiAfterCreate() override { mLog->push_back(L"after create"); }
    void OnXuiWidgetCommand(const XuiWidgetCommand& command) override {
        mLog->push_back(std::wstring(L"command ") + command.command.c_str() + L" " + command.source.c_str());
        if (onCommand) onCommand(command);
    }
    void OnXuiDestroy() override { mLog->push_back(L"destroy"); }
    void OnXuiNcDestroy() override { mLog->push_back(L"ncdestroy"); }
    void OnXuiCommand(XuiScriptCall& call) override {
        mLog->push_back(std::wstring(L"xui command ") + call.ArgString(1).c_str());
    }
    void OnXuiShowChanged(int state) override { mLog->push_back(L"show " + std::to_wstring(state)); }
    void OnXuiFocusChanged(XuiWidget* focused, XuiWidget* previous) override {
        mLog->push_back(std::wstring(L"focus ") + (focused ? focused->Name().c_str() : L"-") + L" from " +
                        (previous ? previous->Name().c_str() : L"-"));
    }

    std::function<void(const XuiWidgetCommand&)> onCommand;

private:
    std::vector<std::wstring>* mLog;
};

class XuiDialogTest : public xuitest::ToolkitTest {
protected:
    void TearDown() override {
        if (dialog != nullptr && dialog->Window() != nullptr) dialog->DestroyXuiDialog(0);
        PumpMessages(0);
        XuiRunDeferredDeletions();
        xuitest::ToolkitTest::TearDown();
    }

    // A 200 x 150 dialog at (100, 100) with the given widgets added in onCreate's place (OnXuiCreate time).
    void MakeDialog(const std::function<void(XuiDialog&)>& build = nullptr) {
        dialog = new RecordingDialog(&log);
        dialog->SetLayout(LayoutOf(L"ltwh", {100, 100, 200, 150}));
        if (build) build(*dialog);
        ASSERT_TRUE(dialog->Create());
        dialog->Root()->LayoutChildren();
    }
    ProbeWidget* Add(const wchar_t* name, const wchar_t* code, std::vector<int> numbers, uint32_t argb = 0,
                     bool interactive = true) {
        auto* w = new ProbeWidget(name, &log, argb, interactive);
        w->SetLayout(LayoutOf(code, numbers));
        dialog->Root()->AddChild(w);
        dialog->Root()->LayoutChildren();
        return w;
    }
    void Show() {
        FakeScriptCall show({Value::Str(L"Show")});
        dialog->SendCommand(show);
        PumpMessages(300);
    }
    LRESULT Send(UINT message, WPARAM wParam, int x, int y) {
        return SendMessageW(dialog->Window(), message, wParam, MAKELPARAM(x, y));
    }
    // Log entries that mention name, in order.
    std::vector<std::wstring> Of(const std::wstring& prefix) const {
        std::vector<std::wstring> out;
        for (const auto& entry : log) {
            if (entry.compare(0, prefix.size(), prefix) == 0) out.push_back(entry);
        }
        return out;
    }

    std::vector<std::wstring> log;
    RecordingDialog* dialog = nullptr;
};

}  // namespace

TEST(XuiDialog, PlacementOnTheDesktop) {
    struct Case {
        const char* what;
        const wchar_t* code;
        std::vector<int> numbers;
        int dw, dh;
        RECT expected;
    };
    const Case cases[] = {
        {"wh centred", L"wh", {726, 526}, 1920, 1080, {597, 277, 1323, 803}},
        {"l and w, no vertical", L"lw", {10, 100}, 1920, 1080, {0, 0, 0, 0}},
        {"bad vertical erases", L"lwt", {10, 100, 5}, 1920, 1080, {0, 0, 0, 0}},
        {"right and bottom", L"rwbh", {10, 100, 20, 50}, 800, 600, {690, 530, 790, 580}},
        {"l and r", L"lrth", {10, 20, 5, 50}, 800, 600, {10, 5, 780, 55}},
        {"odd desktop", L"wh", {101, 51}, 1025, 769, {462, 359, 563, 410}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(XuiDialog::PlaceOnDesktop(LayoutOf(c.code, c.numbers), c.dw, c.dh), c.expected);
    }
}

TEST(XuiDialog, EdgeCodes) {
    XuiSizingSettings sizing{1, 100, 80, 4, 5, 6, 7};
    struct Case {
        POINT point;
        int expected;
    };
    const Case cases[] = {
        {{3, 50}, 1},    {{4, 50}, 0}, {{100, 4}, 2}, {{100, 5}, 0}, {{194, 50}, 0},   {{195, 50}, 4},  {{100, 193}, 0},
        {{100, 194}, 8}, {{0, 0}, 3},  {{199, 0}, 6}, {{0, 199}, 9}, {{199, 199}, 12}, {{100, 100}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XuiDialog::EdgeCodeAt(sizing, 200, 200, c.point), c.expected) << c.point.x << "," << c.point.y;
    }
    sizing.enabled = 0;
    EXPECT_EQ(XuiDialog::EdgeCodeAt(sizing, 200, 200, {0, 0}), 0);
}

TEST(XuiDialog, ResizeNeverGoesBelowTheMinimum) {
    const RECT start = {100, 100, 400, 300};  // 300 x 200, minimum 250 x 150
    struct Case {
        int edge, dx, dy;
        RECT expected;
    };
    const Case cases[] = {
        {4, 50, 0, {100, 100, 450, 300}},   {4, -100, 0, {100, 100, 350, 300}},     {1, 30, 0, {130, 100, 400, 300}},
        {1, 80, 0, {150, 100, 400, 300}},   {1, -40, 0, {60, 100, 400, 300}},       {2, 0, 90, {100, 150, 400, 300}},
        {8, 0, -500, {100, 100, 400, 250}}, {12, -900, -900, {100, 100, 350, 250}}, {3, 20, 20, {120, 120, 400, 300}},
        {6, 5, 5, {100, 105, 405, 300}},    {0, 50, 50, {100, 100, 400, 300}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XuiDialog::ResizedRect(c.edge, c.dx, c.dy, start, 250, 150), c.expected)
            << c.edge << " " << c.dx << "," << c.dy;
    }
}

TEST_F(XuiDialogTest, CreateRunsTheHooksInOrderAndPlacesTheWindow) {
    auto* script = new FakeScriptCall;
    MakeDialog([&](XuiDialog& d) { d.SetScript(script); });
    EXPECT_EQ(log, (std::vector<std::wstring>{L"create", L"after create"}));
    EXPECT_EQ(script->calls, (std::vector<std::wstring>{L"global onCreate", L"global onAfterCreate"}));
    RECT window;
    ASSERT_TRUE(GetWindowRect(dialog->Window(), &window));
    EXPECT_EQ(window, (RECT{100, 100, 300, 250}));
    EXPECT_EQ(dialog->Root()->Rect(), (RECT{0, 0, 200, 150}));
    const LONG style = GetWindowLongW(dialog->Window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    EXPECT_NE(GetWindowLongW(dialog->Window(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_FALSE(IsWindowVisible(dialog->Window()));
    EXPECT_TRUE(dialog->IsPaintingEnabled());
}

TEST_F(XuiDialogTest, PaintsNinePieceBackgroundAndWidgetsAndShowsThemOnScreen) {
    MakeDialog([](XuiDialog& d) { d.SetBackgroundPieces(Self(), XUI_TEST_PNG_NINE, 3, 3, 3, 3); });
    Add(L"Red", L"ltwh", {40, 40, 30, 30}, 0xFFFF0000);
    Add(L"Green", L"ltwh", {55, 55, 30, 30}, 0xFF00FF00);
    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(200, 150));
    dialog->PaintFrame(bitmap);
    struct Probe {
        int x, y;
        uint32_t expected;
    };
    const Probe probes[] = {
        {0, 0, 0x00000000},                            // transparent corner
        {2, 2, 0x00000000},     {198, 1, 0xFFFF0000},  // top-right corner
        {100, 1, 0xFF00FF00},                          // top edge stretched from its first column
        {1, 100, 0xFF00FF00},                          // left edge
        {150, 20, 0xFF0000FF},                         // centre stretched from its first pixel
        {45, 45, 0xFFFF0000},                          // red widget
        {60, 60, 0xFF00FF00},                          // green widget painted over the earlier red one
        {198, 148, 0xFFFF0000},                        // bottom-right corner
    };
    for (const Probe& p : probes) {
        const uint32_t pixel = bitmap.PixelAt(p.x, p.y);
        if (p.expected == 0) {
            EXPECT_EQ(xuitest::Alpha(pixel), 0) << p.x << "," << p.y;
        } else {
            EXPECT_EQ(pixel, p.expected) << p.x << "," << p.y << " " << xuitest::PixelText(pixel);
        }
    }

    // What the layered window shows on the screen.
    Show();
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    const COLORREF red = GetPixel(screen, 100 + 45, 100 + 45);
    const COLORREF green = GetPixel(screen, 100 + 60, 100 + 60);
    const COLORREF centre = GetPixel(screen, 100 + 150, 100 + 20);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(red, RGB(255, 0, 0));
    EXPECT_EQ(green, RGB(0, 255, 0));
    EXPECT_EQ(centre, RGB(0, 0, 255));
}

TEST_F(XuiDialogTest, BackgroundImageIsDrawnUnscaledAndAMissingOneIsHarmless) {
    MakeDialog([](XuiDialog& d) {
        d.LayoutFitBackgroundImage(Self(), XUI_TEST_PNG_BACKGROUND);
        EXPECT_EQ(d.Placement().width, 40u);
        EXPECT_EQ(d.Placement().height, 30u);
        d.SetLayout(LayoutOf(L"ltwh", {100, 100, 60, 50}));
        d.LayoutFitBackgroundImage(Self(), XUI_TEST_PNG_MISSING);  // keeps anchors and background
    });
    EXPECT_EQ(dialog->Root()->Rect(), (RECT{0, 0, 60, 50}));
    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(60, 50));
    dialog->PaintFrame(bitmap);
    EXPECT_EQ(bitmap.PixelAt(39, 29), 0xFF204080u) << xuitest::PixelText(bitmap.PixelAt(39, 29));
    EXPECT_EQ(bitmap.PixelAt(45, 40), 0u);  // beyond the image: left transparent
    // Missing or impossible pieces paint nothing and do not crash.
    dialog->SetBackgroundPieces(Self(), XUI_TEST_PNG_MISSING, 3, 3, 3, 3);
    dialog->SetBackgroundPieces(Self(), XUI_TEST_PNG_NINE, 7, 7, 7, 7);
    dialog->Update();
}

TEST_F(XuiDialogTest, CommandsAndWidgetEvents) {
    auto* script = new FakeScriptCall;
    MakeDialog([&](XuiDialog& d) { d.SetScript(script); });
    ProbeWidget* button = Add(L"StartButton", L"ltwh", {10, 10, 50, 20});
    Show();
    FakeScriptCall show({Value::Str(L"Show")});
    dialog->SendCommand(show);
    FakeScriptCall hide({Value::Str(L"Hide")});
    dialog->SendCommand(hide);
    EXPECT_FALSE(IsWindowVisible(dialog->Window()));
    FakeScriptCall other({Value::Str(L"StartUninstall")});
    dialog->SendCommand(other);
    FakeScriptCall lower({Value::Str(L"show")});
    dialog->SendCommand(lower);
    EXPECT_EQ(Of(L"show"), (std::vector<std::wstring>{L"show 0", L"show 1", L"show 4"}));
    EXPECT_EQ(Of(L"xui command"), (std::vector<std::wstring>{L"xui command StartUninstall", L"xui command show"}));

    button->RaiseEvent(L"Click");
    EXPECT_EQ(Of(L"command"), (std::vector<std::wstring>{L"command Click StartButton"}));
    EXPECT_EQ(script->calls.back(), L"onCommand( 'Click', 'StartButton', 0 )");
    int id = 7;
    button->RaiseEvent(L"ItemSelected", reinterpret_cast<intptr_t>(&id));
    EXPECT_EQ(script->calls.back(), L"onCommand( 'ItemSelected', 'StartButton', 7 )");

    // Default keys through the property, removed again without a widget.
    FakeScriptCall enter({Value::Str(L"DefaultKeyWidget"), Value::Str(L"Enter"), Value::Ptr(button)});
    dialog->SetData(enter);
    EXPECT_EQ(dialog->GetDefaultKeyOf(button), 1);
    FakeScriptCall clear({Value::Str(L"DefaultKeyWidget"), Value::Str(L"Enter")});
    dialog->SetData(clear);
    EXPECT_EQ(dialog->GetDefaultKeyOf(button), 0);
    FakeScriptCall position({Value::Str(L"Position")});
    EXPECT_EQ(dialog->GetData(position), 2);
    ASSERT_EQ(position.pushed.size(), 2u);
    EXPECT_EQ(position.pushed[0].number, 100);
    FakeScriptCall text({Value::Str(L"Text"), Value::Str(L"安装")});
    dialog->SetData(text);
    wchar_t caption[16] = {};
    GetWindowTextW(dialog->Window(), caption, 16);
    EXPECT_EQ(std::wstring(caption), L"安装");

    FakeScriptCall end({Value::Str(L"EndModal")});
    dialog->SendCommand(end);
    EXPECT_EQ(dialog->Window(), nullptr);
    EXPECT_EQ(script->calls.size(), 4u);  // nothing after the events; unload comes with the deletion
    XuiRunDeferredDeletions();
    dialog = nullptr;
    EXPECT_EQ(Of(L"destroy").size(), 1u);
    // The dialog first (its script unloaded), then its widgets.
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], L"dialog deleted");
    EXPECT_EQ(log.back(), L"StartButton deleted");
}

TEST_F(XuiDialogTest, DestroyingTheDialogInsideAClickHandlerIsSafe) {
    auto* script = new FakeScriptCall;
    MakeDialog([&](XuiDialog& d) { d.SetScript(script); });
    ProbeWidget* button = Add(L"Close", L"ltwh", {10, 10, 50, 20});
    button->onClick = [this] { log.push_back(L"handler starts"); };
    // The controller closes the dialog on the click; the script's onCommand still runs after that.
    dialog->onCommand = [this](const XuiWidgetCommand& command) {
        dialog->DestroyXuiDialog(0);
        log.push_back(dialog->Window() == nullptr ? L"window gone, dialog alive" : L"window still there");
        log.push_back(command.widget->Dialog() == nullptr ? L"widget detached" : L"widget attached");
    };
    Show();
    Send(WM_MOUSEMOVE, 0, 20, 20);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    PostMessageW(dialog->Window(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    // One message, as the loop dispatches it, then the loop's deletions.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        const bool theClick = message.message == WM_LBUTTONUP;
        DispatchMessageW(&message);
        if (theClick) break;
        XuiRunDeferredDeletions();
    }
    EXPECT_EQ(Of(L"window"), (std::vector<std::wstring>{L"window gone, dialog alive"}));
    EXPECT_EQ(Of(L"widget"), (std::vector<std::wstring>{L"widget detached"}));
    EXPECT_EQ(script->calls.back(), L"onCommand( 'Click', 'Close', 0 )");
    EXPECT_TRUE(Of(L"dialog deleted").empty());
    EXPECT_TRUE(Of(L"Close deleted").empty());
    XuiRunDeferredDeletions();
    dialog = nullptr;
    const auto deleted = std::find(log.begin(), log.end(), L"dialog deleted");
    const auto widget = std::find(log.begin(), log.end(), L"Close deleted");
    ASSERT_NE(deleted, log.end());
    ASSERT_NE(widget, log.end());
    EXPECT_LT(deleted - log.begin(), widget - log.begin());
}

TEST_F(XuiDialogTest, RemovedWidgetGetsNoMoreInput) {
    MakeDialog();
    ProbeWidget* a = Add(L"A", L"ltwh", {10, 10, 50, 20});
    a->SetTabStop(1);
    Show();
    Send(WM_MOUSEMOVE, 0, 20, 20);
    dialog->FocusNextWidget();
    ASSERT_EQ(dialog->HoveredWidget(), a);
    ASSERT_EQ(dialog->FocusedWidget(), a);
    dialog->SetDefaultKeyWidget(XuiDialog::kKeyEnter, a);
    ASSERT_EQ(dialog->Root()->RemoveChild(L"A"), a);
    EXPECT_EQ(dialog->HoveredWidget(), nullptr);
    EXPECT_EQ(dialog->FocusedWidget(), nullptr);
    EXPECT_EQ(dialog->GetDefaultKeyOf(a), 0);
    log.clear();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 120, 120);
    Send(WM_KEYDOWN, VK_RETURN, 0, 0);
    Send(WM_CHAR, L'x', 0, 0);
    SendMessageW(dialog->Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(log.empty()) << log.size();
    XuiRunDeferredDeletions();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"A deleted"}));
}

TEST_F(XuiDialogTest, MouseRoutingEnterLeaveAndPresses) {
    MakeDialog();
    ProbeWidget* a = Add(L"A", L"ltwh", {10, 10, 40, 20});
    ProbeWidget* b = Add(L"B", L"ltwh", {60, 10, 40, 20});
    Add(L"Label", L"ltwh", {10, 100, 40, 20}, 0, false);
    Show();
    log.clear();
    Send(WM_MOUSEMOVE, 0, 20, 20);
    Send(WM_MOUSEMOVE, 0, 70, 20);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"A enter", L"A leave", L"B enter"}));
    EXPECT_EQ(a->State(), XuiStateNormal);
    EXPECT_EQ(b->State(), XuiStateHover);

    // A press outside, released over a widget, raises nothing.
    log.clear();
    Send(WM_MOUSEMOVE, 0, 150, 120);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 120);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 20, 20);  // dragging onto A presses it (the dialog repeats "down")
    Send(WM_MOUSEMOVE, 0, 150, 120);
    Send(WM_LBUTTONUP, 0, 20, 20);
    EXPECT_TRUE(Of(L"command").empty());
    EXPECT_EQ(a->State(), XuiStateNormal);

    // A full click on B raises "Click" once.
    Send(WM_MOUSEMOVE, 0, 70, 20);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 70, 20);
    Send(WM_LBUTTONUP, 0, 70, 20);
    EXPECT_EQ(Of(L"command"), (std::vector<std::wstring>{L"command Click B"}));

    // Hit test: interactive widgets are client area, everything else drags the window.
    struct Case {
        int x, y;
        LRESULT expected;
    };
    const Case cases[] = {{20, 20, HTCLIENT}, {20, 110, HTCAPTION}, {150, 120, HTCAPTION}};
    for (const Case& c : cases) {
        SetCursorPos(100 + c.x, 100 + c.y);
        EXPECT_EQ(SendMessageW(dialog->Window(), WM_NCHITTEST, 0, MAKELPARAM(100 + c.x, 100 + c.y)), c.expected)
            << c.x << "," << c.y;
    }
    EXPECT_TRUE(Of(L"Label enter").size() == 1);  // the non-interactive label still gets its enter
}

TEST_F(XuiDialogTest, ResizeDragStopsAtTheMinimumSize) {
    MakeDialog([](XuiDialog& d) { d.SetSizable({1, 150, 120, 5, 5, 5, 5}); });
    EXPECT_TRUE(dialog->IsSizable());
    Show();
    // Grab the bottom-right corner and pull far up and left.
    SetCursorPos(100 + 198, 100 + 148);
    Send(WM_MOUSEMOVE, 0, 198, 148);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 198, 148);
    SetCursorPos(100 + 10, 100 + 10);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 10, 10);
    RECT rect;
    GetWindowRect(dialog->Window(), &rect);
    EXPECT_EQ(rect, (RECT{100, 100, 250, 220}));
    EXPECT_EQ(dialog->Root()->Rect(), (RECT{0, 0, 150, 120}));
    // And out again: the window follows.
    SetCursorPos(100 + 260, 100 + 200);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 160, 100);
    GetWindowRect(dialog->Window(), &rect);
    EXPECT_EQ(rect, (RECT{100, 100, 362, 302}));
    Send(WM_LBUTTONUP, 0, 160, 100);
    SetCursorPos(100 + 5, 100 + 5);
    Send(WM_MOUSEMOVE, 0, 150, 60);
    GetWindowRect(dialog->Window(), &rect);
    EXPECT_EQ(rect, (RECT{100, 100, 362, 302}));  // released: no more resizing
}

TEST_F(XuiDialogTest, KeysTabFocusAndDefaultKeys) {
    MakeDialog();
    ProbeWidget* ok = Add(L"Ok", L"ltwh", {10, 10, 40, 20});
    ProbeWidget* cancel = Add(L"Cancel", L"ltwh", {60, 10, 40, 20});
    ProbeWidget* plain = Add(L"Plain", L"ltwh", {110, 10, 40, 20});
    Show();
    log.clear();
    Send(WM_CHAR, L'\t', 0, 0);  // no tab stops yet: nothing
    EXPECT_EQ(dialog->FocusedWidget(), nullptr);
    cancel->SetTabStop(2);
    ok->SetTabStop(1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Send(WM_CHAR, L'\t', 0, 0), 0);
    EXPECT_EQ(Of(L"focus"),
              (std::vector<std::wstring>{L"focus Ok from -", L"focus Cancel from Ok", L"focus Ok from Cancel"}));
    EXPECT_EQ(Of(L"Cancel blur").size(), 1u);

    // Keys go to the focused widget first, then Enter and Escape to their widgets.
    log.clear();
    dialog->SetDefaultKeyWidget(XuiDialog::kKeyEnter, ok);
    dialog->SetDefaultKeyWidget(XuiDialog::kKeyEscape, cancel);
    dialog->SetFocusWidget(plain);
    log.clear();
    Send(WM_KEYDOWN, VK_RETURN, 0, 0);
    Send(WM_KEYDOWN, VK_ESCAPE, 0, 0);
    Send(WM_KEYDOWN, 'A', 0, 0);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"Plain keydown 13", L"Ok activate down 13", L"Plain keydown 27",
                                              L"Cancel activate down 27", L"Plain keydown 65"}));
    cancel->SetDisabled(true);
    log.clear();
    Send(WM_KEYUP, VK_ESCAPE, 0, 0);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"Plain keyup 27"}));

    // System keys reach the focused widget and never default processing.
    log.clear();
    EXPECT_EQ(SendMessageW(dialog->Window(), WM_SYSKEYDOWN, VK_F4, 1 << 29), 0);
    EXPECT_EQ(SendMessageW(dialog->Window(), WM_SYSCHAR, L' ', 1 << 29), 0);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"Plain syskey 115"}));
    EXPECT_TRUE(IsWindow(dialog->Window()));
}

TEST_F(XuiDialogTest, RealInputUnderXvfb) {
    MakeDialog();
    Add(L"A", L"ltwh", {10, 10, 40, 40}, 0xFFFF0000);
    Add(L"B", L"ltwh", {60, 10, 40, 40}, 0xFF00FF00);
    Add(L"Label", L"ltwh", {10, 90, 60, 30}, 0xFF0000FF, false);
    Show();
    ASSERT_TRUE(IsWindowVisible(dialog->Window()));
    log.clear();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    auto input = [&](int x, int y, DWORD flags) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = (x * 65535 + sw / 2) / (sw - 1);
        in.mi.dy = (y * 65535 + sh / 2) / (sh - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
        ASSERT_EQ(SendInput(1, &in, sizeof(in)), 1u);
    };
    input(130, 130, 0);
    PumpMessages(2000, [&] { return !Of(L"A enter").empty(); });
    input(180, 130, 0);
    PumpMessages(2000, [&] { return !Of(L"B enter").empty(); });
    EXPECT_EQ(Of(L"A"), (std::vector<std::wstring>{L"A enter", L"A leave"}));
    ASSERT_EQ(Of(L"B enter").size(), 1u);
    EXPECT_LT(std::find(log.begin(), log.end(), L"A leave") - log.begin(),
              std::find(log.begin(), log.end(), L"B enter") - log.begin());

    // A click on B raises "Click".
    input(180, 130, MOUSEEVENTF_LEFTDOWN);
    input(180, 130, MOUSEEVENTF_LEFTUP);
    PumpMessages(2000, [&] { return !Of(L"command").empty(); });
    EXPECT_EQ(Of(L"command"), (std::vector<std::wstring>{L"command Click B"}));

    // Alt+F4 leaves the dialog open.
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SetForegroundWindow(dialog->Window());
    ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
    PumpMessages(1000);
    EXPECT_TRUE(IsWindow(dialog->Window()));
    EXPECT_TRUE(Of(L"destroy").empty());

    // A press on the label (not interactive) drags the window. The system's move loop runs inside the message
    // that started it, so the person's hand is another thread.
    RECT before, after;
    GetWindowRect(dialog->Window(), &before);
    struct Hand {
        std::function<void(int, int, DWORD)> input;
        static DWORD WINAPI Run(void* self) {
            auto* hand = static_cast<Hand*>(self);
            const int steps[][3] = {{130, 200, 0},
                                    {130, 200, MOUSEEVENTF_LEFTDOWN},
                                    {180, 240, 0},
                                    {230, 280, 0},
                                    {230, 280, MOUSEEVENTF_LEFTUP}};
            for (const auto& step : steps) {
                hand->input(step[0], step[1], static_cast<DWORD>(step[2]));
                Sleep(150);  // pacing of a hand, not a measurement
            }
            return 0;
        }
    } hand{[&](int x, int y, DWORD flags) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = (x * 65535 + sw / 2) / (sw - 1);
        in.mi.dy = (y * 65535 + sh / 2) / (sh - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
        SendInput(1, &in, sizeof(in));
    }};
    HANDLE thread = CreateThread(nullptr, 0, &Hand::Run, &hand, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    PumpMessages(5000, [&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; });
    PumpMessages(500);
    CloseHandle(thread);
    GetWindowRect(dialog->Window(), &after);
    EXPECT_EQ(after.left - before.left, 100);
    EXPECT_EQ(after.top - before.top, 80);
}
