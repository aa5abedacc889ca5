// Anchor codes and anchor arithmetic.
#include <gtest/gtest.h>

#include "XuiLayout.h"
#include "XuiTestSupport.h"

using xuitest::LayoutOf;

struct PlaceCase {
    const char* what;
    const wchar_t* code;
    std::vector<int> numbers;
    RECT parent;
    RECT expected;
};

TEST(XuiLayout, PlaceFollowsTheAnchors) {
    const PlaceCase cases[] = {
        {"lbwh in 726 x 526", L"lbwh", {240, 50, 108, 36}, {0, 0, 726, 526}, {240, 440, 348, 476}},
        {"wh centred in 1920 x 1040", L"wh", {726, 526}, {0, 0, 1920, 1040}, {597, 257, 1323, 783}},
        {"trwh", L"trwh", {35, 38, 12, 12}, {0, 0, 726, 526}, {676, 35, 688, 47}},
        {"lrth", L"lrth", {86, 86, 40, 363}, {0, 0, 726, 526}, {86, 40, 640, 403}},
        {"w centred in 100..300", L"wtb", {50, 0, 0}, {100, 0, 300, 10}, {175, 0, 225, 10}},
        {"offset parent", L"ltwh", {5, 6, 7, 8}, {100, 200, 300, 400}, {105, 206, 112, 214}},
        {"right and bottom", L"rbwh", {10, 20, 30, 40}, {100, 200, 300, 400}, {260, 340, 290, 380}},
        {"odd centre truncates", L"wh", {3, 3}, {0, 0, 10, 11}, {4, 4, 7, 7}},
        {"xlw: x uses up a number, no vertical", L"xlw", {5, 10, 20}, {0, 0, 100, 100}, {0, 0, 0, 0}},
        {"incomplete horizontal keeps vertical", L"lth", {10, 20, 30}, {0, 0, 100, 100}, {0, 20, 0, 50}},
        {"incomplete vertical erases all", L"lwt", {10, 20, 30}, {0, 0, 100, 100}, {0, 0, 0, 0}},
        {"L and T only", L"lt", {10, 20}, {0, 0, 100, 100}, {0, 0, 0, 0}},
        {"code longer than numbers", L"lrtbwh", {1, 2, 3, 4}, {0, 0, 100, 100}, {1, 3, 98, 96}},
        {"numbers longer than code", L"wh", {10, 10, 99, 99}, {0, 0, 100, 100}, {45, 45, 55, 55}},
        {"upper case sets nothing", L"WH", {10, 10}, {0, 0, 100, 100}, {0, 0, 0, 0}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LayoutOf(c.code, c.numbers).Place(c.parent), c.expected);
    }
}

TEST(XuiLayout, FromCodeSetsOnlyTheNamedAnchors) {
    const XuiLayout lrth = LayoutOf(L"lrth", {86, 86, 40, 363});
    EXPECT_TRUE(lrth.leftSet && lrth.rightSet && lrth.topSet && lrth.heightSet);
    EXPECT_FALSE(lrth.widthSet || lrth.bottomSet);
    EXPECT_EQ(lrth.left, 86);
    EXPECT_EQ(lrth.right, 86);
    EXPECT_EQ(lrth.top, 40);
    EXPECT_EQ(lrth.height, 363u);
    const XuiLayout skipped = LayoutOf(L"xlw", {5, 10, 20});
    EXPECT_EQ(skipped.left, 10);
    EXPECT_EQ(skipped.width, 20u);
    EXPECT_FALSE(skipped.topSet || skipped.bottomSet || skipped.heightSet || skipped.rightSet);
    EXPECT_TRUE(XuiLayout::FromCode(L"", nullptr, 0) == XuiLayout());
}
