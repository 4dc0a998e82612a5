// In-process registration of the XML HTTP request class under both of its ProgIDs.
#include "qx/xmlhttp/xmlhttp.h"

#include "qx/activation/platform_class.h"

#include <iterator>

namespace qx::xmlhttp {
namespace {

// Both ProgIDs name the one class; its own ProgID is the last one.
constexpr qx::activation::PlatformClassName kNames[] = {
    {&CLSID_XMLHTTPRequest, u"Microsoft.XMLHTTP"},
    {&CLSID_XMLHTTPRequest, u"Msxml2.XMLHTTP"},
};

qx::activation::PlatformClassRegistration& Registration() {
    static qx::activation::PlatformClassRegistration registration(kNames, std::size(kNames),
                                                                  GetXmlHttpRequestClassObject);
    return registration;
}

} // namespace

HRESULT RegisterXmlHttpClass() {
    return Registration().Register();
}

void RevokeXmlHttpClass() {
    Registration().Revoke();
}

} // namespace qx::xmlhttp
