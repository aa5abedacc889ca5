// Stands in for "Quorvia Platform Service" in the engine tests. Registered with the service manager as
//   test_service.exe stoppable   : stops when told to
//   test_service.exe stubborn    : answers every stop with "stop pending" and never stops
#include <windows.h>

#include <cwchar>

namespace {

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
SERVICE_STATUS gStatus = {};
HANDLE gStopped = nullptr;
bool gStubborn = false;

void Report(DWORD state) {
    gStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    gStatus.dwCurrentState = state;
    gStatus.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    SetServiceStatus(gStatusHandle, &gStatus);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP) {
        if (gStubborn) {
            Report(SERVICE_STOP_PENDING);
        } else {
            SetEvent(gStopped);
        }
    } else if (control == SERVICE_CONTROL_INTERROGATE) {
        SetServiceStatus(gStatusHandle, &gStatus);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    gStatusHandle = RegisterServiceCtrlHandlerExW(L"Quorvia Platform Service", Control, nullptr);
    if (gStatusHandle == nullptr) return;
    Report(SERVICE_RUNNING);
    WaitForSingleObject(gStopped, INFINITE);
    Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    gStubborn = argc > 1 && wcscmp(argv[1], L"stubborn") == 0;
    gStopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    wchar_t name[] = L"Quorvia Platform Service";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
