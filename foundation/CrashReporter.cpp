#include "CrashReporter.h"

#include <windows.h>
#include <dbghelp.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cstdarg>
#include <cwchar>

namespace ryn {

namespace {

wchar_t gDumpFolder[MAX_PATH];
wchar_t gPrefix[16];

constexpr size_t kReportBytes = 16000;
constexpr size_t kReportChars = kReportBytes / sizeof(wchar_t);
constexpr int kMaxFrames = 20;

// Bounded wide text on the heap: the report never grows past its limit, whatever it is fed.
class ReportText {
public:
    ReportText() : mText(static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kReportBytes))) {}
    ~ReportText() {
        if (mText != nullptr) HeapFree(GetProcessHeap(), 0, mText);
    }
    ReportText(const ReportText&) = delete;
    ReportText& operator=(const ReportText&) = delete;

    void Add(const wchar_t* format, ...) {
        if (mText == nullptr || mLength + 1 >= kReportChars) return;
        va_list args;
        va_start(args, format);
        const size_t room = kReportChars - mLength - 1;
        const int written = _vsnwprintf(mText + mLength, room, format, args);
        va_end(args);
        mLength = written < 0 ? kReportChars - 1 : mLength + static_cast<size_t>(written);
        mText[mLength] = L'\0';
    }
    // The first piece starts with a line break that the file does not keep.
    const wchar_t* Text() const {
        if (mText == nullptr) return L"";
        return (mText[0] == L'\r' && mText[1] == L'\n') ? mText + 2 : mText;
    }

private:
    wchar_t* mText;
    size_t mLength = 0;
};

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
using MiniDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                 PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

struct ModuleWalker {
    SnapshotFn snapshot = nullptr;
    ModuleWalkFn first = nullptr;
    ModuleWalkFn next = nullptr;

    ModuleWalker() {
        HMODULE kernel = GetModuleHandleW(L"KERNEL32");
        if (kernel == nullptr) return;
        snapshot = reinterpret_cast<SnapshotFn>(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
        first = reinterpret_cast<ModuleWalkFn>(GetProcAddress(kernel, "Module32FirstW"));
        next = reinterpret_cast<ModuleWalkFn>(GetProcAddress(kernel, "Module32NextW"));
    }

    // Path and base of the module holding address; false when none does.
    bool Find(DWORD address, wchar_t (&path)[MAX_PATH], DWORD* base) const {
        path[0] = L'\0';
        if (snapshot == nullptr || first == nullptr || next == nullptr) return false;
        HANDLE modules = snapshot(TH32CS_SNAPMODULE, 0);
        if (modules == INVALID_HANDLE_VALUE) return false;
        MODULEENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        bool found = false;
        for (BOOL more = first(modules, &entry); more; more = next(modules, &entry)) {
            const DWORD moduleBase = reinterpret_cast<DWORD>(entry.modBaseAddr);
            if (address - moduleBase < entry.modBaseSize) {
                lstrcpynW(path, entry.szExePath, MAX_PATH);
                *base = moduleBase;
                found = path[0] != L'\0';
                break;
            }
        }
        CloseHandle(modules);
        return found;
    }
};

void AddSystem(ReportText& report) {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
        ZeroMemory(&version, sizeof version);
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    }
    DWORD build = version.dwBuildNumber;
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) build &= 0xFFFF;
    report.Add(L"\r\nWindows:  %d.%d.%d, SP %d.%d, Product Type %d", version.dwMajorVersion, version.dwMinorVersion,
               build, version.wServicePackMajor, version.wServicePackMinor, version.wProductType);
}

void AddModuleDate(ReportText& report, const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    FILETIME written = {};
    FILETIME local = {};
    SYSTEMTIME date = {};
    if (GetFileTime(file, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local) &&
        FileTimeToSystemTime(&local, &date)) {
        report.Add(L"\r\nDate Modified:  %02d/%02d/%d", date.wMonth, date.wDay, date.wYear);
    }
    CloseHandle(file);
}

void AddStack(ReportText& report, const ModuleWalker& modules, const CONTEXT& context, DWORD exceptionAddress) {
    report.Add(L"\r\nCall Stack:");
    // Frame layout of the frame-pointer chain: saved EBP, return address, then the caller's argument words.
    DWORD first[2] = {context.Ebp, exceptionAddress};
    const DWORD* frame = first;
    wchar_t previousModule[MAX_PATH] = L"";
    for (int i = 0; i < kMaxFrames; ++i) {
        if (IsBadReadPtr(frame, 2 * sizeof(DWORD))) break;
        const DWORD returnAddress = frame[1];
        if (IsBadCodePtr(reinterpret_cast<FARPROC>(returnAddress))) break;
        wchar_t module[MAX_PATH];
        DWORD base = 0;
        if (modules.Find(returnAddress, module, &base)) {
            if (lstrcmpiW(module, previousModule) != 0) {
                report.Add(L"\r\n%08X  %s", base, module);
                lstrcpynW(previousModule, module, MAX_PATH);
            }
            report.Add(L"\r\n  +%08X", returnAddress - base);
            if (i == 0) {
                report.Add(L"  Exception Offset");
            } else if (!IsBadReadPtr(frame + 2, 5 * sizeof(DWORD))) {
                report.Add(L"  (%X, %X, %X, %X, %X)", frame[2], frame[3], frame[4], frame[5], frame[6]);
            }
        } else {
            report.Add(L"\r\n%08X", returnAddress);
        }
        frame = reinterpret_cast<const DWORD*>(frame[0]);
    }
}

