// Copying and moving files.
#pragma once

#include "wintypes.h"

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
// Fails when the new name exists; a file moves across file systems by copy and delete.
BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);

// Puts the replacement file in place of the replaced one in one step, keeping the replaced
// file's attributes (its permission bits); the replaced file must exist (ERROR_FILE_NOT_FOUND).
// Neither a backup name nor the flags are offered (ERROR_INVALID_PARAMETER). On failure both
// files stay as they were.
BOOL WINAPI ReplaceFileA(LPCSTR lpReplacedFileName, LPCSTR lpReplacementFileName, LPCSTR lpBackupFileName,
                         DWORD dwReplaceFlags, LPVOID lpExclude, LPVOID lpReserved);

#define CopyFile CopyFileA
#define MoveFile MoveFileA
#define ReplaceFile ReplaceFileA
