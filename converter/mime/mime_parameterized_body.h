// MimeParameterizedBody: a field body followed by a parameter list ("; attribute=value"); the
// media type and the disposition type share its accessors.
#pragma once

#include "mime_field_body.h"
#include "mime_parameter.h"

class MimeParameterizedBody : public MimeFieldBody {
public:
    size_t NumParameters() const { return m_parameters.Count(); }
    MimeParameter& ParameterAt(size_t index) const { return m_parameters.At(index); }
    void AddParameter(std::unique_ptr<MimeParameter> parameter) { m_parameters.Add(std::move(parameter)); }
    void InsertParameterAt(size_t index, std::unique_ptr<MimeParameter> parameter) {
        m_parameters.Insert(index, std::move(parameter));
    }
    std::unique_ptr<MimeParameter> RemoveParameterAt(size_t index) { return m_parameters.Remove(index); }
    void DeleteAllParameters() { m_parameters.DeleteAll(); }

protected:
    MimeParameterizedBody(int classId, const char* className) : MimeFieldBody(classId, className) {}
    MimeParameterizedBody(const MimeString& text, MimeMessageComponent* parent, int classId,
                          const char* className)
        : MimeFieldBody(text, parent, classId, className) {}
    MimeParameterizedBody(const MimeParameterizedBody& other)
        : MimeFieldBody(other), m_parameters(other.m_parameters, this) {}
    MimeParameterizedBody& operator=(const MimeParameterizedBody& other) {
        if (this != &other) {
            MimeFieldBody::operator=(other);
            m_parameters.CopyFrom(other.m_parameters);
        }
        return *this;
    }

    // Sets the value of the first parameter of that attribute (in any case), or adds one spelled
    // as given.
    void SetParameterValue(const char* attribute, const MimeString& value);

    MimeParameterList m_parameters{this};
};