void BuildReport(ReportText& report, EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& exception = *pointers->ExceptionRecord;
    const CONTEXT& context = *pointers->ContextRecord;
    const DWORD address = reinterpret_cast<DWORD>(exception.ExceptionAddress);
    const ModuleWalker modules;

    AddSystem(report);
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    report.Add(L"\r\nProcess:  %s", program);

    wchar_t module[MAX_PATH];
    DWORD base = 0;
    if (modules.Find(address, module, &base)) {
        report.Add(L"\r\nModule:  %s", module);
        AddModuleDate(report, module);
    } else {
        report.Add(L"\r\nException Addr:  %08X", address);
    }
    report.Add(L"\r\nException Code:  %08X", exception.ExceptionCode);
    if (exception.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && exception.NumberParameters >= 2) {
        report.Add(L"\r\n%s Address:  %08X", exception.ExceptionInformation[0] != 0 ? L"Write" : L"Read",
                   static_cast<DWORD>(exception.ExceptionInformation[1]));
    }
    report.Add(L"\r\nInstruction: ");
    const auto* code = static_cast<const BYTE*>(exception.ExceptionAddress);
    const bool readable = !IsBadReadPtr(code, 16);
    for (int i = 0; i < 16; ++i) {
        // An address that cannot be read (a jump to nowhere) shows question marks instead of bytes.
        if (readable) {
            report.Add(L" %02X", code[i]);
        } else {
            report.Add(L" ??");
        }
    }
    report.Add(L"\r\nRegisters:EAX: %08X  EBX: %08X  ECX: %08X  EDX: %08X", context.Eax, context.Ebx, context.Ecx,
               context.Edx);
    report.Add(L"\r\nESI: %08X  EDI: %08X  ESP: %08X  EBP: %08X", context.Esi, context.Edi, context.Esp, context.Ebp);
    report.Add(L"\r\nEIP: %08X  EFlags: %08X", context.Eip, context.EFlags);
    AddStack(report, modules, context, address);
}

HANDLE CreateReportFile(const wchar_t* path) {
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteText(const wchar_t* path, const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return;
    char* narrow = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(bytes)));
    if (narrow == nullptr) return;
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, bytes, nullptr, nullptr);
    HANDLE file = CreateReportFile(path);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, narrow, static_cast<DWORD>(bytes - 1), &written, nullptr);
        CloseHandle(file);
    }
    HeapFree(GetProcessHeap(), 0, narrow);
}

void WriteMiniDump(const wchar_t* path, EXCEPTION_POINTERS* pointers) {
    HMODULE dbghelp = LoadLibraryW(L"DBGHELP.DLL");
    if (dbghelp == nullptr) return;
    const auto writeDump = reinterpret_cast<MiniDumpFn>(GetProcAddress(dbghelp, "MiniDumpWriteDump"));
    if (writeDump != nullptr) {
        HANDLE file = CreateReportFile(path);
        if (file != INVALID_HANDLE_VALUE) {
            MINIDUMP_EXCEPTION_INFORMATION info = {GetCurrentThreadId(), pointers, FALSE};
            writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &info, nullptr, nullptr);
            CloseHandle(file);
        }
    }
    FreeLibrary(dbghelp);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t name[64];
    _snwprintf(name, 64, L"%s-%04d%02d%02d-%02d%02d%02d", gPrefix, now.wYear, now.wMonth, now.wDay, now.wHour,
               now.wMinute, now.wSecond);
    name[63] = L'\0';
    wchar_t base[MAX_PATH];
    if (PathCombineW(base, gDumpFolder, name) == nullptr) return EXCEPTION_EXECUTE_HANDLER;
    if (!PathFileExistsW(gDumpFolder)) CreateDirectoryW(gDumpFolder, nullptr);

    wchar_t path[MAX_PATH + 8];
    {
        ReportText report;
        BuildReport(report, pointers);
        _snwprintf(path, MAX_PATH + 8, L"%s.txt", base);
        WriteText(path, report.Text());
    }
    _snwprintf(path, MAX_PATH + 8, L"%s.dmp", base);
    WriteMiniDump(path, pointers);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallCrashHandler(const wchar_t* dumpFolder, const wchar_t* prefix) {
    CreateDirectoryW(dumpFolder, nullptr);  // an existing folder is fine
    lstrcpynW(gDumpFolder, dumpFolder, MAX_PATH);
    lstrcpynW(gPrefix, prefix, 16);
    SetUnhandledExceptionFilter(CrashFilter);
}

}  // namespace ryn
