// Owner of one open registry key handle; closes it when replaced or destroyed. One thread at a time.
#pragma once

#include <windows.h>

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : mKey(key) {}
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens path below parent; an earlier key held here is closed first. Returns the registry error code.
    LONG Open(HKEY parent, const wchar_t* path, REGSAM access) {
        Close();
        return RegOpenKeyExW(parent, path, 0, access, &mKey);
    }
    void Reset(HKEY key) {
        Close();
        mKey = key;
    }
    void Close() {
        if (mKey != nullptr) RegCloseKey(mKey);
        mKey = nullptr;
    }
    HKEY Get() const { return mKey; }
    explicit operator bool() const { return mKey != nullptr; }

private:
    HKEY mKey = nullptr;
};
