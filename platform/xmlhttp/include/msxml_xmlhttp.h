// The XML HTTP request class ("Msxml2.XMLHTTP", "Microsoft.XMLHTTP"): IXMLHTTPRequest in its
// published vtable order and DISPIDs.
#pragma once

#include <oaidl.h>

#include <iterator>
#include <qx/com/dispatch_decl.h>
#include <qx/com/interface.h>

QX_DEFINE_GUID(CLSID_XMLHTTPRequest, "{ED8C108E-4349-11D2-91A4-00C04F7969E8}");

QX_DECLARE_INTERFACE(IXMLHTTPRequest, "{ED8C108D-4349-11D2-91A4-00C04F7969E8}");
struct IXMLHTTPRequest : IDispatch {
    STDMETHOD(open)
    (BSTR bstrMethod, BSTR bstrUrl, VARIANT varAsync, VARIANT bstrUser, VARIANT bstrPassword) PURE;
    STDMETHOD(setRequestHeader)(BSTR bstrHeader, BSTR bstrValue) PURE;
    STDMETHOD(getResponseHeader)(BSTR bstrHeader, BSTR* pbstrValue) PURE;
    STDMETHOD(getAllResponseHeaders)(BSTR* pbstrHeaders) PURE;
    STDMETHOD(send)(VARIANT varBody) PURE;
    STDMETHOD(abort)() PURE;
    STDMETHOD(get_status)(LONG* plStatus) PURE;
    STDMETHOD(get_statusText)(BSTR* pbstrStatus) PURE;
    STDMETHOD(get_responseXML)(IDispatch** ppBody) PURE;
    STDMETHOD(get_responseText)(BSTR* pbstrBody) PURE;
    STDMETHOD(get_responseBody)(VARIANT* pvarBody) PURE;
    STDMETHOD(get_responseStream)(VARIANT* pvarBody) PURE;
    STDMETHOD(get_readyState)(LONG* plState) PURE;
    STDMETHOD(put_onreadystatechange)(IDispatch* pReadyStateSink) PURE;

protected:
    ~IXMLHTTPRequest() = default;
};

namespace qx::xmlhttp::decl {
using qx::com::DispMethod;
using qx::com::DispParam;
using qx::com::DispPropGet;
using qx::com::DispPropPut;
inline constexpr USHORT kIn = PARAMFLAG_FIN;
inline constexpr USHORT kOpt = PARAMFLAG_FIN | PARAMFLAG_FOPT;
inline constexpr USHORT kRet = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
inline constexpr DispParam kOpenParams[] = {{u"bstrMethod", VT_BSTR, kIn},
                                            {u"bstrUrl", VT_BSTR, kIn},
                                            {u"varAsync", VT_VARIANT, kOpt},
                                            {u"bstrUser", VT_VARIANT, kOpt},
                                            {u"bstrPassword", VT_VARIANT, kOpt}};
inline constexpr DispParam kSetHeaderParams[] = {{u"bstrHeader", VT_BSTR, kIn}, {u"bstrValue", VT_BSTR, kIn}};
inline constexpr DispParam kGetHeaderParams[] = {{u"bstrHeader", VT_BSTR, kIn},
                                                 {u"pbstrValue", VT_BSTR, kRet}};
inline constexpr DispParam kAllHeadersParams[] = {{u"pbstrHeaders", VT_BSTR, kRet}};
inline constexpr DispParam kSendParams[] = {{u"varBody", VT_VARIANT, kOpt}};
inline constexpr qx::com::DispMember kMembers[] = {
    DispMethod<&IXMLHTTPRequest::open>(u"open", 1, kOpenParams),
    DispMethod<&IXMLHTTPRequest::setRequestHeader>(u"setRequestHeader", 2, kSetHeaderParams),
    DispMethod<&IXMLHTTPRequest::getResponseHeader>(u"getResponseHeader", 3, kGetHeaderParams),
    DispMethod<&IXMLHTTPRequest::getAllResponseHeaders>(u"getAllResponseHeaders", 4, kAllHeadersParams),
    DispMethod<&IXMLHTTPRequest::send>(u"send", 5, kSendParams),
    DispMethod<&IXMLHTTPRequest::abort>(u"abort", 6),
    DispPropGet<&IXMLHTTPRequest::get_status>(u"status", 7),
    DispPropGet<&IXMLHTTPRequest::get_statusText>(u"statusText", 8),
    DispPropGet<&IXMLHTTPRequest::get_responseXML>(u"responseXML", 9),
    DispPropGet<&IXMLHTTPRequest::get_responseText>(u"responseText", 10),
    DispPropGet<&IXMLHTTPRequest::get_responseBody>(u"responseBody", 11),
    DispPropGet<&IXMLHTTPRequest::get_responseStream>(u"responseStream", 12),
    DispPropGet<&IXMLHTTPRequest::get_readyState>(u"readyState", 13),
    DispPropPut<&IXMLHTTPRequest::put_onreadystatechange>(u"onreadystatechange", 14),
};
} // namespace qx::xmlhttp::decl

QX_DISPATCH_INTERFACE(IXMLHTTPRequest, u"IXMLHTTPRequest", qx::xmlhttp::decl::kMembers,
                      u"IXMLHTTPRequest Interface");
