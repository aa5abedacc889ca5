// WinDriver: finds, reads and presses other processes' windows from a test, the way a user would.
//
// Any thread of a test program; it keeps no state. Waiting is always polling against a deadline, never a fixed
// sleep: a window in a fresh Wine prefix may take seconds to appear, and a fast machine should not wait for nothing.
// Presses are posted, so that a press which opens a modal message box does not block the test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace windriver {

// Generous default for anything a program does on its own (start, show a window, end).
constexpr DWORD kDefaultTimeoutMs = 60000;

// Polls condition every few milliseconds until it holds (true) or the time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);

// What a top-level window must match. Empty or zero fields match anything.
struct WindowQuery {
    std::wstring title;      // exact window title
    DWORD processId = 0;     // owning process
    std::wstring className;  // e.g. L"#32770" for dialogs and message boxes
    bool visibleOnly = true;
};

// The first top-level window that matches, or null.
HWND FindTopWindow(const WindowQuery& query);
// All top-level windows that match.
std::vector<HWND> FindTopWindows(const WindowQuery& query);
// Waits until a matching top-level window exists; null when the time is up.
HWND WaitForTopWindow(const WindowQuery& query, DWORD timeoutMs = kDefaultTimeoutMs);

// The window's text, asked for with WM_GETTEXT (which crosses process boundaries); empty on failure.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
DWORD ProcessOf(HWND window);

// A descendant by control id or by exact text; null when there is none.
HWND FindChildById(HWND parent, int id);
HWND FindChildByText(HWND parent, const std::wstring& text);

// The message of a message box: the texts of its static controls, in order, joined by line feeds (the icon's
// static control has no text and is skipped).
std::wstring MessageBoxText(HWND box);

// Presses a button as a click does: posts WM_COMMAND with BN_CLICKED to the button's parent. Works for message box
// buttons (IDOK is 1, IDCANCEL 2) and for buttons in any dialog. False when the button is missing or the post fails.
bool PressButton(HWND button);
bool PressButtonById(HWND parent, int id);
bool PressButtonByText(HWND parent, const std::wstring& text);
// Sends the same WM_COMMAND and returns once the owner has handled it (or after timeoutMs). Only for presses that
// do not open a modal window, since the sender waits for the handler.
bool PressButtonAndWait(HWND button, DWORD timeoutMs = kDefaultTimeoutMs);

// Posts WM_CLOSE.
bool CloseWindow(HWND window);

// A value a control answers to a message, sent with a time limit (e.g. PBM_GETPOS); fallback when it gives none.
LRESULT SendQuery(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback);

}  // namespace windriver
