// Quorvia.exe: starts the client runtime lib\Quorvia.dll on the current application package.
//
// Runs on its one thread and ends as soon as the runtime has been started. It links nothing of the suite's own and
// works with narrow strings in the ANSI code page, because the runtime receives its package path on an ANSI command
// line. All paths live in fixed buffers; anything that would not fit is refused with the invalid-version message
// instead of being cut short, because a shortened path could name a different file.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

// Sizes of the launcher's buffers: every path, and the command line handed to WinExec.
constexpr int kPathBytes = 255;
constexpr int kCommandBytes = 512;
// The version file names the package; only its first bytes count.
constexpr int kVersionBytes = 50;

const char kRuntimeName[] = "Quorvia.dll";
const char kDefaultPackageName[] = "app.nw";
const char kVersionFileName[] = "app.version";

// Formats into a fixed buffer; false when the result (with its terminator) would not fit or formatting failed.
template <int N>
bool FormatInto(char (&buffer)[N], const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = _vsnprintf(buffer, N, format, args);
    va_end(args);
    if (written < 0 || written >= N) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

// Owns a search handle from FindFirstFileA.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : mHandle(handle) {}
    ~FindHandle() {
        if (mHandle != INVALID_HANDLE_VALUE && !FindClose(mHandle)) OutputDebugStringA("Quorvia: FindClose failed\n");
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return mHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE mHandle;
};

// Owns a C stream.
class File {
public:
    explicit File(FILE* file) : mFile(file) {}
    ~File() {
        if (mFile && fclose(mFile) != 0) OutputDebugStringA("Quorvia: closing the version file failed\n");
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    FILE* Get() const { return mFile; }

private:
    FILE* mFile;
};

// True when a file of this exact name exists. Wildcards are refused first: FindFirstFileA would let "app-*.nw"
// match some other package, and the runtime would then be handed a name that is no file at all.
bool FileExists(const char* path) {
    if (strpbrk(path, "*?")) return false;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path, &data));
    return find.Valid();
}

void ShowInvalidVersion() {
    if (!MessageBoxW(nullptr, L"无效的程序版本", L"Oplanda", MB_OK))
        OutputDebugStringA("Quorvia: MessageBoxW failed\n");
}

// Works out the package to run and the command line; false when a file is missing or a path does not fit.
bool BuildCommandLine(char (&commandLine)[kCommandBytes]) {
    // The own path decides where everything is, so that shortcuts, the log-on entry and the updater, whatever
    // current directory they give, all find the same lib folder and the same version file.
    char modulePath[kPathBytes];
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, kPathBytes);
    if (length == 0 || length >= static_cast<DWORD>(kPathBytes)) {
        // A result that fills the buffer was cut short (Windows XP does not even terminate it).
        OutputDebugStringA("Quorvia: GetModuleFileNameA failed or the own path is too long\n");
        return false;
    }
    const char* lastSlash = strrchr(modulePath, '\\');
    if (!lastSlash) return false;
    const int folderLength = static_cast<int>(lastSlash - modulePath);

    char runtimePath[kPathBytes];
    char packagePath[kPathBytes];
    char versionPath[kPathBytes];
    if (!FormatInto(runtimePath, "%.*s\\lib\\%.*s", folderLength, modulePath, static_cast<int>(sizeof kRuntimeName - 1),
                    kRuntimeName) ||
        !FormatInto(packagePath, "%.*s\\lib\\%.*s", folderLength, modulePath,
                    static_cast<int>(sizeof kDefaultPackageName - 1), kDefaultPackageName) ||
        !FormatInto(versionPath, "%.*s\\lib\\%.*s", folderLength, modulePath,
                    static_cast<int>(sizeof kVersionFileName - 1), kVersionFileName))
        return false;

    // The version is taken exactly as read, up to its first 50 bytes: the updater writes it without a line break,
    // and any other text simply names a package that does not exist.
    File versionFile(fopen(versionPath, "r"));
    if (versionFile.Get()) {
        char version[kVersionBytes];
        const size_t read = fread(version, 1, sizeof version, versionFile.Get());
        if (read > 0 && !FormatInto(packagePath, "%.*s\\lib\\app-%.*s.nw", folderLength, modulePath,
                                    static_cast<int>(read), version))
            return false;
    }

    if (!FileExists(runtimePath) || !FileExists(packagePath)) return false;

    // Both paths are quoted: an install folder such as "C:\Program Files" would otherwise be split at its space.
    return FormatInto(commandLine, "\"%s\" \"%s\"", runtimePath, packagePath);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    char commandLine[kCommandBytes];
    if (!BuildCommandLine(commandLine)) {
        ShowInvalidVersion();
        return 0;
    }
    // A runtime that does not start is not reported to the user: the launcher has no window to report it in, and the
    // runtime's files were just seen to exist. A debugger still sees why.
    if (WinExec(commandLine, SW_SHOW) <= 31) OutputDebugStringA("Quorvia: WinExec could not start the runtime\n");
    return 0;
}
