#include "page_charset.h"

#include <winnls.h>

#include "html_tags.h"
#include "string_helpers.h"

namespace {

struct CharsetName {
    const char* label;
    UINT codePage;
};

// The labels browsers and mail programs write, with the system code page of each.
const CharsetName kCharsets[] = {
    {"utf-8", 65001},
    {"utf8", 65001},
    {"unicode-1-1-utf-8", 65001},
    {"euc-kr", 949},
    {"ks_c_5601-1987", 949},
    {"ks_c_5601-1989", 949},
    {"ks_c_5601", 949},
    {"ksc5601", 949},
    {"ksc_5601", 949},
    {"korean", 949},
    {"csksc56011987", 949},
    {"iso-ir-149", 949},
    {"cp949", 949},
    {"windows-949", 949},
    {"x-windows-949", 949},
    {"uhc", 949},
    {"us-ascii", 1252},
    {"ascii", 1252},
    {"iso-8859-1", 1252},
    {"iso8859-1", 1252},
    {"iso_8859-1", 1252},
    {"latin1", 1252},
    {"l1", 1252},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1252", 1252},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"cp1250", 1250},
    {"cp1251", 1251},
    {"cp1252", 1252},
    {"iso-8859-2", 28592},
    {"iso-8859-5", 28595},
    {"iso-8859-7", 28597},
    {"iso-8859-9", 28599},
    {"iso-8859-15", 28605},
    {"koi8-r", 20866},
    {"koi8-u", 21866},
    {"shift_jis", 932},
    {"shift-jis", 932},
    {"sjis", 932},
    {"windows-31j", 932},
    {"x-sjis", 932},
    {"euc-jp", 20932},
    {"gb2312", 936},
    {"gbk", 936},
    {"cp936", 936},
    {"x-gbk", 936},
    {"big5", 950},
    {"cp950", 950},
};

// An attribute's value without the single quotes the tag reader keeps.
std::string_view ValueOf(std::string_view html, const HtmlAttribute& attribute) {
    std::string_view value = html.substr(attribute.valueStart, attribute.valueLength);
    if (attribute.quote == '\'' && value.size() >= 2)
        value = value.substr(1, value.size() - 2);
    return value;
}

// The charset in a Content-Type value such as "text/html; charset=euc-kr".
std::string_view CharsetOfContent(std::string_view content) {
    for (size_t at = 0; at + 7 <= content.size(); ++at) {
        if (!EqualsNoCase(content.substr(at, 7), "charset"))
            continue;
        size_t pos = at + 7;
        while (pos < content.size() && IsHtmlSpace(content[pos]))
            ++pos;
        if (pos >= content.size() || content[pos] != '=')
            continue;
        ++pos;
        while (pos < content.size() && IsHtmlSpace(content[pos]))
            ++pos;
        if (pos < content.size() && (content[pos] == '"' || content[pos] == '\'')) {
            const size_t close = content.find(content[pos], pos + 1);
            if (close == std::string_view::npos)
                return std::string_view();
            return content.substr(pos + 1, close - pos - 1);
        }
        size_t end = pos;
        while (end < content.size() && !IsHtmlSpace(content[end]) && content[end] != ';')
            ++end;
        return content.substr(pos, end - pos);
    }
    return std::string_view();
}

} // namespace

UINT CodePageOfCharset(std::string_view label) {
    label = TrimWhite(label);
    for (const CharsetName& name : kCharsets) {
        if (EqualsNoCase(label, name.label))
            return IsValidCodePage(name.codePage) ? name.codePage : 0;
    }
    return 0;
}

std::string MetaCharset(std::string_view html) {
    HtmlTagReader reader(html);
    HtmlStartTag tag;
    while (reader.Next(tag)) {
        if (EqualsNoCase(tag.name, "body"))
            break;
        if (!EqualsNoCase(tag.name, "meta"))
            continue;
        if (const HtmlAttribute* charset = tag.Find("charset")) {
            if (charset->hasValue)
                return std::string(TrimWhite(ValueOf(html, *charset)));
        }
        const HtmlAttribute* equiv = tag.Find("http-equiv");
        const HtmlAttribute* content = tag.Find("content");
        if (equiv != nullptr && content != nullptr &&
            EqualsNoCase(TrimWhite(ValueOf(html, *equiv)), "content-type")) {
            const std::string_view charset = CharsetOfContent(ValueOf(html, *content));
            if (!charset.empty())
                return std::string(TrimWhite(charset));
        }
    }
    return std::string();
}
