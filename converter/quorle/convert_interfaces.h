// The converter's interfaces: IConvert (dual), its event interfaces _DIConvertEvent
// (dispinterface, the default source) and IConvertEvent (dual), and IMailFormat; their dispatch
// declarations and the QUORLELib type library.
#pragma once

#include <objbase.h>
#include <ocidl.h>
#include <qx/com/dispatch_decl.h>
#include <qx/com/type_library.h>

QX_DECLARE_INTERFACE(IConvert, "{2375E653-28CB-403A-96FD-435A1968FC04}");
QX_DECLARE_INTERFACE(IConvertEvent, "{4F619509-2D97-4462-AE07-06D0478751AD}");
QX_DECLARE_INTERFACE(IMailFormat, "{CC15CC4C-EC24-42A2-9C10-54A24CF4FB13}");
QX_DEFINE_GUID(DIID__DIConvertEvent, "{0E9689FD-BDAD-4DA4-B574-876C3CF52E94}");
QX_DEFINE_GUID(CLSID_Convert, "{241828DA-76FC-412D-8FFC-099704F25959}");
QX_DEFINE_GUID(CLSID_MailFormat, "{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}");
QX_DEFINE_GUID(LIBID_QUORLELib, "{6DF30454-DF5F-4654-8D72-8AA069997695}");

struct IConvert : IDispatch {
    STDMETHOD(filterIn)(VARIANT_BOOL* pVal) PURE;
    STDMETHOD(filterOut)(BSTR pathBase, VARIANT_BOOL* pVal) PURE;
    STDMETHOD(IsMHTML)(BSTR bstrText, VARIANT_BOOL* pVal) PURE;
    STDMETHOD(get_htmlData)(BSTR* pVal) PURE;
    STDMETHOD(put_htmlData)(BSTR newVal) PURE;
    STDMETHOD(get_mhtData)(BSTR* pVal) PURE;
    STDMETHOD(put_mhtData)(BSTR newVal) PURE;
    STDMETHOD(DownloadURL)(BSTR htmURL, BSTR* htmlData) PURE;
    STDMETHOD(ViewMhtInBrowser)() PURE;
    STDMETHOD(SetDocumentDisp)(IDispatch* pDocumentDisp) PURE;
    STDMETHOD(FireEvent2)(LONG evtType, LONG nType) PURE;
    STDMETHOD(get_sync)(VARIANT_BOOL* pVal) PURE;
    STDMETHOD(put_sync)(VARIANT_BOOL newVal) PURE;
    STDMETHOD(put_Subject)(BSTR newVal) PURE;

protected:
    ~IConvert() = default;
};

struct IConvertEvent : IDispatch {
    STDMETHOD(OnStartConvert)() PURE;
    STDMETHOD(OnEndConvert)(LONG nType) PURE;
    STDMETHOD(OnRatioComplete)(LONG ratioComplete) PURE;

protected:
    ~IConvertEvent() = default;
};

struct IMailFormat : IDispatch {
    STDMETHOD(addAttachFile)(BSTR fileURL, LONG* bRet) PURE;
    STDMETHOD(get_To)(BSTR* pVal) PURE;
    STDMETHOD(put_To)(BSTR newVal) PURE;
    STDMETHOD(get_Body)(BSTR* pVal) PURE;
    STDMETHOD(put_Body)(BSTR newVal) PURE;
    STDMETHOD(get_From)(BSTR* pVal) PURE;
    STDMETHOD(put_From)(BSTR newVal) PURE;
    STDMETHOD(get_Cc)(BSTR* pVal) PURE;
    STDMETHOD(put_Cc)(BSTR newVal) PURE;
    STDMETHOD(get_Bcc)(BSTR* pVal) PURE;
    STDMETHOD(put_Bcc)(BSTR newVal) PURE;
    STDMETHOD(get_Subject)(BSTR* pVal) PURE;
    STDMETHOD(put_Subject)(BSTR newVal) PURE;
    STDMETHOD(get_mailData)(BSTR* pVal) PURE;
    STDMETHOD(put_mailData)(BSTR newVal) PURE;

protected:
    ~IMailFormat() = default;
};

