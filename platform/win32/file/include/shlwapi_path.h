// Path helpers of the shell's lightweight utility library.
#pragma once

#include "wintypes.h"

// TRUE when a file or folder of that name exists.
BOOL WINAPI PathFileExistsA(LPCSTR pszPath);

#define PathFileExists PathFileExistsA
