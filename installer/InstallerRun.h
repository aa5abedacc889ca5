// What the installer does between its start-up frame and its teardown: the known-folder settings, the task
// threads and the setup dialog with its message loop. Main thread only; returns after the IO thread has ended.
#pragma once

#include <windows.h>

void RunInstaller(HINSTANCE instance);
