// The exceptions that the MIME library throws. Only indexed list operations throw, with
// MimeBoundsException, when an index is out of range.
#pragma once

#include <exception>

class MimeException : public std::exception {
public:
    MimeException() : m_message("Unspecified error") {}
    explicit MimeException(const char* message) : m_message(message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

class MimeBoundsException : public MimeException {
public:
    MimeBoundsException() : MimeException("Bounds error") {}
};
