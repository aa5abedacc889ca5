// qvdriver.exe: the window driver as a command, for scripts and for tests that would rather run a program than
// link the library. Every command finds one top-level window first, waiting for it.
//
//   qvdriver wait  --title T [--pid N] [--class C] [--timeout MS]      prints the window handle (0x%08lX)
//   qvdriver text  --title T [...]                                       prints the message box text (UTF-8)
//   qvdriver press --title T [...] (--id N | --button TEXT)              presses a button in that window
//   qvdriver close --title T [...]                                       posts WM_CLOSE
//
// Exit code 0 on success, 1 when the window or button was not found, 2 for a bad command line.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>

#include "TestSupport.h"
#include "WinDriver.h"

namespace {

int Usage() {
    fputs(
        "usage: qvdriver wait|text|press|close --title T [--pid N] [--class C] [--timeout MS] "
        "[--id N | --button TEXT]\n",
        stderr);
    return 2;
}

void Print(const std::wstring& text) {
    const std::string utf8 = qvtest::Narrow(text) + "\n";
    fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The text is UTF-8 bytes with line feeds; a text-mode stdout would add carriage returns.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    windriver::WindowQuery query;
    DWORD timeout = windriver::kDefaultTimeoutMs;
    int id = -1;
    std::wstring buttonText;
    bool haveTitle = false;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        const wchar_t* value = argv[i + 1];
        if (option == L"--title") {
            query.title = value;
            haveTitle = true;
        } else if (option == L"--pid") {
            query.processId = wcstoul(value, nullptr, 10);
        } else if (option == L"--class") {
            query.className = value;
        } else if (option == L"--timeout") {
            timeout = wcstoul(value, nullptr, 10);
        } else if (option == L"--id") {
            id = static_cast<int>(wcstol(value, nullptr, 10));
        } else if (option == L"--button") {
            buttonText = value;
        } else {
            return Usage();
        }
    }
    if (!haveTitle || (argc % 2) != 0) return Usage();
    if (command != L"wait" && command != L"text" && command != L"press" && command != L"close") return Usage();
    if (command == L"press" && id < 0 && buttonText.empty()) return Usage();

    HWND window = windriver::WaitForTopWindow(query, timeout);
    if (!window) {
        fputs("qvdriver: no such window\n", stderr);
        return 1;
    }
    if (command == L"wait") {
        printf("0x%08lX\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
        return 0;
    }
    if (command == L"text") {
        Print(windriver::MessageBoxText(window));
        return 0;
    }
    if (command == L"press") {
        const bool pressed =
            id >= 0 ? windriver::PressButtonById(window, id) : windriver::PressButtonByText(window, buttonText);
        if (!pressed) {
            fputs("qvdriver: no such button\n", stderr);
            return 1;
        }
        return 0;
    }
    return windriver::CloseWindow(window) ? 0 : 1;
}
