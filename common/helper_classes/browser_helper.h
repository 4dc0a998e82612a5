// The way from an embedded control to the document of the page that holds it.
#pragma once

#include <mshtml.h>
#include <oleidl_site.h>

class BrowserHelper {
public:
    virtual ~BrowserHelper() = default;

    // The client site's container, its service provider, the browser it names, and the
    // browser's document. S_OK with the document (which the caller releases), or the first
    // failure with *document null.
    static HRESULT GetHostDocument(IOleClientSite* site, IHTMLDocument2** document);
};
