#include "code_page_table.h"

#include "qx/win32/utf.h"

#include <cerrno>
#include <iconv.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qx::win32 {
namespace {

// glibc names of the code pages that are not plainly "CP<number>".
std::string IconvName(UINT codePage) {
    if (codePage == 20127) {
        return "ANSI_X3.4-1968";
    }
    if (codePage >= 28591 && codePage <= 28606) {
        return "ISO-8859-" + std::to_string(codePage - 28590);
    }
    switch (codePage) {
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 51949:
        return "EUC-KR";
    case 20932:
        return "EUC-JP";
    default:
        return "CP" + std::to_string(codePage);
    }
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; the output length, or -1 (errno EINVAL or EILSEQ).
    int Convert(const char* in, size_t inLength, char* out, size_t outCapacity) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        char* dst = out;
        size_t left = inLength;
        size_t room = outCapacity;
        if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1)) {
            return -1;
        }
        // Flush a shift state, if the converter keeps one.
        if (iconv(cd_, nullptr, nullptr, &dst, &room) == static_cast<size_t>(-1)) {
            return -1;
        }
        return static_cast<int>(dst - out);
    }

private:
    iconv_t cd_;
};

// Lead byte ranges of the double-byte code pages as the system reports them. They include rows
// that iconv leaves unmapped (the user-defined rows C9 and FE of 949), whose bytes still pair
// up: such a pair becomes one default character, never two characters.
struct LeadRange {
    UINT codePage;
    unsigned char first;
    unsigned char last;
};
constexpr LeadRange kLeadRanges[] = {
    {932, 0x81, 0x9F}, {932, 0xE0, 0xFC}, {936, 0x81, 0xFE}, {949, 0x81, 0xFE}, {950, 0x81, 0xFE},
};

bool IsDocumentedLead(UINT codePage, int b) {
    for (const LeadRange& range : kLeadRanges) {
        if (range.codePage == codePage && b >= range.first && b <= range.last) {
            return true;
        }
    }
    return false;
}

// One UTF-16 unit from little-endian output of exactly two bytes.
char16_t SingleUnit(const unsigned char* out, int length) {
    if (length != 2) {
        return kUnmapped;
    }
    char16_t c = static_cast<char16_t>(out[0] | (out[1] << 8));
    return IsSurrogate(c) ? kUnmapped : c;
}

std::unique_ptr<CodePageTable> BuildTable(UINT codePage) {
    std::string name = IconvName(codePage);
    Converter decoder("UTF-16LE", name.c_str());
    Converter encoder(name.c_str(), "UTF-16LE");
    if (!decoder.ok() || !encoder.ok()) {
        return nullptr;
    }
    auto table = std::make_unique<CodePageTable>();
    table->codePage = codePage;
    unsigned char out[16];
    bool anyLead = false;
    std::vector<char16_t> pairs(65536, kUnmapped);
    for (int b = 0; b < 256; ++b) {
        char in[2] = {static_cast<char>(b), 0};
        int length = decoder.Convert(in, 1, reinterpret_cast<char*>(out), sizeof out);
        if (length >= 0) {
            table->single[b] = b == 0 ? u'\0' : SingleUnit(out, length);
            continue;
        }
        table->single[b] = kUnmapped;
        // A byte that does not stand alone may begin double-byte characters.
        bool lead = false;
        for (int t = 1; t < 256; ++t) {
            in[1] = static_cast<char>(t);
            length = decoder.Convert(in, 2, reinterpret_cast<char*>(out), sizeof out);
            char16_t c = length >= 0 ? SingleUnit(out, length) : kUnmapped;
            if (c != kUnmapped) {
                pairs[b * 256 + t] = c;
                lead = true;
            }
        }
        table->lead[b] = lead || IsDocumentedLead(codePage, b);
        anyLead = anyLead || table->lead[b];
    }
    if (anyLead) {
        table->pairs = std::move(pairs);
    }
    // A code page that is not single- or double-byte in this sense (a stateful or multi-byte
    // one) maps nothing beyond ASCII this way and is refused.
    int mapped = 0;
    for (int b = 0; b < 256; ++b) {
        mapped += table->single[b] != kUnmapped || table->lead[b];
    }
    if (mapped < 128) {
        return nullptr;
    }

    table->reverse.assign(65536, 0);
    for (unsigned c = 1; c < 65536; ++c) {
        if (IsSurrogate(static_cast<char16_t>(c))) {
            continue;
        }
        char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        int length = encoder.Convert(in, 2, reinterpret_cast<char*>(out), sizeof out);
        if (length == 1 && out[0] != 0) {
            table->reverse[c] = out[0];
        } else if (length == 2 && table->lead[out[0]]) {
            table->reverse[c] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
        }
    }
    table->asciiIdentity = true;
    for (int b = 0; b < 0x80; ++b) {
        if (table->lead[b] || table->single[b] != b || (b != 0 && table->reverse[b] != b)) {
            table->asciiIdentity = false;
        }
    }
    return table;
}

} // namespace

const CodePageTable* FindCodePageTable(UINT codePage) {
    static auto* lock = new std::mutex;
    static auto* tables = new std::map<UINT, std::unique_ptr<CodePageTable>>;
    if (codePage == 0 || codePage == 1200 || codePage == 1201 || codePage >= 65000) {
        return nullptr; // UTF-16 and UTF-7/UTF-8 are not table code pages
    }
    // Tables are never freed, so the last one found can be handed out without the lock.
    static std::atomic<const CodePageTable*> last{nullptr};
    const CodePageTable* recent = last.load(std::memory_order_acquire);
    if (recent != nullptr && recent->codePage == codePage) {
        return recent;
    }
    std::lock_guard guard(*lock);
    auto it = tables->find(codePage);
    if (it == tables->end()) {
        it = tables->emplace(codePage, BuildTable(codePage)).first;
    }
    if (it->second) {
        last.store(it->second.get(), std::memory_order_release);
    }
    return it->second.get();
}

} // namespace qx::win32
