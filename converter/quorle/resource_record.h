// One resource of a page: where it comes from, how the page names it, and where a loaded copy lies.
#pragma once

#include <string>
#include <vector>

struct ResourceRecord {
    std::string location;  // the resolved URL, or the Content-Location of a loaded part
    std::string urlText;   // the attribute value as it stood in the HTML
    std::string tempPath;  // the file holding a loaded part (empty for the packer's own records)
    std::string contentId; // the Content-ID of a loaded part, without its angle brackets
};

using ResourceRecords = std::vector<ResourceRecord>;
