// A text split at a delimiter into its non-empty pieces.
#pragma once

#include <string>
#include <vector>

class StringArray {
public:
    StringArray() = default;
    virtual ~StringArray() = default;

    // Refills the array; matchCase non-zero searches the delimiter exactly, 0 ignores case.
    // Empty pieces (delimiters at either end, runs of delimiters) are not kept.
    void Split(const std::string& text, const std::string& delimiter, int matchCase);

    // Fills the array from a list of NUL-terminated texts ended by an empty one.
    void FromMultiString(const char* list);
    void Clear();

    // A copy of item index; out of range shows a message box and gives "".
    std::string At(unsigned int index) const;

    int Count = 0;

private:
    std::vector<std::string> m_items;
};
