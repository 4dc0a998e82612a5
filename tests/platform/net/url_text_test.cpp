// UrlCombineA and UrlCanonicalizeA: tables of results and the buffer conventions.
#include "shlwapi_url.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Combine(const char* base, const char* relative, DWORD flags = 0) {
    char buffer[1024];
    DWORD size = sizeof buffer;
    EXPECT_EQ(UrlCombineA(base, relative, buffer, &size, flags), S_OK);
    EXPECT_EQ(size, std::char_traits<char>::length(buffer));
    return buffer;
}

std::string Canonical(const char* url, DWORD flags = 0) {
    char buffer[1024];
    DWORD size = sizeof buffer;
    EXPECT_EQ(UrlCanonicalizeA(url, buffer, &size, flags), S_OK);
    return buffer;
}

TEST(UrlCombine, Table) {
    struct Case {
        const char* base;
        const char* relative;
        DWORD flags;
        const char* expected;
    };
    const Case cases[] = {
        {"http://host/dir/page.htm", "a.gif", 0, "http://host/dir/a.gif"},
        {"http://host/dir/page.htm", "../a.gif", 0, "http://host/a.gif"},
        {"http://host/dir/page.htm", "../../../a.gif", 0, "http://host/a.gif"},
        {"http://host/dir/page.htm", "./sub/./a.gif", 0, "http://host/dir/sub/a.gif"},
        {"http://host/dir/page.htm", "/root.css", 0, "http://host/root.css"},
        {"http://host/dir/page.htm", "//other/x.js", 0, "http://other/x.js"},
        {"https://host/dir/page.htm", "//other/x.js", 0, "https://other/x.js"},
        {"http://host/dir/page.htm?q=1", "", 0, "http://host/dir/page.htm?q=1"},
        {"http://host/dir/page.htm?q=1", "?r=2", 0, "http://host/dir/page.htm?r=2"},
        {"http://host/dir/page.htm", "#top", 0, "http://host/dir/page.htm#top"},
        {"http://host/dir/page.htm", "a.gif?x=1#f", 0, "http://host/dir/a.gif?x=1#f"},
        {"http://host", "a.gif", 0, "http://host/a.gif"},
        {"http://host/dir/", "sub\\a.gif", 0, "http://host/dir/sub/a.gif"},
        {"http://host/dir/", "file:///c:/x.gif", 0, "file:///c:/x.gif"},
        {"http://host/dir/", "HTTP://Other/y.gif", 0, "http://Other/y.gif"},
        // "%" that starts an escape is never escaped again, with or without URL_ESCAPE_PERCENT.
        {"http://host/dir/", "a%20b.gif", URL_ESCAPE_PERCENT, "http://host/dir/a%20b.gif"},
        {"http://host/dir/", "a%20b.gif", 0, "http://host/dir/a%20b.gif"},
        {"http://host/dir/", "100%.gif", URL_ESCAPE_PERCENT, "http://host/dir/100%25.gif"},
        {"http://host/dir/", "100%.gif", 0, "http://host/dir/100%.gif"},
        {"http://host/dir/", "a b.gif", 0, "http://host/dir/a%20b.gif"},
        {"http://host/dir/", "a b.gif", URL_ESCAPE_SPACES_ONLY, "http://host/dir/a%20b.gif"},
        {"http://host/dir/", "a%20b.gif", URL_UNESCAPE, "http://host/dir/a b.gif"},
        {"http://host/dir/", "a/../b.gif", URL_DONT_SIMPLIFY, "http://host/dir/a/../b.gif"},
        // Drive-letter bases and file URLs.
        {"c:/doc/", "a.gif", URL_ESCAPE_PERCENT, "file:///c:/doc/a.gif"},
        {"c:\\doc\\form.htm", "img\\a.gif", 0, "file:///c:/doc/img/a.gif"},
        {"c:/", "a%20b.gif", URL_ESCAPE_PERCENT, "file:///c:/a%20b.gif"},
        {"file://c:/dir/page.htm", "x.gif", 0, "file:///c:/dir/x.gif"},
        {"file://c:\\test.html", "x.gif", 0, "file:///c:/x.gif"},
        {"file:///c:/dir/page.htm", "../../../x.gif", 0, "file:///c:/x.gif"},
        {"file:///c:/dir/page.htm", "/top.gif", 0, "file:///c:/top.gif"},
        {"file:///c:/dir/page.htm", "/d:/other.gif", 0, "file:///d:/other.gif"},
        {"file:///c:/dir/page.htm", "d:\\other.gif", 0, "file:///d:/other.gif"},
        {"file:///home/u/page.htm", "a.gif", 0, "file:///home/u/a.gif"},
        {"/home/u/", "a.gif", URL_ESCAPE_PERCENT, "file:///home/u/a.gif"},
        {"c:/my docs/", "a.gif", 0, "file:///c:/my%20docs/a.gif"},
        {"c:/my%20docs/", "a.gif", URL_ESCAPE_PERCENT, "file:///c:/my%20docs/a.gif"},
        {"c:/doc/", "\xc7\xd1\xb1\xdb.gif", 0, "file:///c:/doc/\xc7\xd1\xb1\xdb.gif"},
        {"res://velkor.so/23/toolbar.htm", "a.gif", 0, "res://velkor.so/23/a.gif"},
        // Bases without a scheme, and opaque ones.
        {"host/dir/", "a.gif", 0, "host/dir/a.gif"},
        {"about:blank", "a.gif", 0, "a.gif"},
        {"http://host/", "javascript:go()", 0, "javascript:go()"},
        {"http://host/", "mailto:a@b", 0, "mailto:a@b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.relative);
        EXPECT_EQ(Combine(c.base, c.relative, c.flags), c.expected);
    }
}

TEST(UrlCanonicalize, Table) {
    struct Case {
        const char* url;
        DWORD flags;
        const char* expected;
    };
    const Case cases[] = {
        {"HTTP://host", 0, "http://host/"},
        {"http://host/a/./b/../c.htm", 0, "http://host/a/c.htm"},
        {"http://host/a b.htm", 0, "http://host/a%20b.htm"},
        {"http://host/a%20b.htm", 0, "http://host/a%20b.htm"},
        {"http://host/a%20b.htm", URL_UNESCAPE, "http://host/a b.htm"},
        {"http://host/a%3Fb%23c%20d", URL_UNESCAPE, "http://host/a%3Fb%23c d"},
        {"http://host/a%2541", URL_UNESCAPE, "http://host/a%41"},
        {"http://host/a\tb", 0, "http://host/a%09b"},
        {"http://host/a\tb c", URL_ESCAPE_SPACES_ONLY, "http://host/a\tb%20c"},
        {"http://host/p?a b#c d", URL_DONT_ESCAPE_EXTRA_INFO, "http://host/p?a b#c d"},
        {"http://host/p?a b", 0, "http://host/p?a%20b"},
        {"http://host/100%", URL_ESCAPE_PERCENT, "http://host/100%25"},
        {"  http://host/x  ", 0, "http://host/x"},
        {"c:\\dir\\x.htm", 0, "file:///c:/dir/x.htm"},
        {"file://c:/dir/x.htm", 0, "file:///c:/dir/x.htm"},
        {"file://localhost/home/x", 0, "file:///home/x"},
        {"c:\\a#b.htm", 0, "file:///c:/a%23b.htm"},
        {"javascript:a b", 0, "javascript:a b"},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(Canonical(c.url, c.flags), c.expected);
    }
}

TEST(UrlBuffers, TooSmallGivesTheNeededSize) {
    const char* base = "http://host/dir/";
    const char* expected = "http://host/dir/a.gif"; // 21 characters
    char buffer[64];
    DWORD size = 21;
    EXPECT_EQ(UrlCombineA(base, "a.gif", buffer, &size, 0), E_POINTER);
    EXPECT_EQ(size, 22u);
    EXPECT_EQ(UrlCombineA(base, "a.gif", buffer, &size, 0), S_OK);
    EXPECT_EQ(size, 21u);
    EXPECT_STREQ(buffer, expected);
    size = 64;
    EXPECT_EQ(UrlCombineA(base, "a.gif", nullptr, &size, 0), E_POINTER);
    EXPECT_EQ(size, 22u);
    size = 5;
    EXPECT_EQ(UrlCanonicalizeA("http://host/", buffer, &size, 0), E_POINTER);
    EXPECT_EQ(size, 13u);
    EXPECT_EQ(UrlCombineA(nullptr, "a", buffer, &size, 0), E_INVALIDARG);
    EXPECT_EQ(UrlCombineA(base, nullptr, buffer, &size, 0), E_INVALIDARG);
    EXPECT_EQ(UrlCombineA(base, "a", buffer, nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(UrlCanonicalizeA(nullptr, buffer, &size, 0), E_INVALIDARG);
}

} // namespace
