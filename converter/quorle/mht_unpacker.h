// The MHT-to-HTML unpacker: scans an MHT text, decodes its HTML part, writes every other part
// into a temporary file and points the HTML's references at those files.
#pragma once

#include <string>

#include "resource_record.h"

// Deletes the temporary files of the records and empties the list.
void DeleteResourceFiles(ResourceRecords& records);

// Unpacks mht (ANSI). The previous records' files are deleted first; records receives one
// record per stored part. Returns true and sets html when an HTML text was found; html is left
// as it was otherwise.
bool UnpackMht(const std::string& mht, std::string& html, ResourceRecords& records);

// Header lookup in a part's header block: the value after "name: " (any case) up to the line's
// end; "" when the field is absent.
std::string MhtHeaderValue(const std::string& header, const char* name);

// The boundary named in a header block, quoted or not; "" when there is none.
std::string MhtBoundary(const std::string& header);