namespace quorle {

inline constexpr qx::com::DispParam kStartedParams[] = {
    {u"pVal", VT_BOOL, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}};
inline constexpr qx::com::DispParam kFilterOutParams[] = {
    {u"pathBase", VT_BSTR, PARAMFLAG_FIN},
    {u"pVal", VT_BOOL, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kIsMhtmlParams[] = {
    {u"bstrText", VT_BSTR, PARAMFLAG_FIN},
    {u"pVal", VT_BOOL, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kDownloadParams[] = {
    {u"htmURL", VT_BSTR, PARAMFLAG_FIN},
    {u"htmlData", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kDocumentParams[] = {{u"pDocumentDisp", VT_DISPATCH, PARAMFLAG_FIN}};
inline constexpr qx::com::DispParam kFireEventParams[] = {
    {u"evtType", VT_I4, PARAMFLAG_FIN},
    {u"nType", VT_I4, PARAMFLAG_FIN},
};

inline constexpr qx::com::DispMember kConvertMembers[] = {
    qx::com::DispMethod<&IConvert::filterIn>(u"filterIn", 1, kStartedParams),
    qx::com::DispMethod<&IConvert::filterOut>(u"filterOut", 2, kFilterOutParams),
    qx::com::DispMethod<&IConvert::IsMHTML>(u"IsMHTML", 3, kIsMhtmlParams),
    qx::com::DispPropGet<&IConvert::get_htmlData>(u"htmlData", 4),
    qx::com::DispPropPut<&IConvert::put_htmlData>(u"htmlData", 4),
    qx::com::DispPropGet<&IConvert::get_mhtData>(u"mhtData", 5),
    qx::com::DispPropPut<&IConvert::put_mhtData>(u"mhtData", 5),
    qx::com::DispMethod<&IConvert::DownloadURL>(u"DownloadURL", 7, kDownloadParams),
    qx::com::DispMethod<&IConvert::ViewMhtInBrowser>(u"ViewMhtInBrowser", 8),
    qx::com::DispMethod<&IConvert::SetDocumentDisp>(u"SetDocumentDisp", 9, kDocumentParams),
    qx::com::DispMethod<&IConvert::FireEvent2>(u"FireEvent2", 10, kFireEventParams),
    qx::com::DispPropGet<&IConvert::get_sync, VT_BOOL>(u"sync", 11),
    qx::com::DispPropPut<&IConvert::put_sync, VT_BOOL>(u"sync", 11),
    qx::com::DispPropPut<&IConvert::put_Subject>(u"Subject", 12),
};

inline constexpr qx::com::DispParam kEndConvertParams[] = {{u"nType", VT_I4, PARAMFLAG_FIN}};
inline constexpr qx::com::DispParam kRatioParams[] = {{u"ratioComplete", VT_I4, PARAMFLAG_FIN}};

inline constexpr qx::com::DispMember kConvertEventMembers[] = {
    qx::com::DispMethod<&IConvertEvent::OnStartConvert>(u"OnStartConvert", 1),
    qx::com::DispMethod<&IConvertEvent::OnEndConvert>(u"OnEndConvert", 2, kEndConvertParams),
    qx::com::DispMethod<&IConvertEvent::OnRatioComplete>(u"OnRatioComplete", 3, kRatioParams),
};

inline constexpr qx::com::DispMember kDIConvertEventMembers[] = {
    qx::com::DispEvent(u"OnStartConvert", 1),
    qx::com::DispEvent(u"OnEndConvert", 2, kEndConvertParams),
    qx::com::DispEvent(u"OnRatioComplete", 3, kRatioParams),
};

inline constexpr qx::com::DispParam kAttachParams[] = {
    {u"fileURL", VT_BSTR, PARAMFLAG_FIN},
    {u"bRet", VT_I4, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};

inline constexpr qx::com::DispMember kMailFormatMembers[] = {
    qx::com::DispMethod<&IMailFormat::addAttachFile>(u"addAttachFile", 1, kAttachParams),
    qx::com::DispPropGet<&IMailFormat::get_To>(u"To", 2),
    qx::com::DispPropPut<&IMailFormat::put_To>(u"To", 2),
    qx::com::DispPropGet<&IMailFormat::get_Body>(u"Body", 3),
    qx::com::DispPropPut<&IMailFormat::put_Body>(u"Body", 3),
    qx::com::DispPropGet<&IMailFormat::get_From>(u"From", 4),
    qx::com::DispPropPut<&IMailFormat::put_From>(u"From", 4),
    qx::com::DispPropGet<&IMailFormat::get_Cc>(u"Cc", 5),
    qx::com::DispPropPut<&IMailFormat::put_Cc>(u"Cc", 5),
    qx::com::DispPropGet<&IMailFormat::get_Bcc>(u"Bcc", 6),
    qx::com::DispPropPut<&IMailFormat::put_Bcc>(u"Bcc", 6),
    qx::com::DispPropGet<&IMailFormat::get_Subject>(u"Subject", 7),
    qx::com::DispPropPut<&IMailFormat::put_Subject>(u"Subject", 7),
    qx::com::DispPropGet<&IMailFormat::get_mailData>(u"mailData", 8),
    qx::com::DispPropPut<&IMailFormat::put_mailData>(u"mailData", 8),
};

} // namespace quorle

QX_DISPATCH_INTERFACE(IConvert, u"IConvert", quorle::kConvertMembers, u"IConvert Interface");
QX_DISPATCH_INTERFACE(IConvertEvent, u"IConvertEvent", quorle::kConvertEventMembers,
                      u"IConvertEvent Interface");
QX_DISPINTERFACE(_DIConvertEvent, DIID__DIConvertEvent, u"_DIConvertEvent", quorle::kDIConvertEventMembers,
                 u"_DIConvertEvent Interface");
QX_DISPATCH_INTERFACE(IMailFormat, u"IMailFormat", quorle::kMailFormatMembers, u"IMailFormat Interface");

namespace quorle {

inline constexpr const qx::com::DispInterface* kLibraryInterfaces[] = {
    &kDisp_IConvert, &kDisp__DIConvertEvent, &kDisp_IConvertEvent, &kDisp_IMailFormat};
inline constexpr qx::com::ImplTypeDesc kConvertImpls[] = {
    {&IID_IConvert, IMPLTYPEFLAG_FDEFAULT},
    {&DIID__DIConvertEvent, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    {&IID_IConvertEvent, IMPLTYPEFLAG_FSOURCE},
};
inline constexpr qx::com::ImplTypeDesc kMailFormatImpls[] = {{&IID_IMailFormat, IMPLTYPEFLAG_FDEFAULT}};
inline constexpr qx::com::CoclassDesc kLibraryClasses[] = {
    {&CLSID_Convert, u"Convert", kConvertImpls, 3, u"Convert Class"},
    {&CLSID_MailFormat, u"MailFormat", kMailFormatImpls, 1, u"MailFormat Class"},
};
inline constexpr qx::com::LibraryDesc kQuorleLibrary = {&LIBID_QUORLELib,
                                                        u"QUORLELib",
                                                        u"Quorle 1.0 Type Library",
                                                        1,
                                                        0,
                                                        kLibraryInterfaces,
                                                        4,
                                                        kLibraryClasses,
                                                        2};

} // namespace quorle
