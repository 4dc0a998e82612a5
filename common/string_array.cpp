#include "string_array.h"

#include "string_helpers.h"

#include <winuser_msgbox.h>

void StringArray::Clear() {
    m_items.clear();
    Count = 0;
}

void StringArray::Split(const std::string& text, const std::string& delimiter, int matchCase) {
    Clear();
    if (text.empty())
        return;
    // No delimiter to cut at: the whole text is the one piece.
    if (delimiter.empty()) {
        m_items.push_back(text);
        Count = 1;
        return;
    }
    // The case-insensitive search looks at lower-case copies, made once; pieces come from the text.
    const bool exact = matchCase != 0;
    const std::string searchText = exact ? text : ToLowerAscii(text);
    const std::string searchFor = exact ? delimiter : ToLowerAscii(delimiter);
    size_t pos = 0;
    for (;;) {
        size_t hit = searchFor.empty() ? std::string::npos : searchText.find(searchFor, pos);
        if (hit == std::string::npos) {
            if (pos < text.size())
                m_items.push_back(text.substr(pos));
            break;
        }
        if (hit > pos)
            m_items.push_back(text.substr(pos, hit - pos));
        pos = hit + searchFor.size();
    }
    Count = static_cast<int>(m_items.size());
}

void StringArray::FromMultiString(const char* list) {
    Clear();
    if (list == nullptr)
        return;
    while (*list) {
        std::string item(list);
        list += item.size() + 1;
        m_items.push_back(std::move(item));
    }
    Count = static_cast<int>(m_items.size());
}

std::string StringArray::At(unsigned int index) const {
    if (index < m_items.size())
        return m_items[index];
    MessageBoxW(nullptr, u"지정한 인덱스가 범위를 초과했습니다.", nullptr, MB_OK);
    return std::string();
}
