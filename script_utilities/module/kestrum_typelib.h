// Kestrum's type library: its four interfaces and the classes that implement them.
#pragma once

#include "kestrum_interfaces.h"

#include <qx/com/type_library.h>

namespace kestrum {

inline constexpr const qx::com::DispInterface* kLibraryInterfaces[] = {
    &kDisp_ICalendar, &kDisp_IMiscFunc, &kDisp_IRegScript, &kDisp_IRegEnumList};
inline constexpr qx::com::ImplTypeDesc kCalendarImpls[] = {{&IID_ICalendar, IMPLTYPEFLAG_FDEFAULT}};
inline constexpr qx::com::ImplTypeDesc kMiscFuncImpls[] = {{&IID_IMiscFunc, IMPLTYPEFLAG_FDEFAULT}};
inline constexpr qx::com::ImplTypeDesc kRegScriptImpls[] = {{&IID_IRegScript, IMPLTYPEFLAG_FDEFAULT}};
inline constexpr qx::com::ImplTypeDesc kRegEnumListImpls[] = {{&IID_IRegEnumList, IMPLTYPEFLAG_FDEFAULT}};
inline constexpr qx::com::CoclassDesc kLibraryClasses[] = {
    {&CLSID_Calendar, u"Calendar", kCalendarImpls, 1, u"Calendar Class"},
    {&CLSID_MiscFunc, u"MiscFunc", kMiscFuncImpls, 1, u"MiscFunc Class"},
    {&CLSID_RegScript, u"RegScript", kRegScriptImpls, 1, u"RegScript Class"},
    {&CLSID_RegEnumList, u"RegEnumList", kRegEnumListImpls, 1, u"RegEnumList Class"},
};
inline constexpr qx::com::LibraryDesc kKestrumLibrary = {&LIBID_KESTRUMLib,
                                                         u"KESTRUMLib",
                                                         u"Kestrum 1.0 Type Library",
                                                         1,
                                                         0,
                                                         kLibraryInterfaces,
                                                         std::size(kLibraryInterfaces),
                                                         kLibraryClasses,
                                                         std::size(kLibraryClasses)};

} // namespace kestrum
