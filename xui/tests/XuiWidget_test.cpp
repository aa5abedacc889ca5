// The widget base: state rule, mouse dispatch, script commands, layout-document attributes, style inheritance.
#include <gtest/gtest.h>

#include "XuiInnerSharedManager.h"
#include "XuiTestSupport.h"
#include "XuiWidget.h"

using xuitest::FakeScriptCall;
using xuitest::FakeXmlElement;
using xuitest::Node;
using xuitest::ProbeWidget;
using xuitest::Value;
using XuiWidgetTest = xuitest::ToolkitTest;

TEST(XuiWidget, StateRule) {
    struct Case {
        XuiWidgetState current;
        bool hovered, pressed;
        XuiWidgetState expected;
    };
    const Case cases[] = {
        {XuiStateNormal, false, false, XuiStateNormal},   {XuiStateNormal, true, false, XuiStateHover},
        {XuiStateHover, true, true, XuiStatePressed},     {XuiStatePressed, false, true, XuiStateNormal},
        {XuiStateDisabled, true, true, XuiStateDisabled}, {XuiStateDisabled, false, false, XuiStateDisabled},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XuiWidget::StateFor(c.current, c.hovered, c.pressed), c.expected)
            << c.current << " " << c.hovered << c.pressed;
    }
}

TEST(XuiWidget, PressLeaveReleaseRaisesNothingAndEndsNormal) {
    std::vector<std::wstring> log;
    ProbeWidget w(L"B", &log);
    XuiCursorKind cursor = XuiCursorNone;
    w.DispatchMouseMove({XuiMouseMoveEvent::kEnter, 1, 1}, &cursor);
    EXPECT_EQ(cursor, XuiCursorHand);
    EXPECT_EQ(w.State(), XuiStateHover);
    w.DispatchMouseButton({1, 1, 0, XuiMouseButtonEvent::kDown});
    EXPECT_EQ(w.State(), XuiStatePressed);
    w.DispatchMouseButton({1, 1, 0, XuiMouseButtonEvent::kDown});  // repeated down: nothing new
    w.DispatchMouseMove({XuiMouseMoveEvent::kLeave, 0, 0}, &cursor);
    EXPECT_EQ(w.State(), XuiStateNormal);
    EXPECT_FALSE(w.IsPressed());
    w.DispatchMouseButton({50, 50, 0, XuiMouseButtonEvent::kUp});  // up without a down: nothing
    w.DispatchMouseButton({1, 1, 0, XuiMouseButtonEvent::kDoubleClick});
    EXPECT_EQ(log, (std::vector<std::wstring>{L"B enter", L"B down", L"B leave", L"B double"}));
}

TEST(XuiWidget, DisabledKeepsTrackingAndReturnsToPressed) {
    std::vector<std::wstring> log;
    ProbeWidget w(L"B", &log);
    XuiCursorKind cursor = XuiCursorNone;
    w.DispatchMouseMove({XuiMouseMoveEvent::kEnter, 1, 1}, &cursor);
    w.DispatchMouseButton({1, 1, 0, XuiMouseButtonEvent::kDown});
    w.SetDisabled(true);
    EXPECT_EQ(w.State(), XuiStateDisabled);
    w.DispatchMouseButton({1, 1, 0, XuiMouseButtonEvent::kUp});  // tracked, not delivered
    EXPECT_FALSE(w.IsPressed());
    w.DispatchMouseButton({1, 1, 0, XuiMouseButtonEvent::kDown});
    w.SetDisabled(false);
    EXPECT_EQ(w.State(), XuiStatePressed);
    w.SetDisabled(false);  // not disabled: keeps its state
    EXPECT_EQ(w.State(), XuiStatePressed);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"B enter", L"B down"}));
}

TEST(XuiWidget, RgbAttributeParsing) {
    struct Case {
        const wchar_t* text;
        bool ok;
        uint32_t colour;
    };
    const Case cases[] = {
        {L"255,255,255", true, 0xFEFFFFFF},
        {L"0,128,255", true, 0xFE0080FF},
        {L"FF8000", true, 0xFEFF8000},
        {L"1, 2 ;3", true, 0xFE010203},
        {L"256,1,1", true, 0xFE000101},
        {L"1,2", false, 0},
        {L",1,2,3", false, 0},
        {L"", false, 0},
        {L"FF123456", true, 0xFF123456},
        {L"zz", false, 0},
    };
    for (const auto& c : cases) {
        uint32_t colour = 0x12345678;
        EXPECT_EQ(XuiWidget::ParseRgbAttribute(c.text, &colour), c.ok) << c.text;
        EXPECT_EQ(colour, c.ok ? c.colour : 0x12345678u) << c.text;
    }
}

