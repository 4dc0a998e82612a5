#include "ansi_codepage.h"

#include <cerrno>
#include <iconv.h>

namespace qx::registry::detail {

namespace {

// One converter per thread and direction, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the input; on an invalid or unmappable sequence it writes the replacement and
    // skips `skip` input bytes.
    std::string Run(std::string_view input, std::string_view replacement, std::size_t skip) {
        std::string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, sizeof buffer - outLeft);
            if (rc != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a cut-off sequence at the end): replace and go on.
            out += replacement;
            const std::size_t step = inLeft < skip ? inLeft : skip;
            in += step;
            inLeft -= step;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

std::u16string AnsiToWide(std::string_view ansi) {
    thread_local Converter converter("UTF-16LE", "CP949");
    const std::string bytes = converter.Run(ansi, std::string_view("\xFD\xFF", 2), 1);
    std::u16string wide(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return wide;
}

std::string WideToAnsi(std::u16string_view wide) {
    thread_local Converter converter("CP949", "UTF-16LE");
    std::string bytes(wide.size() * 2, '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(wide[i] >> 8);
    }
    return converter.Run(bytes, "?", 2);
}

} // namespace qx::registry::detail
