// One log call: built on the caller's stack, filled with text, handed to the log writer thread when it ends.
// Any thread; the logger owns only its message. Level 0 goes to the debugger output only; 1 "Info", 2 "Warn",
// 3 "Error" go to the writer's file.
#pragma once

#include <windows.h>

#include "RynString.h"

namespace ryn {

class Logger {
public:
    // function is the logging function's name in the ANSI code page, e.g. "SetupRunnable::OnRunning"; line 0 = none.
    Logger(int level, const char* function, int line);
    virtual ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    RynString& Message() { return mMessage; }
    Logger& Append(const wchar_t* text);
    Logger& AppendUtf8(const char* text);
    Logger& AppendFormat(const wchar_t* format, ...);

    // Sends the record now and has the writer flush the file; the destructor then sends nothing. No-op at level 0.
    void Flush();

private:
    void Send(bool flush);

    int mLevel;
    RynString mMessage;
    RynString mFunction;
    int mLine;
};

// Starts the writer thread for files "<prefix>-<start time>-<pid>-<index>.txt" in folder; returns once records can
// be posted. Called by the program's start-up thread before its other threads.
void StartLogWriter(const wchar_t* prefix, const wchar_t* folder);
// Asks the writer to finish what is queued, waits for it to end. The very last step before the process ends.
void StopLogWriter();
// The writer thread's id, 0 while no writer runs.
DWORD LogWriterThreadId();

}  // namespace ryn

// RYN_LOG(level, "Class::Function").AppendFormat(L"...", ...); the temporary sends the record at the end of the line.
#define RYN_LOG(level, function) ::ryn::Logger((level), (function), __LINE__)
