// What the UI driver hears of printing and of new browser windows: the print dialog, each job
// handed to the printer, and a page's request for a window of its own.
#pragma once

#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

// The print dialog about to be shown for a document.
struct PrintDialogRequest {
    std::string title; // the document's title, UTF-8
    std::string url;   // its address
    DWORD threadId = 0;
};

// A file the printed document refers to, as it was read for printing.
struct PrintResource {
    std::string url;   // the address as the document writes it
    std::string bytes; // empty when it could not be read
};

// One job for the printer: the document as it stands, serialised in UTF-8, with its resources.
struct PrintJob {
    std::string title;
    std::string url;
    std::string html;
    std::vector<PrintResource> resources;
    DWORD threadId = 0;
};

// A page asked for a new browser window (Navigate with navOpenInNewWindow).
struct BrowserWindowRequest {
    std::string url;
    std::string targetFrame;
    DWORD threadId = 0;
};

} // namespace qx::win32
