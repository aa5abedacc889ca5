// Small operating-system services of the installer and the uninstaller: ending processes by name, looking into and
// deleting folder trees, file versions, the folder picker, free space, registry strings, the per-user log-on entry
// and the medium-integrity token. Stateless free functions; they report failure only through their results.
// The install job calls them on the IO thread; the folder picker, free space, FindFirstFileBelow and the token are
// used by the dialog on the UI thread.
#pragma once

#include <windows.h>

#include <vector>

#include "RegistryKey.h"
#include "RynString.h"

// folder joined with part by PathCombineW; empty when the result would not fit MAX_PATH.
ryn::RynString CombinePath(const ryn::RynString& folder, const wchar_t* part);

// Ends every process whose executable name matches (any letter case); false only when the list cannot be read.
bool KillProcessByName(const wchar_t* name);
// Depth first below root\relative: folder and file paths relative to root ("." and ".." left out).
void ListFolderContent(const ryn::RynString& root, const ryn::RynString& relative, std::vector<ryn::RynString>& folders,
                       std::vector<ryn::RynString>& files);
// Relative path of the first file anywhere below folder\relative, or empty when the tree holds no file.
ryn::RynString FindFirstFileBelow(const ryn::RynString& folder, const ryn::RynString& relative);
// Total size of the files below folder in KiB (sub-folders starting with "." are not entered).
DWORD GetFolderSizeKB(const ryn::RynString& folder);
// Silent shell delete of a whole tree; true when the shell reports success.
bool ShellDeleteFolder(const ryn::RynString& path);
// Creates path and its missing parents; true when the folder exists afterwards.
bool CreateFolderChain(const ryn::RynString& path);
// Clears the attributes and deletes; true only when both succeed.
bool ForceDeleteFile(const ryn::RynString& path);
// "a.b.c.d" of the file's product version, or empty without version information.
ryn::RynString GetProductVersionText(const ryn::RynString& path);
// Modal folder picker titled "请选择Oplanda的安装目录"; the chosen folder, or empty on cancel.
ryn::RynString BrowseForInstallFolder(HWND owner, const ryn::RynString& initial);
// Free MiB available to the caller on a drive such as "C:"; 0 when the call fails.
double GetFreeSpaceMB(const wchar_t* drive);
// Reads a REG_SZ / REG_EXPAND_SZ value into buffer (n characters); n becomes the count with the terminator.
LONG ReadRegistryString(HKEY key, const wchar_t* name, wchar_t* buffer, DWORD* n);
// RegCreateKeyEx (KEY_READ | KEY_WRITE) of path below parent into key (an earlier key held there is closed first).
LONG CreateRegistryKey(HKEY parent, const wchar_t* path, RegistryKey& key);

// The per-user log-on entry: HKCU "Software\Microsoft\Windows\CurrentVersion\Run", value "Quorvia".
bool SetRunValue(const ryn::RynString& path);
bool DeleteRunValue();
bool GetRunValue(ryn::RynString& path);

// A primary copy of the own token lowered to medium integrity, or null; the caller closes it.
HANDLE CreateMediumIntegrityToken();
