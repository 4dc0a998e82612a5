// Creating the platform's XML DOM document ("Microsoft.XMLDOM", "Msxml2.DOMDocument").
#pragma once

#include "msxml.h"

namespace qxxml {

// The instance creator of the DOMDocument class (aggregation is refused).
HRESULT CreateDOMDocument(IUnknown* outer, REFIID riid, void** ppv);
// The class object (IClassFactory) of DOMDocument, for in-process registration.
HRESULT GetDOMDocumentClassObject(REFIID riid, void** ppv);

} // namespace qxxml
