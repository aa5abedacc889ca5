// The one translation unit that gives 7-Zip's interface ids their storage.
#include "Common/MyInitGuid.h"

#include "SevenZip.h"

const GUID kSevenZipFormatClassId = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}
