// The one translation unit that gives 7-Zip's interface ids their storage.
#include "Common/MyInitGuid.h"

#include "SevenZip.h"

const GUID kSevenZipFormatClassId = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

HRESULT SeekFile(HANDLE file, Int64 offset, UInt32 origin, UInt64* newPosition) {
    if (origin > FILE_END) return STG_E_INVALIDFUNCTION;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position = {};
    if (!SetFilePointerEx(file, distance, &position, origin)) return LastErrorResult();
    if (newPosition != nullptr) *newPosition = static_cast<UInt64>(position.QuadPart);
    return S_OK;
}
