// hunspell behind the dictionaries: the files are found by name, words cross to the dictionary's
// own encoding and suggestions come back from it. hunspell is not thread-safe, so one lock
// serialises the calls.
#include "dictionaries.h"

#include "qx/com/bstr.h"

#include <hunspell.hxx>
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>

namespace qx::word {
namespace {

constexpr const char* kDirectoryVariable = "QX_HUNSPELL_DIR";
constexpr const char* kDefaultDirectory = "/usr/share/hunspell";

bool IsUtf8(std::string_view encoding) {
    return encoding == "UTF-8" || encoding == "utf-8" || encoding == "UTF8" || encoding == "utf8";
}

// `text` from one encoding to another; what does not convert is dropped.
std::string Recode(const std::string& text, const std::string& from, const std::string& to) {
    iconv_t converter = iconv_open((to + "//IGNORE").c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            break;
        // An invalid or incomplete sequence: skip one byte and go on.
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

class Dictionary {
public:
    static std::unique_ptr<Dictionary> Load(const std::filesystem::path& directory, const std::string& name,
                                            std::u16string_view warmUpWord) {
        const auto aff = directory / (name + ".aff");
        const auto dic = directory / (name + ".dic");
        std::error_code ec;
        if (!std::filesystem::is_regular_file(aff, ec) || !std::filesystem::is_regular_file(dic, ec))
            return nullptr;
        auto dictionary = std::unique_ptr<Dictionary>(new Dictionary);
        dictionary->speller_ = std::make_unique<Hunspell>(aff.c_str(), dic.c_str());
        dictionary->encoding_ = dictionary->speller_->get_dict_encoding();
        // hunspell's suggestion search stops at a time limit, and a dictionary's first search
        // also pays for paging in and building its tables: without this run the first word
        // asked about could get fewer suggestions than the same word asked again.
        dictionary->speller_->suggest(dictionary->ToDictionary(warmUpWord));
        return dictionary;
    }

    bool Accepts(std::u16string_view word) { return speller_->spell(ToDictionary(word)); }

    std::vector<std::u16string> Suggest(std::u16string_view word) {
        std::vector<std::u16string> out;
        for (const std::string& suggestion : speller_->suggest(ToDictionary(word)))
            out.push_back(com::Utf8ToUtf16(FromDictionary(suggestion)));
        return out;
    }

private:
    std::string ToDictionary(std::u16string_view word) const {
        std::string utf8 = com::Utf16ToUtf8(word);
        return IsUtf8(encoding_) ? utf8 : Recode(utf8, "UTF-8", encoding_);
    }
    std::string FromDictionary(const std::string& text) const {
        return IsUtf8(encoding_) ? text : Recode(text, encoding_, "UTF-8");
    }

    std::unique_ptr<Hunspell> speller_;
    std::string encoding_;
};

class HunspellDictionaries final : public Dictionaries {
public:
    HunspellDictionaries(std::unique_ptr<Dictionary> english, std::unique_ptr<Dictionary> korean)
        : english_(std::move(english)), korean_(std::move(korean)) {}

    bool Accepts(std::u16string_view word, bool korean) override {
        std::lock_guard guard(lock_);
        Dictionary* dictionary = korean ? korean_.get() : english_.get();
        return !dictionary || dictionary->Accepts(word);
    }

    std::vector<std::u16string> Suggest(std::u16string_view word, bool korean) override {
        std::lock_guard guard(lock_);
        Dictionary* dictionary = korean ? korean_.get() : english_.get();
        return dictionary ? dictionary->Suggest(word) : std::vector<std::u16string>{};
    }

private:
    std::mutex lock_;
    std::unique_ptr<Dictionary> english_;
    std::unique_ptr<Dictionary> korean_;
};

Dictionaries* LoadDictionaries() {
    const char* configured = std::getenv(kDirectoryVariable);
    const std::filesystem::path directory = configured && *configured ? configured : kDefaultDirectory;
    auto english = Dictionary::Load(directory, "en_US", u"speling");
    auto korean = Dictionary::Load(directory, "ko", u"맞춤범");
    if (!english && !korean)
        return nullptr;
    return new HunspellDictionaries(std::move(english), std::move(korean));
}

} // namespace

Dictionaries* Dictionaries::Get() {
    // Kept for the process's life: loading the Korean dictionary takes long.
    static Dictionaries* const loaded = LoadDictionaries();
    return loaded;
}

} // namespace qx::word
