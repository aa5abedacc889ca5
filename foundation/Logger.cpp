#include "Logger.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdarg>
#include <memory>

namespace ryn {

namespace {

constexpr UINT kLogRecordMessage = WM_USER + 1;
constexpr DWORD kRotateBytes = 10000000;

struct LogRecord {
    RynString message;
    SYSTEMTIME time;
    RynString levelText;
    RynString function;
    int line;
    DWORD threadId;
};

struct StartRecord {
    RynString prefix;
    RynString folder;
    HANDLE startEvent;
};

// Written by the starting thread (handle) and the writer (id, before it signals the start); read by every logger.
HANDLE gWriterThread = nullptr;
volatile DWORD gWriterThreadId = 0;

const wchar_t* LevelText(int level) {
    switch (level) {
        case 1:
            return L"Info";
        case 2:
            return L"Warn";
        case 3:
            return L"Error";
        default:
            return L"";
    }
}

// " [ function @ line ]"; the file leaves it out for an empty function name, the debugger line never does.
RynString Location(const RynString& function, int line, bool alwaysShown) {
    RynString location;
    if (function.IsEmpty() && !alwaysShown) return location;
    location.Format(L" [ %s", function.c_str());
    if (line != 0) location.AppendFormat(L" @ %d", line);
    location.Append(L" ]", 2);
    return location;
}

// Owns the log file; lives on the writer thread only.
class LogWriterState {
public:
    LogWriterState(const RynString& prefix, const RynString& folder) : mPrefix(prefix), mFolder(folder) {
        GetLocalTime(&mStart);
        Open();
    }
    ~LogWriterState() { Close(); }

    void Write(const LogRecord& record) {
        if (mFile == INVALID_HANDLE_VALUE) return;
        LONG high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = SetFilePointer(mFile, 0, &high, FILE_CURRENT);
        const bool positionKnown = !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
        if (positionKnown && (high != 0 || low > kRotateBytes)) {
            Close();
            ++mIndex;
            if (!Open()) return;
        }
        const SYSTEMTIME& t = record.time;
        const RynString stamp = FormatString(L"%02d-%02d %02d:%02d:%02d.%03d", t.wMonth, t.wDay, t.wHour, t.wMinute,
                                             t.wSecond, t.wMilliseconds);
        const RynString location = Location(record.function, record.line, false);
        const RynString text =
            FormatString(L"<- %s %s ( %d ) ->%s\r\n%s\r\n\r\n", stamp.c_str(), record.levelText.c_str(),
                         static_cast<int>(record.threadId), location.c_str(), record.message.c_str());
        const char* utf8 = text.ToUtf8();
        DWORD written = 0;
        // A failed write loses this record only; the next one is tried.
        WriteFile(mFile, utf8, static_cast<DWORD>(strlen(utf8)), &written, nullptr);
    }

    void Flush() {
        if (mFile != INVALID_HANDLE_VALUE) FlushFileBuffers(mFile);
    }

private:
    bool Open() {
        const RynString name = FormatString(L"%s-%04d%02d%02d-%02d%02d%02d-%d-%d.txt", mPrefix.c_str(), mStart.wYear,
                                            mStart.wMonth, mStart.wDay, mStart.wHour, mStart.wMinute, mStart.wSecond,
                                            static_cast<int>(GetCurrentProcessId()), mIndex);
        wchar_t path[MAX_PATH] = {};
        if (PathCombineW(path, mFolder.c_str(), name.c_str()) != nullptr) {
            mFile = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (mFile == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            // No file: the writer goes on taking messages and drops the records.
            OutputDebugStringW(
                FormatString(L"[LOG] can't create log file: %s, err code ( %d )\r\n", path, static_cast<int>(err))
                    .c_str());
            return false;
        }
        static const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
        DWORD written = 0;
        WriteFile(mFile, kBom, sizeof kBom, &written, nullptr);
        return true;
    }

    void Close() {
        if (mFile == INVALID_HANDLE_VALUE) return;
        FlushFileBuffers(mFile);
        CloseHandle(mFile);
        mFile = INVALID_HANDLE_VALUE;
    }

    RynString mPrefix;
    RynString mFolder;
    SYSTEMTIME mStart;
    int mIndex = 0;
    HANDLE mFile = INVALID_HANDLE_VALUE;
};

DWORD WINAPI LogWriterMain(void* parameter) {
    gWriterThreadId = GetCurrentThreadId();
    std::unique_ptr<StartRecord> start(static_cast<StartRecord*>(parameter));
    LogWriterState state(start->prefix, start->folder);

    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists before the start is signalled
    SetEvent(start->startEvent);
    CloseHandle(start->startEvent);
    start.reset();

    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kLogRecordMessage) continue;
        std::unique_ptr<LogRecord> record(reinterpret_cast<LogRecord*>(msg.wParam));
        if (record) state.Write(*record);
        record.reset();
        if (HANDLE flushed = reinterpret_cast<HANDLE>(msg.lParam)) {
            state.Flush();
            SetEvent(flushed);
            CloseHandle(flushed);
        }
    }
    return 0;
}

}  // namespace

