// Creating and registering the platform's XML HTTP request class.
#pragma once

#include "msxml_xmlhttp.h"

namespace qx::xmlhttp {

// The instance creator (aggregation is refused) and the class object of the class.
HRESULT CreateXmlHttpRequest(IUnknown* outer, REFIID riid, void** ppv);
HRESULT GetXmlHttpRequestClassObject(REFIID riid, void** ppv);

// Makes the class creatable by CoCreateInstance in this process: registers its class object for
// CLSID_XMLHTTPRequest and makes the ProgIDs "Msxml2.XMLHTTP" and "Microsoft.XMLHTTP" known to
// activation in this process (the registry is not written). The calling thread must be in an
// apartment. Repeated calls register once and give S_FALSE.
HRESULT RegisterXmlHttpClass();
// Withdraws the class object and the ProgIDs.
void RevokeXmlHttpClass();

// The most response bytes a request keeps; a longer response fails the send.
inline constexpr size_t kMaxResponseBytes = 64u * 1024 * 1024;

} // namespace qx::xmlhttp
