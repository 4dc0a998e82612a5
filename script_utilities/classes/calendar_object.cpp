#include "calendar_object.h"

STDMETHODIMP CCalendar::Convert(LONG year, LONG month, LONG day, VARIANT_BOOL bLunar) {
    m_calendar.SetDate(year, month, day, bLunar != VARIANT_FALSE ? TRUE : FALSE);
    m_result = m_calendar.Convert();
    return S_OK;
}

STDMETHODIMP CCalendar::get_resultYear(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_result.year;
    return S_OK;
}

STDMETHODIMP CCalendar::get_resultMonth(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_result.month;
    return S_OK;
}

STDMETHODIMP CCalendar::get_resultDay(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_result.day;
    return S_OK;
}
