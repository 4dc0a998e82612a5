// UTF-8 text in another encoding, by glibc iconv (the peer the code-page tables must agree with).
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace xmltest {

inline std::string Iconv(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = out.size();
    char* o = out.data();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace xmltest
