// Owner of one COM interface reference (the shell's objects, 7-Zip's archive and our own client objects alike):
// released when the owner ends. One thread at a time.
#pragma once

#include <memory>

template <class T>
struct ComReleaser {
    void operator()(T* p) const {
        if (p != nullptr) p->Release();
    }
};

template <class T>
using ComPtr = std::unique_ptr<T, ComReleaser<T>>;

// Takes the first reference of an object made with new (its count starts at 0).
template <class T>
ComPtr<T> Adopt(T* fresh) {
    fresh->AddRef();
    return ComPtr<T>(fresh);
}
