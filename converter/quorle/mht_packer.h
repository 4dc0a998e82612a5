// The HTML-to-MHT packer: collects the images, style sheets, scripts and backgrounds that an
// HTML page names, reads each, and composes one multipart/related MIME message from the page
// and its resources.
#pragma once

#include <string>

#include "resource_record.h"

struct PackInput {
    std::string html;                        // ANSI
    std::string pathBase;                    // the page's URL; an empty one becomes the default and is kept
    std::string subject;                     // "" writes the default subject
    const ResourceRecords* loaded = nullptr; // the records of the last load, if any
};

// The directory against which relative references of a page at pathBase are resolved.
std::string MhtBaseDirectory(const std::string& pathBase);

// The location of a reference text (quotes already removed) in a page whose base is baseDirectory.
std::string ResolveReference(const std::string& baseDirectory, const std::string& urlText);

// The MHT text with CR LF line breaks, or "" when the page is empty. input.pathBase is set to the
// default "file://c:\test.html" when it was empty.
std::string PackHtml(PackInput& input);
