// The container: children by name, removal into the deletion queue, hit tests, layout, tab order, painting.
#include <gtest/gtest.h>

#include "XuiBitmapDC.h"
#include "XuiContainer.h"
#include "XuiDefaultWidgetCreator.h"
#include "XuiInnerSharedManager.h"
#include "XuiTestImages.h"
#include "XuiTestSupport.h"
#include "XuiToolkit.h"
#include "XuiWidgetCreator.h"

using xuitest::FakeScriptCall;
using xuitest::FakeXmlElement;
using xuitest::ImageWidget;
using xuitest::LayoutOf;
using xuitest::Node;
using xuitest::ProbeWidget;
using xuitest::Value;
using XuiContainerTest = xuitest::ToolkitTest;

namespace {

// A root container of 100 x 100 whose children are laid out from anchor codes.
struct Tree {
    XuiContainer root;
    std::vector<std::wstring> log;
    Tree() { root.SetRect({0, 0, 100, 100}); }
    ~Tree() {
        root.RemoveAllChildren();
        XuiRunDeferredDeletions();
    }
    ProbeWidget* Add(const wchar_t* name, const wchar_t* code, std::vector<int> numbers, XuiContainer* parent = nullptr,
                     uint32_t argb = 0) {
        auto* w = new ProbeWidget(name, &log, argb);
        w->SetLayout(LayoutOf(code, numbers));
        (parent != nullptr ? parent : &root)->AddChild(w);
        return w;
    }
    XuiContainer* AddPanel(const wchar_t* name, const wchar_t* code, std::vector<int> numbers) {
        auto* panel = new XuiContainer;
        panel->SetName(name);
        panel->SetLayout(LayoutOf(code, numbers));
        root.AddChild(panel);
        return panel;
    }
};

}  // namespace

TEST(XuiContainer, SameNameChildrenAndRemoval) {
    Tree tree;
    ProbeWidget* first = tree.Add(L"Same", L"ltwh", {0, 0, 50, 50});
    ProbeWidget* second = tree.Add(L"Same", L"ltwh", {25, 25, 50, 50});
    tree.root.LayoutChildren();
    EXPECT_EQ(tree.root.FindChild(L"Same", false), second);
    EXPECT_EQ(tree.root.HitTest({10, 10}), first);
    EXPECT_EQ(tree.root.HitTest({30, 30}), second);  // the later one is on top
    EXPECT_EQ(tree.root.RemoveChild(L"Same"), second);
    EXPECT_EQ(tree.root.Children(), (std::vector<XuiWidget*>{first}));
    EXPECT_EQ(tree.root.FindChild(L"Same", false), nullptr);
    EXPECT_EQ(tree.root.RemoveChild(L"Same"), nullptr);
    EXPECT_EQ(second->Dialog(), nullptr);
    // Deleted only with the deferred deletions.
    EXPECT_TRUE(std::find(tree.log.begin(), tree.log.end(), L"Same deleted") == tree.log.end());
    XuiRunDeferredDeletions();
    EXPECT_EQ(std::count(tree.log.begin(), tree.log.end(), L"Same deleted"), 1);
}

