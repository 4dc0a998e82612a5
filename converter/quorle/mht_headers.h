// The header block of an MHT document or part, read as mail readers do: field names in any
// case at the start of a line, blanks after the colon optional, folded lines joined.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The unfolded value of the block's first field of that name, without the blanks around it;
// "" when the field is absent.
std::string MhtHeaderValue(std::string_view header, std::string_view name);

// A Content-Location value: a URL carries no blanks, so the blanks of its folds go too.
std::string MhtLocationValue(std::string_view header);

// A Content-Type value: "type/subtype" in lower case and the parameters.
struct MhtMediaType {
    std::string type;
    std::vector<std::pair<std::string, std::string>> parameters; // names in lower case, values unquoted

    bool IsMultipart() const { return type.compare(0, 10, "multipart/") == 0; }
    // The value of the first parameter of that name (given in lower case); "" when absent.
    std::string Parameter(std::string_view lowerName) const;
};

MhtMediaType ParseMhtMediaType(std::string_view value);

// The boundary of the block's Content-Type, quoted or not; "" when there is none.
std::string MhtBoundary(std::string_view header);

// A message id without its angle brackets and the blanks around it ("<a@b>" gives "a@b").
std::string MhtBareId(std::string_view id);
