// Creating the platform's XML DOM document ("Microsoft.XMLDOM", "Msxml2.DOMDocument").
#pragma once

#include "msxml.h"

namespace qx::xml {

// The instance creator of the DOMDocument class (aggregation is refused).
HRESULT CreateDOMDocument(IUnknown* outer, REFIID riid, void** ppv);
// The class object (IClassFactory) of DOMDocument, for in-process registration.
HRESULT GetDOMDocumentClassObject(REFIID riid, void** ppv);

} // namespace qx::xml

namespace qx::xml {

// Makes DOMDocument creatable by CoCreateInstance in this process: registers its class object for
// CLSID_DOMDocument and CLSID_DOMDocumentMsxml2, and makes the ProgIDs "Microsoft.XMLDOM" and
// "Msxml2.DOMDocument" known to activation in this process (the registry is not written). The
// calling thread must be in an apartment. Repeated calls register once and give S_FALSE.
HRESULT RegisterXmlDomClass();
// Withdraws the class objects and the ProgIDs.
void RevokeXmlDomClass();

} // namespace qx::xml
