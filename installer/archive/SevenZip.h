// 7-Zip's published archive interfaces, as shipped in its source package, plus the ids this program asks for.
#pragma once

#include <windows.h>
// The interface headers expect the COM and property types that WIN32_LEAN_AND_MEAN leaves out.
#include <objbase.h>
#include <oleauto.h>
#include <propidl.h>

#include "7zip/Archive/IArchive.h"
#include "7zip/IPassword.h"
#include "7zip/IProgress.h"
#include "7zip/IStream.h"

// {23170F69-40C1-278A-1000-000110070000}: the 7z format handler.
extern const GUID kSevenZipFormatClassId;

// The plug-in's CreateObject entry point.
using CreateObjectFn = HRESULT(WINAPI*)(const GUID* classId, const GUID* interfaceId, void** object);

// HRESULT_FROM_WIN32 of the last error, E_FAIL when the failing call left none.
HRESULT LastErrorResult();

// Seek of both file streams: origin 0, 1 or 2 (begin, current, end), else STG_E_INVALIDFUNCTION.
HRESULT SeekFile(HANDLE file, Int64 offset, UInt32 origin, UInt64* newPosition);