TEST(XuiWidget, SetDataCommands) {
    std::vector<std::wstring> log;
    ProbeWidget w(L"W", &log);
    auto send = [&w](std::vector<Value> values) {
        std::vector<Value> args = {Value::Ptr(&w)};
        args.insert(args.end(), values.begin(), values.end());
        FakeScriptCall call(args);
        w.HandleSetData(call);
    };
    send({Value::Str(L"Text"), Value::Str(L"正在准备安装...")});
    EXPECT_TRUE(w.Text() == L"正在准备安装...");
    send({Value::Str(L"Visible"), Value::Nil()});
    EXPECT_FALSE(w.IsVisible());
    send({Value::Str(L"SetVisible"), Value::Num(0)});  // any value but nil and false is true
    EXPECT_TRUE(w.IsVisible());
    send({Value::Str(L"TabStop"), Value::Num(2.5)});
    EXPECT_TRUE(w.HasTabStop());
    EXPECT_EQ(w.TabStop(), 2);  // halves to even
    send({Value::Str(L"TextColorRGB"), Value::Num(256 + 1), Value::Num(2), Value::Num(3)});
    EXPECT_EQ(w.TextStyle().colour, 0xFE010203u);
    EXPECT_TRUE(w.TextStyle().colourSet);
    send({Value::Str(L"SetTextStyle"), Value::Str(L"宋体"), Value::Num(14), Value::Str(L"bIxS")});
    EXPECT_TRUE(w.TextStyle().face == L"宋体");
    EXPECT_EQ(w.TextStyle().size, 14);
    EXPECT_EQ(w.TextStyle().style, 1 | 2 | 8);
    EXPECT_TRUE(w.TextStyle().styleSet);
    EXPECT_FALSE(w.TextStyle().colourSet);  // the whole style was replaced
    send({Value::Str(L"TextStyle"), Value::Str(L"x"), Value::Num(9)});
    EXPECT_FALSE(w.TextStyle().styleSet);
    send({Value::Str(L"Focus"), Value::Bool(true)});
    EXPECT_TRUE(w.IsFocused());
    send({Value::Str(L"Disable"), Value::Bool(true)});
    EXPECT_TRUE(w.IsDisabled());
    EXPECT_EQ(log, (std::vector<std::wstring>{L"W property 1", L"W property 2", L"W property 2", L"W focus"}));

    // Wrong argument types raise the script's argument error.
    EXPECT_THROW(send({Value::Str(L"Text"), Value::Table({})}), xuitest::ScriptArgumentError);
    EXPECT_THROW(send({Value::Str(L"TabStop"), Value::Str(L"x")}), xuitest::ScriptArgumentError);

    FakeScriptCall get({Value::Ptr(&w), Value::Str(L"Text")});
    EXPECT_EQ(w.HandleGetData(get), 1);
    ASSERT_EQ(get.pushed.size(), 1u);
    EXPECT_EQ(get.pushed[0].text, L"正在准备安装...");
    FakeScriptCall unknown({Value::Ptr(&w), Value::Str(L"text")});
    EXPECT_EQ(w.HandleGetData(unknown), 0);
}

