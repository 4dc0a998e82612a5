#include "mime_parameter.h"

#include <cstring>

#include "mime_exception.h"
#include "mime_tokenizer.h"

namespace {

bool IsTSpecial(const MimeTokenizer& t, char c) {
    return t.Type() == MIME_TOKEN_TSPECIAL && t.Token()[0] == c;
}

// Skips tokens until the tspecial c has been passed; false at the end of the text.
bool SkipPast(MimeTokenizer& t, char c) {
    while (t.Type() != MIME_TOKEN_NULL && t.Type() != MIME_TOKEN_ERROR) {
        bool found = IsTSpecial(t, c);
        t.Next();
        if (found)
            return true;
    }
    return false;
}

bool IsTokenText(const MimeString& value) {
    if (value.empty())
        return false;
    for (size_t i = 0; i < value.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(value[i]);
        if (c <= ' ' || c >= 127 || std::strchr("()<>@,;:\\\"/[]?=", c) != nullptr)
            return false;
    }
    return true;
}

// The text of a quoted string without its quotes, backslash escapes undone.
MimeString Unquote(const MimeString& quoted) {
    size_t n = quoted.length();
    size_t begin = 1;
    size_t end = (n >= 2 && quoted[n - 1] == '"') ? n - 1 : n;
    std::string value;
    value.reserve(end - begin);
    for (size_t i = begin; i < end; ++i) {
        char c = quoted[i];
        if (c == '\\' && i + 1 < end)
            c = quoted[++i];
        value += c;
    }
    return MimeString(value);
}

} // namespace

MimeParameter::MimeParameter() : MimeMessageComponent(MIME_CLASS_PARAMETER, "MimeParameter") {}

MimeParameter::MimeParameter(const MimeString& text, MimeMessageComponent* parent)
    : MimeMessageComponent(text, parent, MIME_CLASS_PARAMETER, "MimeParameter") {}

std::unique_ptr<MimeMessageComponent> MimeParameter::Clone() const {
    return std::make_unique<MimeParameter>(*this);
}

void MimeParameter::Parse() {
    ClearModified();
    m_attribute.clear();
    m_value.clear();
    if (AsString().empty())
        return;
    MimeHeaderTokenizer t(AsString());
    while (t.Type() != MIME_TOKEN_NULL && t.Type() != MIME_TOKEN_ERROR && t.Type() != MIME_TOKEN_TOKEN)
        t.Next();
    if (t.Type() != MIME_TOKEN_TOKEN)
        return;
    m_attribute = t.Token();
    t.Next();
    if (!SkipPast(t, '='))
        return;
    if (t.Type() == MIME_TOKEN_TOKEN)
        m_value = t.Token();
    else if (t.Type() == MIME_TOKEN_QUOTED_STRING)
        m_value = Unquote(t.Token());
    if (MimeCompareNoCase(m_attribute, "boundary") == 0 && m_value.length() > 2 && m_value[0] == '\'' &&
        m_value[m_value.length() - 1] == '\'')
        m_value = m_value.substr(1, m_value.length() - 2);
}

void MimeParameter::Compose() {
    if (!IsModified())
        return;
    MimeString text;
    text.reserve(m_attribute.length() + m_value.length() + 4);
    // An extended (RFC 2231) value is percent-encoded and may not stand in quotes.
    if (!m_attribute.empty() && m_attribute[m_attribute.length() - 1] == '*' && IsTokenText(m_value)) {
        text.append(m_attribute).append("=").append(m_value);
        SetStringForm(text);
        ClearModified();
        return;
    }
    text.append(m_attribute).append("=\"");
    for (size_t i = 0; i < m_value.length(); ++i) {
        char c = m_value[i];
        if (c == '"' || c == '\\')
            text.append(1, '\\');
        text.append(1, c);
    }
    text.append("\"");
    SetStringForm(text);
    ClearModified();
}

void MimeParameter::SetAttribute(const MimeString& attribute) {
    m_attribute = attribute;
    SetModified();
}

void MimeParameter::SetValue(const MimeString& value) {
    m_value = value;
    SetModified();
}

MimeParameterList::MimeParameterList(const MimeParameterList& other, MimeMessageComponent* owner)
    : m_owner(owner) {
    CopyFrom(other);
}

void MimeParameterList::CopyFrom(const MimeParameterList& other) {
    std::vector<std::unique_ptr<MimeParameter>> items;
    items.reserve(other.m_items.size());
    for (const auto& item : other.m_items) {
        items.push_back(MimeCloneAs(*item));
        items.back()->SetParent(m_owner);
    }
    m_items.swap(items);
}

MimeParameter& MimeParameterList::At(size_t index) const {
    if (index >= m_items.size())
        throw MimeBoundsException();
    return *m_items[index];
}

void MimeParameterList::Add(std::unique_ptr<MimeParameter> parameter) {
    if (!parameter)
        return;
    parameter->SetParent(m_owner);
    m_items.push_back(std::move(parameter));
    m_owner->SetModified();
}

void MimeParameterList::Insert(size_t index, std::unique_ptr<MimeParameter> parameter) {
    if (index > m_items.size())
        throw MimeBoundsException();
    if (!parameter)
        return;
    parameter->SetParent(m_owner);
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(index), std::move(parameter));
    m_owner->SetModified();
}

std::unique_ptr<MimeParameter> MimeParameterList::Remove(size_t index) {
    if (index >= m_items.size())
        throw MimeBoundsException();
    std::unique_ptr<MimeParameter> parameter = std::move(m_items[index]);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    parameter->SetParent(nullptr);
    m_owner->SetModified();
    return parameter;
}

void MimeParameterList::DeleteAll() {
    m_items.clear();
    m_owner->SetModified();
}

MimeParameter* MimeParameterList::Find(const char* attribute) const {
    for (const auto& item : m_items)
        if (MimeCompareNoCase(item->Attribute(), attribute) == 0)
            return item.get();
    return nullptr;
}

void MimeParameterList::ComposeInto(MimeString& text, bool folding) {
    const char* separator = folding ? ";\n  " : "; ";
    for (auto& item : m_items) {
        item->Compose();
        text.append(separator).append(item->AsString());
    }
}

void MimeParameterList::ParseFrom(MimeTokenizer& t) {
    const MimeString& source = t.Text();
    while (SkipPast(t, ';')) {
        size_t mark = t.TokenStart();
        if (t.Type() != MIME_TOKEN_TOKEN)
            continue;
        t.Next();
        if (!SkipPast(t, '='))
            return;
        if (t.Type() != MIME_TOKEN_TOKEN && t.Type() != MIME_TOKEN_QUOTED_STRING)
            continue;
        t.Next();
        // The parameter's text runs up to the next token, without the blanks and folds before it.
        size_t end = t.TokenStart();
        while (end > mark && static_cast<unsigned char>(source[end - 1]) <= ' ')
            --end;
        std::unique_ptr<MimeParameter> parameter =
            CreateMimeParameter(MimeString(source, mark, end - mark), m_owner);
        parameter->Parse();
        m_items.push_back(std::move(parameter));
    }
}
