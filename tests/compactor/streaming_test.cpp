// The compactor streams: what it holds between pieces does not grow with the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "compactor/compactor.h"

namespace {

using compactor::Compactor;

constexpr size_t kPiece = 64 * 1024;

// Feeds `pieces` copies of `piece` and gives the most the compactor held between two of them.
size_t mostHeld(const std::string& piece, size_t pieces, std::string* lastOutput = nullptr) {
    Compactor compactor;
    std::string out;
    size_t most = 0;
    for (size_t i = 0; i < pieces; ++i) {
        out.clear();
        compactor.Put(piece, out);
        most = std::max(most, compactor.HeldCharacters());
    }
    compactor.Finish(out);
    if (lastOutput != nullptr)
        *lastOutput = out;
    return most;
}

std::string repeatedTo(const std::string& unit, size_t size) {
    std::string text;
    while (text.size() < size)
        text += unit;
    return text.substr(0, size);
}

TEST(Streaming, OrdinaryScriptHoldsOnlyAFewCharacters) {
    const std::string piece =
        repeatedTo("var  a = 'x' + \"y\\\\\" ;\n/* c */ if ( a ) {\n  b ++ ;\n}\n// d\n", kPiece);
    EXPECT_LE(mostHeld(piece, 160), 8u); // ten megabytes
}

TEST(Streaming, LongBlockCommentIsSkippedNotHeld) {
    std::string out;
    Compactor compactor;
    compactor.Put("a = 1 ; /*", out);
    const std::string comment = repeatedTo("comment text * / ", kPiece);
    for (int i = 0; i < 100; ++i) {
        compactor.Put(comment, out);
        ASSERT_LE(compactor.HeldCharacters(), 8u);
    }
    compactor.Put("*/ b = 2 ;", out);
    compactor.Finish(out);
    EXPECT_EQ(out, "a=1;b=2;");
}

TEST(Streaming, LongLineCommentIsSkippedNotHeld) {
    std::string out;
    Compactor compactor;
    compactor.Put("a = 1 // ", out);
    const std::string comment = repeatedTo("no line end here ", kPiece);
    for (int i = 0; i < 100; ++i) {
        compactor.Put(comment, out);
        ASSERT_LE(compactor.HeldCharacters(), 8u);
    }
    compactor.Put("\nb", out);
    compactor.Finish(out);
    EXPECT_EQ(out, "a=1\nb");
}

// Blanks inside a string may turn out to be the end of the text, so the trailing pass holds them
// until something else follows.
TEST(Streaming, BlanksInsideStringAreHeldUntilSomethingFollows) {
    std::string out;
    Compactor compactor;
    compactor.Put("s = \"", out);
    const std::string blanks(kPiece, ' ');
    compactor.Put(blanks, out);
    compactor.Put(blanks, out);
    EXPECT_GE(compactor.HeldCharacters(), 2 * kPiece);
    compactor.Put("x\" ;", out);
    EXPECT_LE(compactor.HeldCharacters(), 2u);
    compactor.Finish(out);
    EXPECT_EQ(out, "s=\"" + blanks + blanks + "x\";");
}

TEST(Streaming, OutputComesAsInputArrives) {
    Compactor compactor;
    std::string out;
    compactor.Put("var a = 1 ;\nvar b = 2 ;\n", out);
    // Only the last semicolon waits, since what follows it is not known yet.
    EXPECT_EQ(out, "var a=1;var b=2");
    compactor.Finish(out);
    EXPECT_EQ(out, "var a=1;var b=2;");
}

} // namespace
