// The browser's document interfaces, as far as components reach them: the script object of a
// page's document. The rest of the document object model joins here with the browser itself.
#pragma once

#include <oaidl.h>
#include <qx/com/interface.h>

QX_DECLARE_INTERFACE(IHTMLDocument, "{626FC520-A41E-11CF-A731-00A0C9082637}");
struct IHTMLDocument : IDispatch {
    // The page's script engine as a dispatch object: its global functions are its members.
    STDMETHOD(get_Script)(IDispatch** p) PURE;

protected:
    ~IHTMLDocument() = default;
};

QX_DECLARE_INTERFACE(IHTMLDocument2, "{332C4425-26CB-11D0-B483-00C04FD90119}");
struct IHTMLDocument2 : IHTMLDocument {
protected:
    ~IHTMLDocument2() = default;
};
