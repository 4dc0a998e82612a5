// Closing kernel object handles (files, threads, events and every later kind).
#pragma once

#include "wintypes.h"

BOOL WINAPI CloseHandle(HANDLE hObject);