Logger::Logger(int level, const char* function, int line) : mLevel(level), mFunction(function, true), mLine(line) {}

Logger::~Logger() {
    if (mMessage.IsEmpty()) return;
    if (mLevel != 0) {
        Send(false);
        return;
    }
    const RynString location = Location(mFunction, mLine, true);
    OutputDebugStringW(FormatString(L"%s:%s\r\n", location.c_str(), mMessage.c_str()).c_str());
}

Logger& Logger::Append(const wchar_t* text) {
    if (text != nullptr) mMessage.Append(text, static_cast<int>(wcslen(text)));
    return *this;
}

Logger& Logger::AppendUtf8(const char* text) {
    mMessage.AppendUtf8(text);
    return *this;
}

Logger& Logger::AppendFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    mMessage.AppendFormatV(format, args);
    va_end(args);
    return *this;
}

void Logger::Flush() {
    if (mLevel == 0 || mMessage.IsEmpty()) return;
    Send(true);
}

void Logger::Send(bool flush) {
    std::unique_ptr<LogRecord> record(
        new LogRecord{mMessage, {}, LevelText(mLevel), mFunction, mLine, GetCurrentThreadId()});
    GetLocalTime(&record->time);
    mMessage = L"";
    HANDLE flushed = flush ? CreateEventW(nullptr, FALSE, FALSE, nullptr) : nullptr;
    const DWORD writer = gWriterThreadId;
    // The sender never waits: without a writer, or with its queue full, the record is dropped.
    if (writer != 0 && PostThreadMessageW(writer, kLogRecordMessage, reinterpret_cast<WPARAM>(record.get()),
                                          reinterpret_cast<LPARAM>(flushed))) {
        record.release();
    } else if (flushed != nullptr) {
        CloseHandle(flushed);
    }
}

void StartLogWriter(const wchar_t* prefix, const wchar_t* folder) {
    if (gWriterThread != nullptr) return;
    HANDLE started = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (started == nullptr) {
        OutputDebugStringW(L"[LOG] can't create the start event of the log writer\r\n");
        return;
    }
    HANDLE waitFor = nullptr;
    // The writer closes its copy of the event; keep our own to wait on.
    if (!DuplicateHandle(GetCurrentProcess(), started, GetCurrentProcess(), &waitFor, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        CloseHandle(started);
        OutputDebugStringW(L"[LOG] can't duplicate the start event of the log writer\r\n");
        return;
    }
    auto* start = new StartRecord{RynString(prefix), RynString(folder), started};
    DWORD threadId = 0;
    gWriterThread = CreateThread(nullptr, 0, LogWriterMain, start, 0, &threadId);
    if (gWriterThread == nullptr) {
        OutputDebugStringW(
            FormatString(L"[LOG] can't start the log writer, err code ( %d )\r\n", static_cast<int>(GetLastError()))
                .c_str());
        CloseHandle(started);
        delete start;
    } else {
        WaitForSingleObject(waitFor, INFINITE);
    }
    CloseHandle(waitFor);
}

DWORD LogWriterThreadId() { return gWriterThreadId; }

void StopLogWriter() {
    if (gWriterThread == nullptr || gWriterThreadId == 0) return;
    PostThreadMessageW(gWriterThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(gWriterThread, INFINITE);
    CloseHandle(gWriterThread);
    gWriterThread = nullptr;
    gWriterThreadId = 0;
}

}  // namespace ryn