TEST(XuiContainer, HitTestEdgesHiddenAndDisabled) {
    Tree tree;
    ProbeWidget* a = tree.Add(L"A", L"ltwh", {10, 10, 20, 20});
    XuiContainer* panel = tree.AddPanel(L"Panel", L"ltwh", {50, 50, 40, 40});
    ProbeWidget* inner = tree.Add(L"Inner", L"ltwh", {5, 5, 10, 10}, panel);
    tree.root.LayoutChildren();
    EXPECT_EQ(inner->Rect(), (RECT{55, 55, 65, 65}));  // nested layout runs in the same pass
    struct Case {
        POINT point;
        XuiWidget* expected;
    };
    const Case cases[] = {
        {{10, 10}, a},     {{29, 29}, a},     {{30, 20}, &tree.root}, {{20, 30}, &tree.root},
        {{55, 55}, inner}, {{70, 70}, panel}, {{100, 50}, nullptr},   {{-1, 0}, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(tree.root.HitTest(c.point), c.expected) << c.point.x << "," << c.point.y;

    a->SetVisible(false);
    EXPECT_EQ(tree.root.HitTest({15, 15}), &tree.root);
    panel->SetDisabled(true);  // hides its children from hit tests
    EXPECT_EQ(tree.root.HitTest({55, 55}), &tree.root);
}

TEST(XuiContainer, FindChildSearchesContainersDepthFirst) {
    Tree tree;
    XuiContainer* p1 = tree.AddPanel(L"P1", L"", {});
    XuiContainer* p2 = tree.AddPanel(L"P2", L"", {});
    ProbeWidget* deep = tree.Add(L"X", L"", {}, p1);
    tree.Add(L"X", L"", {}, p2);
    EXPECT_EQ(tree.root.FindChild(L"X", false), nullptr);
    EXPECT_EQ(tree.root.FindChild(L"X", true), deep);
    EXPECT_EQ(tree.root.FindChild(L"x", true), nullptr);
    EXPECT_EQ(p1->Parent(), &tree.root);
    EXPECT_EQ(deep->Parent(), p1);
}

TEST(XuiContainer, TabOrder) {
    struct Case {
        const char* what;
        std::vector<int> stops;       // -1: no tab stop
        std::vector<int> panelStops;  // inside a child panel
        int after;                    // 0 = FirstTabStop
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"3 1 2 first", {3, 1, 2}, {}, 0, L"r1"},     {"3 1 2 after 1", {3, 1, 2}, {}, 1, L"r2"},
        {"3 1 2 after 3", {3, 1, 2}, {}, 3, nullptr}, {"tie: first in order", {2, 2}, {}, 0, L"r0"},
        {"none", {-1, -1}, {}, 0, nullptr},           {"panel smaller wins", {5}, {4}, 0, L"p0"},
        {"panel equal loses", {4}, {4}, 0, L"r0"},    {"after skips panel", {5}, {4}, 4, L"r0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree tree;
        for (size_t i = 0; i < c.stops.size(); ++i) {
            ProbeWidget* w = tree.Add((L"r" + std::to_wstring(i)).c_str(), L"", {});
            if (c.stops[i] >= 0) w->SetTabStop(c.stops[i]);
        }
        if (!c.panelStops.empty()) {
            XuiContainer* panel = tree.AddPanel(L"P", L"", {});
            for (size_t i = 0; i < c.panelStops.size(); ++i) {
                tree.Add((L"p" + std::to_wstring(i)).c_str(), L"", {}, panel)->SetTabStop(c.panelStops[i]);
            }
        }
        XuiWidget* found = c.after == 0 ? tree.root.FirstTabStop() : tree.root.NextTabStop(c.after);
        if (c.expected == nullptr) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_TRUE(found->Name() == c.expected) << found->Name().ToUtf8();
        }
    }
    // Hidden and disabled widgets take no part.
    Tree tree;
    ProbeWidget* hidden = tree.Add(L"h", L"", {});
    hidden->SetTabStop(1);
    hidden->SetVisible(false);
    ProbeWidget* disabled = tree.Add(L"d", L"", {});
    disabled->SetTabStop(2);
    disabled->SetDisabled(true);
    ProbeWidget* plain = tree.Add(L"p", L"", {});
    plain->SetTabStop(3);
    EXPECT_EQ(tree.root.FirstTabStop(), plain);
}

TEST(XuiContainer, NinePieceTargets) {
    const std::vector<RECT> expected = {{10, 20, 13, 24}, {13, 20, 105, 24}, {105, 20, 110, 24},
                                        {10, 24, 13, 68}, {13, 24, 105, 68}, {105, 24, 110, 68},
                                        {10, 68, 13, 70}, {13, 68, 105, 70}, {105, 68, 110, 70}};
    EXPECT_EQ(XuiContainer::NinePieceTargets({10, 20, 110, 70}, 3, 4, 5, 2), expected);
}

TEST(XuiContainer, AttachPassesStyleAndDialogDown) {
    Tree tree;
    auto* panel = new XuiContainer;
    auto* child = new ProbeWidget(L"C", &tree.log);
    panel->AddChild(child);  // built while detached
    XuiTextStyle style;
    style.face = L"宋体";
    tree.root.SetTextStyle(style);
    tree.root.AddChild(panel);
    EXPECT_TRUE(panel->TextStyle().face == L"宋体");
    EXPECT_TRUE(child->TextStyle().face == L"宋体");
}

TEST_F(XuiContainerTest, LayoutDocumentChildrenAreCreatedAttachedThenRead) {
    Tree tree;
    XuiTextStyle style;
    style.colour = 0xFF010101;
    style.colourSet = true;
    tree.root.SetTextStyle(style);
    Node inner{L"XuiContainer", {{L"Name", L"Inner"}}, {}};
    Node skipped{L"xuicontainer", {{L"Name", L"Lower"}}, {Node{L"XuiContainer", {{L"Name", L"Hidden"}}, {}}}};
    Node panel{L"XuiContainer",
               {{L"Name", L"Panel"}, {L"RGB", L"1,2,3"}},
               {inner, skipped, Node{L"Unknown", {}, {}}, Node{L"XuiContainer", {}, {}}}};
    FakeXmlElement element({Node{L"Root", {}, {panel}}}, XuiXmlElement::kModeAdd);
    tree.root.OnLoadXml(element);
    XuiWidget* made = tree.root.FindChild(L"Panel", false);
    ASSERT_NE(made, nullptr);
    // Attached first (colour inherited), then read: the RGB attribute wins.
    EXPECT_EQ(made->TextStyle().colour, 0xFE010203u);
    auto* madePanel = static_cast<XuiContainer*>(made);
    ASSERT_EQ(madePanel->Children().size(), 2u);
    EXPECT_TRUE(madePanel->Children()[0]->Name() == L"Inner");
    EXPECT_TRUE(madePanel->Children()[1]->Name().IsEmpty());
    EXPECT_EQ(madePanel->Children()[0]->TextStyle().colour, 0xFE010203u);
    EXPECT_EQ(tree.root.FindChild(L"Lower", true), nullptr);
    EXPECT_EQ(tree.root.FindChild(L"Hidden", true), nullptr);

    // The script path: a known type gets name and text; an unknown one gives nothing.
    FakeScriptCall call({Value::Str(L"XuiContainer"), Value::Str(L"Panel2"), Value::Str(L"文字")});
    XuiWidget* scripted = XuiWidgetCreator::CreateWidgetFromScript(call);
    ASSERT_NE(scripted, nullptr);
    EXPECT_TRUE(scripted->Name() == L"Panel2");
    EXPECT_TRUE(scripted->Text() == L"文字");
    EXPECT_EQ(scripted->Parent(), nullptr);
    delete scripted;
    FakeScriptCall unknown({Value::Str(L"XuiCombo"), Value::Table({})});  // name not read: no error
    EXPECT_EQ(XuiWidgetCreator::CreateWidgetFromScript(unknown), nullptr);
}

TEST_F(XuiContainerTest, PaintsBackToFrontWithSingleOrNinePieceBackground) {
    const HMODULE self = GetModuleHandleW(nullptr);
    Tree tree;
    tree.root.SetRect({0, 0, 40, 40});
    const int margins[4] = {3, 3, 3, 3};
    tree.root.SetBackgroundPieces(self, XUI_TEST_PNG_NINE, margins);
    auto* red = new ImageWidget(L"Red", XuiInnerSharedManager::FindSharedBitmap(self, XUI_TEST_PNG_RED));
    red->SetLayout(LayoutOf(L"ltwh", {24, 24, 6, 6}));
    auto* green = new ImageWidget(L"Green", XuiInnerSharedManager::FindSharedBitmap(self, XUI_TEST_PNG_GREEN));
    green->SetLayout(LayoutOf(L"ltwh", {27, 27, 6, 6}));
    tree.root.AddChild(red);
    tree.root.AddChild(green);
    tree.root.LayoutChildren();

    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(40, 40));
    auto paint = [&] {
        ASSERT_TRUE(bitmap.Create(40, 40));
        XuiScopedGraphics graphics;
        ASSERT_EQ(gdip::GdipCreateFromHDC(bitmap.DC(), graphics.Receive()), Gdiplus::Ok);
        XuiPaintContext context{graphics.Get(), &bitmap, false};
        tree.root.Paint(context);
        gdip::GdipFlush(graphics.Get(), Gdiplus::FlushIntentionSync);
        GdiFlush();
    };
    paint();
    struct Probe {
        int x, y;
        uint32_t expected;
    };
    const Probe nine[] = {
        {1, 1, 0x00000000},    // transparent corner
        {38, 1, 0xFFFF0000},   // top-right corner
        {20, 1, 0xFF00FF00},   // top edge stretched
        {1, 20, 0xFF00FF00},   // left edge stretched
        {20, 20, 0xFF0000FF},  // centre stretched
        // The ends of stretched strips keep their own colour: nothing of the neighbouring pieces bleeds in.
        {3, 1, 0xFF00FF00},
        {36, 1, 0xFF00FF00},
        {1, 3, 0xFF00FF00},
        {1, 36, 0xFF00FF00},
        {3, 3, 0xFF0000FF},
        {36, 20, 0xFF0000FF},
        {25, 25, 0xFFFF0000},  // red child
        {28, 28, 0xFF00FF00},  // green child over the red one
        {31, 30, 0xFF00FF00},
    };
    for (const Probe& p : nine) {
        EXPECT_EQ(bitmap.PixelAt(p.x, p.y), p.expected)
            << p.x << "," << p.y << " " << xuitest::PixelText(bitmap.PixelAt(p.x, p.y));
    }
    // A single background image takes precedence over the pieces; hidden children are not painted.
    tree.root.SetBackground(self, XUI_TEST_PNG_BACKGROUND);
    green->SetVisible(false);
    paint();
    EXPECT_EQ(bitmap.PixelAt(1, 1), 0xFF204080u) << xuitest::PixelText(bitmap.PixelAt(1, 1));
    EXPECT_EQ(bitmap.PixelAt(28, 28), 0xFFFF0000u);
    // A missing background image paints nothing and does not crash.
    tree.root.SetBackground(self, XUI_TEST_PNG_MISSING);
    const int impossible[4] = {30, 30, 30, 30};
    tree.root.SetBackgroundPieces(self, XUI_TEST_PNG_NINE, impossible);
    paint();
    EXPECT_EQ(bitmap.PixelAt(1, 1), 0u);
    EXPECT_EQ(bitmap.PixelAt(25, 25), 0xFFFF0000u);
}
