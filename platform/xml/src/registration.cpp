// In-process registration of DOMDocument under its two ProgIDs.
#include "qx/xml/xml_dom.h"

#include "qx/activation/platform_class.h"

#include <iterator>

namespace qx::xml {
namespace {

constexpr qx::activation::PlatformClassName kNames[] = {
    {&CLSID_DOMDocument, u"Microsoft.XMLDOM"},
    {&CLSID_DOMDocumentMsxml2, u"Msxml2.DOMDocument"},
};

qx::activation::PlatformClassRegistration& Registration() {
    static qx::activation::PlatformClassRegistration registration(kNames, std::size(kNames),
                                                                  GetDOMDocumentClassObject);
    return registration;
}

} // namespace

HRESULT RegisterXmlDomClass() {
    return Registration().Register();
}

void RevokeXmlDomClass() {
    Registration().Revoke();
}

} // namespace qx::xml
