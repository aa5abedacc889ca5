// Cost of one full Update of a 726 x 526 dialog (background image, a nine-piece panel, 20 widgets with text) and
// of one MeasureStyledText call: the median and the spread of many runs, printed. Run it under Wine:
//   build/wine-run build/bench/xui-update/xui_update_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "XuiContainer.h"
#include "XuiDialog.h"
#include "XuiInnerSharedManager.h"
#include "XuiTestImages.h"
#include "XuiToolkit.h"

namespace {

// A label as the installer's texts are: its own text in its style.
class TextWidget : public XuiWidget {
public:
    void Paint(XuiPaintContext& context) override {
        XuiInnerSharedManager::DrawStyledText(context.graphics, Rect(),
                                              XuiInnerSharedManager::GetFontStyle(TextStyle()), nullptr, Text());
    }
};

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <class F>
void Report(const char* what, int runs, F f) {
    std::vector<double> times;
    f();  // warm the caches first
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        f();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    printf("%-34s runs %4d  median %8.3f ms  p10 %8.3f ms  p90 %8.3f ms\n", what, runs, times[times.size() / 2],
           times[times.size() / 10], times[times.size() * 9 / 10]);
}

}  // namespace

int wmain() {
    const HMODULE self = GetModuleHandleW(nullptr);
    if (!XuiInitialize(self)) return 1;
    {
        auto* dialog = new XuiDialog;
        XuiLayout layout;
        layout.width = 726;
        layout.widthSet = true;
        layout.height = 526;
        layout.heightSet = true;
        dialog->SetLayout(layout);
        dialog->SetBackgroundPieces(self, XUI_TEST_PNG_NINE, 3, 3, 3, 3);
        if (!dialog->Create()) return 1;
        XuiContainer* root = dialog->Root();
        const int margins[4] = {3, 3, 3, 3};
        auto* panel = new XuiContainer;
        const int panelNumbers[] = {86, 86, 40, 363};
        panel->SetLayout(XuiLayout::FromCode(L"lrth", panelNumbers, 4));
        panel->SetBackgroundPieces(self, XUI_TEST_PNG_NINE, margins);
        root->AddChild(panel);
        auto* picture = new XuiContainer;
        const int pictureNumbers[] = {0, 0, 726, 526};
        picture->SetLayout(XuiLayout::FromCode(L"ltwh", pictureNumbers, 4));
        picture->SetBackground(self, XUI_TEST_PNG_BACKGROUND);
        root->AddChild(picture);
        std::vector<XuiWidget*> texts;
        for (int i = 0; i < 20; ++i) {
            auto* text = new TextWidget;
            texts.push_back(text);
            const int numbers[] = {20 + (i % 4) * 170, 60 + (i / 4) * 80, 160, 30};
            text->SetLayout(XuiLayout::FromCode(L"ltwh", numbers, 4));
            text->SetText(L"正在安装 Quorvia 组件…");
            root->AddChild(text);
        }
        root->LayoutChildren();
        FlushInstructionCache(GetCurrentProcess(), nullptr, 0);

        Report("Update 726x526, 22 widgets", 50, [&] { dialog->Update(); });
        XuiBitmapDC bitmap;
        Report("PaintFrame only (no push)", 50, [&] {
            bitmap.Create(726, 526);
            dialog->PaintFrame(bitmap);
        });
        // The same frame without the texts, and with only the texts, to show where the time goes.
        for (XuiWidget* text : texts) text->SetVisible(false);
        Report("PaintFrame without texts", 50, [&] {
            bitmap.Create(726, 526);
            dialog->PaintFrame(bitmap);
        });
        for (XuiWidget* text : texts) text->SetVisible(true);
        panel->SetVisible(false);
        picture->SetVisible(false);
        Report("PaintFrame texts only", 50, [&] {
            bitmap.Create(726, 526);
            dialog->PaintFrame(bitmap);
        });
        XuiTextStyle style;
        const XuiInnerSharedFontStyle font = XuiInnerSharedManager::GetFontStyle(style);
        Report("MeasureStyledText", 1000,
               [&] { XuiInnerSharedManager::MeasureStyledText(L"安装完成后立即启动 Quorvia", font); });
        dialog->DestroyXuiDialog(0);
    }
    XuiShutdown();
    return 0;
}
