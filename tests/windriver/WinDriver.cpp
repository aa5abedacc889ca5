#include "WinDriver.h"

namespace windriver {

namespace {

constexpr DWORD kPollMs = 25;
constexpr UINT kSendTimeoutMs = 10000;

struct EnumState {
    const WindowQuery* query;
    std::vector<HWND>* found;
};

bool Matches(HWND window, const WindowQuery& query) {
    if (query.visibleOnly && !IsWindowVisible(window)) return false;
    if (query.processId && ProcessOf(window) != query.processId) return false;
    if (!query.className.empty() && ClassName(window) != query.className) return false;
    return WindowText(window) == query.title;
}

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM data) {
    auto* state = reinterpret_cast<EnumState*>(data);
    if (Matches(window, *state->query)) state->found->push_back(window);
    return TRUE;
}

struct ChildSearch {
    std::function<bool(HWND)> accept;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (search->accept(window)) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent, const std::function<bool(HWND)>& accept) {
    ChildSearch search{accept, {}};
    // EnumChildWindows reports false also for "none found"; the list says what was found.
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

std::vector<HWND> FindTopWindows(const WindowQuery& query) {
    std::vector<HWND> found;
    EnumState state{&query, &found};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&state));
    return found;
}

HWND FindTopWindow(const WindowQuery& query) {
    const std::vector<HWND> found = FindTopWindows(query);
    return found.empty() ? nullptr : found.front();
}

HWND WaitForTopWindow(const WindowQuery& query, DWORD timeoutMs) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindTopWindow(query)) != nullptr; }, timeoutMs);
    return window;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &copied))
        return std::wstring();
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return length > 0 ? std::wstring(name, static_cast<size_t>(length)) : std::wstring();
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    if (!GetWindowThreadProcessId(window, &process)) return 0;
    return process;
}

HWND FindChildById(HWND parent, int id) {
    const auto found = Children(parent, [id](HWND child) { return GetDlgCtrlID(child) == id; });
    return found.empty() ? nullptr : found.front();
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    const auto found = Children(parent, [&text](HWND child) { return WindowText(child) == text; });
    return found.empty() ? nullptr : found.front();
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child : Children(box, [](HWND child) { return _wcsicmp(ClassName(child).c_str(), L"Static") == 0; })) {
        const std::wstring part = WindowText(child);
        if (part.empty()) continue;
        if (!text.empty()) text += L'\n';
        text += part;
    }
    return text;
}

bool PressButton(HWND button) {
    HWND parent = button ? GetParent(button) : nullptr;
    if (!parent) return false;
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED);
    return PostMessageW(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool PressButtonById(HWND parent, int id) { return PressButton(FindChildById(parent, id)); }

bool PressButtonByText(HWND parent, const std::wstring& text) { return PressButton(FindChildByText(parent, text)); }

bool PressButtonAndWait(HWND button, DWORD timeoutMs) {
    HWND parent = button ? GetParent(button) : nullptr;
    if (!parent) return false;
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(button), SMTO_NORMAL, timeoutMs,
                               &result) != 0;
}

bool CloseWindow(HWND window) { return PostMessageW(window, WM_CLOSE, 0, 0) != FALSE; }

LRESULT SendQuery(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        return fallback;
    return static_cast<LRESULT>(result);
}

}  // namespace windriver
