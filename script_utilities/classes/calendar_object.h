// Kestrum.Calendar: script's face of the lunar calendar. Convert stores the date and converts it;
// the three result properties keep the last conversion (0/0/0 when it failed).
#pragma once

#include "kestrum_interfaces.h"

#include <lunar_calendar.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>

class CCalendar : public qx::com::ObjectRoot, public qx::com::DispatchImpl<ICalendar> {
public:
    QX_BEGIN_INTERFACES(CCalendar)
    QX_INTERFACE_ENTRY(ICalendar)
    QX_INTERFACE_ENTRY2(IDispatch, ICalendar)
    QX_END_INTERFACES()

    QX_OVERRIDES_ICalendar;

private:
    LunarCalendar m_calendar;
    CalendarDate m_result{0, 0, 0};
};
