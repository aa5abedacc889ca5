#include "XuiToolkit.h"

#include <commctrl.h>

#include <map>
#include <vector>

#include "Logger.h"
#include "RynException.h"
#include "XuiDefaultWidgetCreator.h"
#include "XuiDialog.h"
#include "XuiGdiplus.h"
#include "XuiInnerSharedManager.h"
#include "XuiWidget.h"
#include "XuiWidgetCreator.h"

namespace {

constexpr wchar_t kDialogClass[] = L"XuiDialog";

struct ToolkitState {
    HMODULE module = nullptr;
    ULONG_PTR gdiplusToken = 0;
    bool classRegistered = false;
    std::map<XuiDialog*, bool> dialogs;  // ordered set of live dialogs
    std::vector<XuiDialog*> deadDialogs;
    std::vector<XuiWidget*> deadWidgets;
};

ToolkitState& Toolkit() {
    static ToolkitState state;
    return state;
}

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (XuiDialog* dialog = XuiFindDialog(window)) return dialog->OnWindowProc(message, wParam, lParam);
    // Messages sent while CreateWindowExW runs belong to no dialog yet.
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HMODULE XuiModuleHandle() { return Toolkit().module; }

bool XuiInitialize(HMODULE module) {
    ToolkitState& state = Toolkit();
    state.module = module;

    Gdiplus::GdiplusStartupInput input;
    const GpStatus status = Gdiplus::GdiplusStartup(&state.gdiplusToken, &input, nullptr);
    if (status != Gdiplus::Ok) {
        RYN_LOG(3, "XuiInitialize").AppendFormat(L"GdiplusStartup Error: %d", static_cast<int>(status));
        state.module = nullptr;
        return false;
    }

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = DialogWindowProc;
    windowClass.hInstance = module;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kDialogClass;
    if (RegisterClassExW(&windowClass) == 0) {
        RYN_LOG(3, "XuiInitialize").AppendFormat(L"RegisterClassExW Error: %X", ryn::HResultFromLastError());
        Gdiplus::GdiplusShutdown(state.gdiplusToken);
        state.module = nullptr;
        return false;
    }
    state.classRegistered = true;

    XuiWidgetCreator::AppendScriptCreator(XuiDefaultWidgetCreator::Instance());
    XuiWidgetCreator::AppendDocumentCreator(XuiDefaultWidgetCreator::Instance());
    XuiInnerSharedManager::EnumerateInstalledFonts();

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
    if (!InitCommonControlsEx(&controls)) {
        RYN_LOG(2, "XuiInitialize").Append(L"InitCommonControlsEx failed");
    }
    return true;
}

void XuiRunDeferredDeletions() {
    ToolkitState& state = Toolkit();
    // A destructor may queue more (a dialog's root hands its children over): take the lists first, loop until
    // both are empty, dialogs before widgets each round.
    while (!state.deadDialogs.empty() || !state.deadWidgets.empty()) {
        std::vector<XuiDialog*> dialogs;
        dialogs.swap(state.deadDialogs);
        for (XuiDialog* dialog : dialogs) delete dialog;
        std::vector<XuiWidget*> widgets;
        widgets.swap(state.deadWidgets);
        for (XuiWidget* widget : widgets) delete widget;
    }
}

void XuiRunMessageLoop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) {
            RYN_LOG(3, "XuiRunMessageLoop").AppendFormat(L"GetMessageW Error: %X", ryn::HResultFromLastError());
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (Toolkit().module != nullptr) XuiRunDeferredDeletions();
    }
}

void XuiShutdown() {
    ToolkitState& state = Toolkit();
    XuiRunDeferredDeletions();
    const HMODULE module = state.module;
    state.module = nullptr;
    XuiInnerSharedManager::ReleaseAll();
    if (state.gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(state.gdiplusToken);
        state.gdiplusToken = 0;
    }
    if (state.classRegistered) {
        if (!UnregisterClassW(kDialogClass, module)) {
            RYN_LOG(2, "XuiShutdown").AppendFormat(L"UnregisterClassW Error: %X", ryn::HResultFromLastError());
        }
        state.classRegistered = false;
    }
    XuiWidgetCreator::ClearRegistries();
}

void XuiQueueDialogDeletion(XuiDialog* dialog) {
    if (dialog != nullptr) Toolkit().deadDialogs.push_back(dialog);
}

void XuiQueueWidgetDeletion(XuiWidget* widget) {
    if (widget != nullptr) Toolkit().deadWidgets.push_back(widget);
}

void XuiRegisterDialog(XuiDialog* dialog) { Toolkit().dialogs[dialog] = true; }

void XuiUnregisterDialog(XuiDialog* dialog) { Toolkit().dialogs.erase(dialog); }

XuiDialog* XuiFindDialog(HWND window) {
    for (const auto& entry : Toolkit().dialogs) {
        if (entry.first->Window() == window) return entry.first;
    }
    return nullptr;
}
