// The MHT-to-HTML unpacker: reads an MHT text, decodes its page, writes every other part into
// a temporary file and points the page's references at those files.
#pragma once

#include <oleauto.h>

#include <string>

#include "mht_headers.h"
#include "resource_record.h"

// Deletes the temporary files of the records and empties the list.
void DeleteResourceFiles(ResourceRecords& records);

// Unpacks mht (ANSI bytes). The previous records' files are deleted first; records receives
// one record per stored part, its texts in the ANSI code page. Returns true and sets html (the
// page's bytes) and, when asked, pageCodePage (the code page those bytes are in) when a page
// was found; html is left as it was otherwise.
bool UnpackMht(const std::string& mht, std::string& html, ResourceRecords& records,
               UINT* pageCodePage = nullptr);
