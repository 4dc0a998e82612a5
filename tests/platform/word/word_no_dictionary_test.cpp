// Without a dictionary the word processor does not start: the spelling check then tells the user
// it was not found instead of finding nothing. This program runs with QX_HUNSPELL_DIR naming a
// folder that does not exist.
#include "word_test_support.h"

namespace {

class WordWithoutDictionaries : public qxtest::ComponentFileTest {
protected:
    WordWithoutDictionaries() : ComponentFileTest(QX_WORD_COMPONENT) {}
};

TEST_F(WordWithoutDictionaries, CreationFails) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Word.Application", &clsid), S_OK);
    void* application = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, wordtest::kApplicationIid, &application),
              CO_E_SERVER_EXEC_FAILURE);
    EXPECT_EQ(application, nullptr);
}

} // namespace
