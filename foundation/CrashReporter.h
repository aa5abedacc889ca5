// Last-chance handler: when an exception escapes everything, writes "<prefix>-<local time>.txt" (system, process,
// faulting module, exception, registers, call stack) and ".dmp" (a minidump) into the dump folder and lets the
// process end without the system's error dialog. Installed once by the start-up thread; the filter runs on the
// faulting thread, takes no locks and owns nothing but its own buffer.
#pragma once

namespace ryn {

// Creates the folder (an existing one is fine), remembers folder and prefix ("QVI", "QVU"), installs the filter.
void InstallCrashHandler(const wchar_t* dumpFolder, const wchar_t* prefix);

}  // namespace ryn
