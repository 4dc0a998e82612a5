// The scripting interfaces of Kestrum's classes, their class identifiers, and the dispatch
// declarations from which GetIDsOfNames, Invoke and the type library are derived.
#pragma once

#include <objbase.h>
#include <qx/com/dispatch_decl.h>

#include <iterator>

QX_DECLARE_INTERFACE(ICalendar, "{5B0E3D41-7C2A-4F1E-9B63-2D8A47C1E590}");
QX_DECLARE_INTERFACE(IMiscFunc, "{7F55964A-0925-4F88-A796-E3C341BD586A}");
QX_DECLARE_INTERFACE(IRegScript, "{9C1F1777-237D-42E1-8022-4B00F51C15BA}");
QX_DECLARE_INTERFACE(IRegEnumList, "{42ED8628-ED0E-43C8-88AE-4478A89D1182}");

QX_DEFINE_GUID(LIBID_KESTRUMLib, "{127DABED-1CA8-4956-A912-0EAF659F96F1}");
QX_DEFINE_GUID(CLSID_Calendar, "{D2BCC8B5-4187-48DA-AC06-073CE127304F}");
QX_DEFINE_GUID(CLSID_MiscFunc, "{B8E6A1B2-67A4-4CA4-8098-7C4D9F7E05C2}");
QX_DEFINE_GUID(CLSID_RegScript, "{E2AC1D16-0E2C-4C15-88F0-2F085EC7E6A0}");
QX_DEFINE_GUID(CLSID_RegEnumList, "{1E7AB8C8-6B41-4348-B2DE-59EC0AB810D7}");

struct ICalendar : IDispatch {
    STDMETHOD(Convert)(LONG year, LONG month, LONG day, VARIANT_BOOL bLunar) PURE;
    STDMETHOD(get_resultYear)(LONG* pVal) PURE;
    STDMETHOD(get_resultMonth)(LONG* pVal) PURE;
    STDMETHOD(get_resultDay)(LONG* pVal) PURE;

protected:
    ~ICalendar() = default;
};

struct IMiscFunc : IDispatch {
    STDMETHOD(DownloadToBase64)(BSTR bstrDownURL, BSTR* encodedText) PURE;
    STDMETHOD(ExtractFileName)(BSTR fullPath, BSTR* FileName) PURE;
    STDMETHOD(GetTemporaryFileName)(BSTR* tempFileName) PURE;
    STDMETHOD(Base64ToLocalFile)(BSTR bstrText, BSTR FileName, LONG* Written) PURE;
    STDMETHOD(EncodeBase64)(BSTR orgText, BSTR* encodedText) PURE;
    STDMETHOD(DecodeBase64)(BSTR encodedText, BSTR* decodedText) PURE;
    STDMETHOD(GetUniqueFileName)(BSTR orgFileName, BSTR ext, BSTR* uniqueName) PURE;
    STDMETHOD(FileExists)(BSTR filePath, VARIANT_BOOL* bExists) PURE;
    STDMETHOD(DebugTrace)(BSTR szTraceText) PURE;
    STDMETHOD(GetFileSize)(BSTR FileName, LONG* fileSize) PURE;
    STDMETHOD(GetGUID)(BSTR* strGUID) PURE;

protected:
    ~IMiscFunc() = default;
};

struct IRegScript : IDispatch {
    STDMETHOD(GetEnumListKey)(BSTR regKey, VARIANT* pVal) PURE;
    STDMETHOD(OpenKey)(LONG hiveIndex, BSTR regKey) PURE;
    STDMETHOD(Close)() PURE;
    STDMETHOD(ReadValue)(LONG hiveIndex, BSTR regKey, BSTR* pVal) PURE;
    STDMETHOD(DeleteRegKey)(LONG hiveIndex, BSTR keyPath) PURE;

protected:
    ~IRegScript() = default;
};

struct IRegEnumList : IDispatch {
    STDMETHOD(get_Count)(LONG* pVal) PURE;
    STDMETHOD(get_Item)(LONG index, VARIANT* pVal) PURE;

protected:
    ~IRegEnumList() = default;
};

