// How extraction progress leaves the extractor: the install job implements it. Called on the extracting thread.
#pragma once

#include <cstdint>

class IArchiveExtractDelegate {
public:
    virtual void SetTotal(uint64_t total) = 0;
    virtual void SetCompleted(uint64_t completed) = 0;

protected:
    ~IArchiveExtractDelegate() = default;
};
