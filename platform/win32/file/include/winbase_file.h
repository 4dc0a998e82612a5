// Copying and moving files.
#pragma once

#include "wintypes.h"

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
// Fails when the new name exists; a file moves across file systems by copy and delete.
BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);

#define CopyFile CopyFileA
#define MoveFile MoveFileA
