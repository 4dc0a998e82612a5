// The platform's printer: a document as it stands, serialised with the files it names, handed to
// the UI driver, or else written into the print folder as HTML and, where Chromium is installed,
// as a PDF beside it.
#pragma once

#include "qx/html/dom/html_document.h"
#include "qx/win32/print_requests.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qx::html::browser {

// The job for the document at `url`: its HTML (UTF-8) and the resources its images, scripts,
// style sheets and backgrounds name, read relative to the address.
win32::PrintJob MakePrintJob(dom::DomDocument& document, std::u16string_view url);

// The folder jobs go to: QX_PRINT_DIR, else "qxforms/print" under $XDG_DATA_HOME (else
// ~/.local/share).
std::filesystem::path PrintFolder();

// Writes the job as print-N.htm (in the document's charset, resources in print-N_files with the
// document's references to them rewritten) and, with Chromium, print-N.pdf; the HTML file's path,
// or nothing when it could not be written.
std::optional<std::filesystem::path> WritePrintJob(const win32::PrintJob& job, std::string_view charset);

// ExecWB(OLECMDID_PRINT): asks the print dialog when `prompt`, then prints. S_OK also when the
// person cancelled (nothing is printed); E_FAIL when the job could not be written.
HRESULT PrintDocument(dom::DomDocument& document, std::u16string_view url, bool prompt);

} // namespace qx::html::browser
