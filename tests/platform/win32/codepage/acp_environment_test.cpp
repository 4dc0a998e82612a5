// QX_ACP=1252 is set for this program by its test registration.
#include <gtest/gtest.h>

#include "stringapiset.h"
#include "winnls.h"

TEST(AnsiCodePageFromEnvironment, IsTaken) {
    EXPECT_EQ(GetACP(), 1252u);
    WCHAR wide[2];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80", 1, wide, 2), 1);
    EXPECT_EQ(wide[0], u'\u20AC');
    EXPECT_FALSE(IsDBCSLeadByte(0xB0));
}