namespace kestrum {

inline constexpr qx::com::DispParam kConvertParams[] = {
    {u"year", VT_I4, PARAMFLAG_FIN},
    {u"month", VT_I4, PARAMFLAG_FIN},
    {u"day", VT_I4, PARAMFLAG_FIN},
    {u"bLunar", VT_BOOL, PARAMFLAG_FIN},
};
inline constexpr qx::com::DispMember kCalendarMembers[] = {
    qx::com::DispMethod<&ICalendar::Convert>(u"Convert", 1, kConvertParams, u"method Convert"),
    qx::com::DispPropGet<&ICalendar::get_resultYear>(u"resultYear", 2),
    qx::com::DispPropGet<&ICalendar::get_resultMonth>(u"resultMonth", 3),
    qx::com::DispPropGet<&ICalendar::get_resultDay>(u"resultDay", 4),
};

inline constexpr qx::com::DispParam kDownloadToBase64Params[] = {
    {u"bstrDownURL", VT_BSTR, PARAMFLAG_FIN},
    {u"encodedText", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kExtractFileNameParams[] = {
    {u"fullPath", VT_BSTR, PARAMFLAG_FIN},
    {u"FileName", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kGetTemporaryFileNameParams[] = {
    {u"tempFileName", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kBase64ToLocalFileParams[] = {
    {u"bstrText", VT_BSTR, PARAMFLAG_FIN},
    {u"FileName", VT_BSTR, PARAMFLAG_FIN},
    {u"Written", VT_I4, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kEncodeBase64Params[] = {
    {u"orgText", VT_BSTR, PARAMFLAG_FIN},
    {u"encodedText", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kDecodeBase64Params[] = {
    {u"encodedText", VT_BSTR, PARAMFLAG_FIN},
    {u"decodedText", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kGetUniqueFileNameParams[] = {
    {u"orgFileName", VT_BSTR, PARAMFLAG_FIN},
    {u"ext", VT_BSTR, PARAMFLAG_FIN},
    {u"uniqueName", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kFileExistsParams[] = {
    {u"filePath", VT_BSTR, PARAMFLAG_FIN},
    {u"bExists", VT_BOOL, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kDebugTraceParams[] = {
    {u"szTraceText", VT_BSTR, PARAMFLAG_FIN},
};
inline constexpr qx::com::DispParam kGetFileSizeParams[] = {
    {u"FileName", VT_BSTR, PARAMFLAG_FIN},
    {u"fileSize", VT_I4, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kGetGUIDParams[] = {
    {u"strGUID", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispMember kMiscFuncMembers[] = {
    qx::com::DispMethod<&IMiscFunc::DownloadToBase64>(u"DownloadToBase64", 1, kDownloadToBase64Params),
    qx::com::DispMethod<&IMiscFunc::ExtractFileName>(u"ExtractFileName", 2, kExtractFileNameParams),
    qx::com::DispMethod<&IMiscFunc::GetTemporaryFileName>(u"GetTemporaryFileName", 3,
                                                          kGetTemporaryFileNameParams),
    qx::com::DispMethod<&IMiscFunc::Base64ToLocalFile>(u"Base64ToLocalFile", 4, kBase64ToLocalFileParams),
    qx::com::DispMethod<&IMiscFunc::EncodeBase64>(u"EncodeBase64", 5, kEncodeBase64Params),
    qx::com::DispMethod<&IMiscFunc::DecodeBase64>(u"DecodeBase64", 6, kDecodeBase64Params),
    qx::com::DispMethod<&IMiscFunc::GetUniqueFileName>(u"GetUniqueFileName", 7, kGetUniqueFileNameParams),
    qx::com::DispMethod<&IMiscFunc::FileExists>(u"FileExists", 8, kFileExistsParams),
    qx::com::DispMethod<&IMiscFunc::DebugTrace>(u"DebugTrace", 9, kDebugTraceParams),
    qx::com::DispMethod<&IMiscFunc::GetFileSize>(u"GetFileSize", 10, kGetFileSizeParams),
    qx::com::DispMethod<&IMiscFunc::GetGUID>(u"GetGUID", 11, kGetGUIDParams),
};

inline constexpr qx::com::DispParam kGetEnumListKeyParams[] = {
    {u"regKey", VT_BSTR, PARAMFLAG_FIN},
    {u"pVal", VT_VARIANT, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kOpenKeyParams[] = {
    {u"hiveIndex", VT_I4, PARAMFLAG_FIN},
    {u"regKey", VT_BSTR, PARAMFLAG_FIN},
};
inline constexpr qx::com::DispParam kReadValueParams[] = {
    {u"hiveIndex", VT_I4, PARAMFLAG_FIN},
    {u"regKey", VT_BSTR, PARAMFLAG_FIN},
    {u"pVal", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kDeleteRegKeyParams[] = {
    {u"hiveIndex", VT_I4, PARAMFLAG_FIN},
    {u"keyPath", VT_BSTR, PARAMFLAG_FIN},
};
inline constexpr qx::com::DispMember kRegScriptMembers[] = {
    qx::com::DispMethod<&IRegScript::GetEnumListKey>(u"GetEnumListKey", 1, kGetEnumListKeyParams),
    qx::com::DispMethod<&IRegScript::OpenKey>(u"OpenKey", 2, kOpenKeyParams),
    qx::com::DispMethod<&IRegScript::Close>(u"Close", 3),
    qx::com::DispMethod<&IRegScript::ReadValue>(u"ReadValue", 4, kReadValueParams),
    qx::com::DispMethod<&IRegScript::DeleteRegKey>(u"DeleteRegKey", 5, kDeleteRegKeyParams),
};

inline constexpr qx::com::DispParam kItemParams[] = {
    {u"index", VT_I4, PARAMFLAG_FIN},
    {u"pVal", VT_VARIANT, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispMember kRegEnumListMembers[] = {
    qx::com::DispPropGet<&IRegEnumList::get_Count>(u"Count", 1),
    qx::com::DispProperty<&IRegEnumList::get_Item>(INVOKE_PROPERTYGET, u"Item", DISPID_VALUE, kItemParams),
};

} // namespace kestrum

QX_DISPATCH_INTERFACE(ICalendar, u"ICalendar", kestrum::kCalendarMembers, u"ICalendar Interface");
QX_DISPATCH_INTERFACE(IMiscFunc, u"IMiscFunc", kestrum::kMiscFuncMembers, u"IMiscFunc Interface");
QX_DISPATCH_INTERFACE(IRegScript, u"IRegScript", kestrum::kRegScriptMembers, u"IRegScript Interface");
QX_DISPATCH_INTERFACE(IRegEnumList, u"IRegEnumList", kestrum::kRegEnumListMembers, u"IRegEnumList Interface");
