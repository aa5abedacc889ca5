// File helpers for tests that build throw-away install folders: long paths, whole-file reads and writes, copies.
//
// Any thread; no state. Paths are ordinary absolute Windows paths; the helpers add the \\?\ form themselves, so that
// folders deeper than MAX_PATH (which the launcher tests need) can be made, filled, read and removed.
#pragma once

#include <string>

namespace testkit {

// "/work/main/build/x.exe" (a path the build knows) as Wine sees it: "Z:\work\main\build\x.exe".
std::wstring FromBuildPath(const char* unixPath);
// The \\?\ form of an absolute drive path; other paths are returned as they are.
std::wstring LongPath(const std::wstring& path);

bool MakeFolders(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool ReadBytes(const std::wstring& path, std::string* bytes);
bool Exists(const std::wstring& path);
bool CopyInto(const std::wstring& source, const std::wstring& target);
bool RemoveFile(const std::wstring& path);
// Removes a folder with everything in it; true when it is gone.
bool RemoveTree(const std::wstring& path);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

} // namespace testkit
