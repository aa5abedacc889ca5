// Extraction benchmark: unpacks any 7z archive into an empty folder exactly as the install job does (the plug-in
// written out of this program's resources and loaded, the same streams and callbacks) and prints the elapsed time,
// the unpacked throughput and the peak working set.
//   extract_bench.exe ARCHIVE TARGET_FOLDER
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "PayloadExtraction.h"
#include "SystemOperations.h"

namespace {

class Totals : public IArchiveExtractDelegate {
public:
    void SetTotal(uint64_t total) override { mTotal = total; }
    void SetCompleted(uint64_t completed) override { mCompleted = completed; }
    uint64_t mTotal = 0;
    uint64_t mCompleted = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        fwprintf(stderr, L"usage: extract_bench ARCHIVE TARGET_FOLDER\n");
        return 2;
    }
    const ryn::RynString archive = argv[1];
    const ryn::RynString target = argv[2];
    if (!FindFirstFileBelow(target, ryn::RynString()).IsEmpty()) {
        fwprintf(stderr, L"extract_bench: %ls is not empty\n", target.c_str());
        return 2;
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const ryn::RynString pluginPath = CombinePath(temp, L"7zxr.bench.dll");
    LockedFile lock;
    HRESULT error = S_OK;
    const ResourceBytes plugin = FindResourceBytes(GetModuleHandleW(nullptr), L"DLLFILE", 129);
    if (!plugin || WriteOutLocked(pluginPath, plugin, lock, &error) != WriteOutResult::kOk) {
        fwprintf(stderr, L"extract_bench: cannot write the plug-in (%08lX)\n", error);
        return 1;
    }
    HMODULE module = LoadLibraryW(pluginPath.c_str());
    lock.Release();
    if (module == nullptr) {
        fwprintf(stderr, L"extract_bench: cannot load the plug-in (%lu)\n", GetLastError());
        return 1;
    }

    Totals totals;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const ExtractOutcome outcome = ExtractArchive(module, pluginPath, archive, target, &totals);
    QueryPerformanceCounter(&end);
    FreeLibrary(module);
    DeleteFileW(pluginPath.c_str());

    if (outcome.stage != ExtractOutcome::kDone || outcome.errorCount != 0) {
        fwprintf(stderr, L"extract_bench: extraction failed at stage %d (%08lX), %I64u damaged items\n",
                 static_cast<int>(outcome.stage), outcome.result, outcome.errorCount);
        return 1;
    }
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    const double megabytes = totals.mCompleted / (1024.0 * 1024.0);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    wprintf(L"items:            %u\n", static_cast<unsigned>(outcome.paths.size()));
    wprintf(L"unpacked:         %.2f MiB\n", megabytes);
    wprintf(L"elapsed:          %.3f s\n", seconds);
    wprintf(L"throughput:       %.2f MiB/s\n", seconds > 0 ? megabytes / seconds : 0.0);
    wprintf(L"peak working set: %.2f MiB\n", memory.PeakWorkingSetSize / (1024.0 * 1024.0));
    return 0;
}