TEST(XuiWidget, LoadXmlAttributes) {
    struct Case {
        const char* what;
        std::map<std::wstring, std::wstring> attributes;
        RECT expectedRect;  // in a 100 x 100 parent, after the widget started as "ltwh" 1, 2, 3, 4
        bool visible;
        uint32_t colour;
    };
    const Case cases[] = {
        {"no attributes", {}, {1, 2, 4, 6}, true, 0},
        {"only W keeps the layout", {{L"W", L"50"}}, {1, 2, 4, 6}, true, 0},
        {"L and T only: empty", {{L"L", L"10"}, {L"T", L" 20"}}, {0, 0, 0, 0}, true, 0},
        {"full", {{L"L", L"10"}, {L"T", L"20"}, {L"W", L"+30"}, {L"H", L"40"}}, {10, 20, 40, 60}, true, 0},
        {"bad number skipped, two left", {{L"L", L"x"}, {L"T", L"20"}, {L"W", L"30"}}, {0, 0, 0, 0}, true, 0},
        {"one good and one bad", {{L"L", L"x"}, {L"T", L"20"}}, {1, 2, 4, 6}, true, 0},
        {"visible FALSE", {{L"Visible", L"FALSE"}}, {1, 2, 4, 6}, false, 0},
        {"visible other", {{L"Visible", L"no"}}, {1, 2, 4, 6}, true, 0},
        {"rgb", {{L"RGB", L"255,255,255"}}, {1, 2, 4, 6}, true, 0xFEFFFFFF},
        {"bad rgb", {{L"RGB", L",1,2,3"}}, {1, 2, 4, 6}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeWidget w(L"W", nullptr);
        w.SetLayout(xuitest::LayoutOf(L"ltwh", {1, 2, 3, 4}));
        FakeXmlElement element({Node{L"XuiProbe", c.attributes, {}}}, XuiXmlElement::kModeAdd);
        w.LoadXmlAttributes(element);
        RECT rect;
        w.CalcRect({0, 0, 100, 100}, &rect);
        EXPECT_EQ(rect, c.expectedRect);
        EXPECT_EQ(w.IsVisible(), c.visible);
        EXPECT_EQ(w.TextStyle().colourSet, c.colour != 0);
        if (c.colour != 0) {
            EXPECT_EQ(w.TextStyle().colour, c.colour);
        }
    }
    ProbeWidget text(L"T", nullptr);
    FakeXmlElement element({Node{L"XuiProbe", {{L"Text", L"安装"}}, {}}}, XuiXmlElement::kModeAdd);
    text.LoadXmlAttributes(element);
    EXPECT_TRUE(text.Text() == L"安装");
}

TEST(XuiWidget, InheritTextStyleFillsOnlyWhatIsUnset) {
    XuiContainer parent;
    XuiTextStyle parentStyle;
    parentStyle.face = L"宋体";
    parentStyle.size = 16;
    parentStyle.sizeSet = true;
    parentStyle.colour = 0xFF112233;
    parentStyle.colourSet = true;
    parent.SetTextStyle(parentStyle);

    ProbeWidget child(L"C", nullptr);
    XuiTextStyle own;
    own.size = 20;
    own.sizeSet = true;
    child.SetTextStyle(own);
    child.InheritTextStyle(&parent);
    EXPECT_TRUE(child.TextStyle().face == L"宋体");
    EXPECT_EQ(child.TextStyle().size, 20);
    EXPECT_EQ(child.TextStyle().colour, 0xFF112233u);
    EXPECT_FALSE(child.TextStyle().styleSet);
}

TEST_F(XuiWidgetTest, EffectiveFontFaceFallsBackToTheDefault) {
    ProbeWidget w(L"W", nullptr);
    EXPECT_TRUE(w.EffectiveFontFace() == XuiInnerSharedManager::DefaultFace());
    XuiTextStyle style;
    style.face = L"No Such Face 42";
    w.SetTextStyle(style);
    EXPECT_TRUE(w.EffectiveFontFace() == XuiInnerSharedManager::DefaultFace());
    const auto families = XuiInnerSharedManager::InstalledFamilies();
    ASSERT_FALSE(families.empty());
    style.face = families.back();
    w.SetTextStyle(style);
    EXPECT_TRUE(w.EffectiveFontFace() == families.back());
}

TEST_F(XuiWidgetTest, MeasureTextUsesTheFontThroughTheGraphicsContext) {
    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(10, 10));
    XuiScopedGraphics graphics;
    ASSERT_EQ(gdip::GdipCreateFromHDC(bitmap.DC(), graphics.Receive()), Gdiplus::Ok);
    XuiTextStyle style;
    style.size = 24;
    style.sizeSet = true;
    const auto font = XuiInnerSharedManager::GetFontStyle(style);
    const SIZE one = XuiWidget::MeasureText(graphics.Get(), font.font.get(), L"W");
    const SIZE two = XuiWidget::MeasureText(graphics.Get(), font.font.get(), L"WW");
    EXPECT_GT(one.cx, 0);
    EXPECT_GE(one.cy, 20);
    EXPECT_EQ(two.cx, 2 * one.cx);
    XuiScopedFont gdiFont(XuiWidget::CreateGdiFont(font.font.get()));
    ASSERT_TRUE(gdiFont);
    LOGFONTW logFont = {};
    ASSERT_NE(GetObjectW(gdiFont.Get(), sizeof(logFont), &logFont), 0);
    EXPECT_EQ(std::abs(logFont.lfHeight), 24);
}
