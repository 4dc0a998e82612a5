// A form's fields as a multipart/form-data body (a form whose enctype asks for it).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qx::html::dom {

using FormField = std::pair<std::u16string, std::u16string>; // name, value

struct MultipartBody {
    std::string boundary;
    std::string bytes;
};

// One part per field ("Content-Disposition: form-data; name=...", then the value in UTF-8), CR LF
// line ends, closed by the final boundary. The boundary appears in no name or value.
MultipartBody EncodeMultipart(const std::vector<FormField>& fields);

} // namespace qx::html::dom
