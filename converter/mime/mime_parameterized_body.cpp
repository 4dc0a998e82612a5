#include "mime_parameterized_body.h"

void MimeParameterizedBody::SetParameterValue(const char* attribute, const MimeString& value) {
    if (MimeParameter* parameter = m_parameters.Find(attribute)) {
        parameter->SetValue(value);
        return;
    }
    auto parameter = std::make_unique<MimeParameter>();
    parameter->SetAttribute(attribute);
    parameter->SetValue(value);
    m_parameters.Add(std::move(parameter));
}
