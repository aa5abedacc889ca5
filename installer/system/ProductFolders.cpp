#include "ProductFolders.h"

namespace {

ryn::RynString Lookup(const KnownFolderAccess& access, REFKNOWNFOLDERID id, int csidl, HRESULT* hr) {
    ryn::RynString folder;
    if (access.useKnownFolders && access.lookup != nullptr) {
        PWSTR path = nullptr;
        const HRESULT result = access.lookup(id, 0, nullptr, &path);
        if (hr != nullptr) *hr = result;
        if (SUCCEEDED(result) && path != nullptr) folder = path;
        CoTaskMemFree(path);
        return folder;
    }
    wchar_t path[MAX_PATH] = L"";
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    if (hr != nullptr) *hr = S_OK;  // the older call's result is not a reason to stop
    if (SUCCEEDED(result)) folder = path;
    return folder;
}

}  // namespace

ryn::RynString GetAllUsersProgramsFolder(const KnownFolderAccess& access) {
    return Lookup(access, FOLDERID_CommonPrograms, CSIDL_COMMON_PROGRAMS, nullptr);
}

ryn::RynString GetAllUsersDesktopFolder(const KnownFolderAccess& access) {
    return Lookup(access, FOLDERID_PublicDesktop, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr);
}

ryn::RynString GetProgramFilesFolder(const KnownFolderAccess& access, HRESULT* hr) {
    return Lookup(access, FOLDERID_ProgramFiles, CSIDL_PROGRAM_FILES, hr);
}
