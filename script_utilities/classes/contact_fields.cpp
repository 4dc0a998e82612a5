#include "contact_fields.h"

#include <cstdio>

namespace {

const ContactField kFields[kContactFieldCount] = {
    {"SURNAME", PR_SURNAME},
    {"GIVEN_NAME", PR_GIVEN_NAME},
    {"MIDDLE_NAME", PR_MIDDLE_NAME},
    {"DISPLAY_NAME", PR_DISPLAY_NAME},
    {"DISPLAY_NAME_PREFIX", PR_DISPLAY_NAME_PREFIX},
    {"NICKNAME", PR_NICKNAME},
    {"EMAIL_ADDRESS", PR_EMAIL_ADDRESS},
    {"HOME_ADDRESS_COUNTRY", PR_HOME_ADDRESS_COUNTRY},
    {"HOME_ADDRESS_STATE_OR_PROVINCE", PR_HOME_ADDRESS_STATE_OR_PROVINCE},
    {"HOME_ADDRESS_CITY", PR_HOME_ADDRESS_CITY},
    {"HOME_ADDRESS_STREET", PR_HOME_ADDRESS_STREET},
    {"HOME_ADDRESS_POSTAL_CODE", PR_HOME_ADDRESS_POSTAL_CODE},
    {"HOME_TELEPHONE_NUMBER", PR_HOME_TELEPHONE_NUMBER},
    {"HOME_FAX_NUMBER", PR_HOME_FAX_NUMBER},
    {"MOBILE_TELEPHONE_NUMBER", PR_MOBILE_TELEPHONE_NUMBER},
    {"PERSONAL_HOME_PAGE", PR_PERSONAL_HOME_PAGE},
    {"COUNTRY", PR_COUNTRY},
    {"STATE_OR_PROVINCE", PR_STATE_OR_PROVINCE},
    {"LOCALITY", PR_LOCALITY},
    {"STREET_ADDRESS", PR_STREET_ADDRESS},
    {"COMPANY_NAME", PR_COMPANY_NAME},
    {"POSTAL_CODE", PR_POSTAL_CODE},
    {"OFFICE_LOCATION", PR_OFFICE_LOCATION},
    {"DEPARTMENT_NAME", PR_DEPARTMENT_NAME},
    {"TITLE", PR_TITLE},
    {"BUSINESS_TELEPHONE_NUMBER", PR_BUSINESS_TELEPHONE_NUMBER},
    {"BUSINESS_FAX_NUMBER", PR_BUSINESS_FAX_NUMBER},
    {"PAGER_TELEPHONE_NUMBER", PR_PAGER_TELEPHONE_NUMBER},
    {"SPOUSE_NAME", PR_SPOUSE_NAME},
    {"COMMENT", PR_COMMENT},
};

} // namespace

const ContactField* ContactFields() {
    return kFields;
}

std::string PropValueToString(const SPropValue& value) {
    char number[16];
    switch (PROP_TYPE(value.ulPropTag)) {
    case PT_SHORT:
        std::snprintf(number, sizeof(number), "%d", value.Value.i);
        return number;
    case PT_LONG:
        std::snprintf(number, sizeof(number), "%d", value.Value.l);
        return number;
    case PT_STRING8:
        return value.Value.lpszA ? value.Value.lpszA : "";
    case PT_BINARY:
        return "Binary data";
    case PT_MV_STRING8: {
        std::string joined;
        for (ULONG i = 0; i < value.Value.MVszA.cValues && value.Value.MVszA.lppszA; ++i) {
            if (i > 0) {
                joined += "\r\n";
            }
            joined += value.Value.MVszA.lppszA[i] ? value.Value.MVszA.lppszA[i] : "";
        }
        return joined;
    }
    default:
        return "Unrecognized or undisplayable data";
    }
}
