// The rules the control applies to the form in the editor: which elements are fields, the marker
// test that rejects documents not made for the control, and the preparation every document gets.
#pragma once

#include "form_fields.h"

#include <mshtml.h>

// Refills the collection with one qxFormField per element whose class name is exactly "FIELD",
// in document order, and hands it the document; the number of fields.
LONG ScanFormFields(IHTMLDocument2* document, CqxFormFields& fields);

// Whether the document may be edited: it is blank (its BODY then gets margins 0), carries the
// "dovrel" marker, or the control edits in start mode 2. A document without BODY passes.
bool PassesMarkerTest(IHTMLDocument2* document, SHORT startMode);

// The forced charset, emptied "voform_style" sheets, one "voform_style_1" sheet holding the P
// rule, and BODY's font size where it has none.
void PrepareFormDocument(IHTMLDocument2* document);
