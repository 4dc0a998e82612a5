#include "manifest.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace respack {
namespace {

constexpr std::uint16_t kCursor = 1, kBitmap = 2, kIcon = 3, kDialog = 5, kString = 6, kRcData = 10,
                        kGroupCursor = 12, kGroupIcon = 14, kVersion = 16, kHtml = 23;

std::u16string Utf8ToUtf16(const std::string& s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (extra == 9) {
            throw std::runtime_error("text is not UTF-8");
        }
        char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                throw std::runtime_error("text is not UTF-8");
            }
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

struct Token {
    std::string text;
    bool quoted = false;
};

std::vector<Token> Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') {
            break;
        }
        Token t;
        if (c == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size()) {
                    char e = line[i++];
                    switch (e) {
                    case 'n':
                        t.text.push_back('\n');
                        break;
                    case 'r':
                        t.text.push_back('\r');
                        break;
                    case 't':
                        t.text.push_back('\t');
                        break;
                    case '\\':
                    case '"':
                        t.text.push_back(e);
                        break;
                    default:
                        throw std::runtime_error(std::string("unknown escape \\") + e);
                    }
                    continue;
                }
                t.text.push_back(d);
            }
            if (!closed) {
                throw std::runtime_error("unterminated string");
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
                t.text.push_back(line[i++]);
            }
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

unsigned long Number(const Token& t, unsigned long max, const char* what) {
    if (t.quoted || t.text.empty() ||
        !std::all_of(t.text.begin(), t.text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (t.text.size() > 2 && t.text[0] == '0' && (t.text[1] == 'x' || t.text[1] == 'X')) {
            std::size_t used = 0;
            unsigned long v = std::stoul(t.text.substr(2), &used, 16);
            if (used == t.text.size() - 2 && v <= max) {
                return v;
            }
        }
        throw std::runtime_error(std::string("bad ") + what + " '" + t.text + "'");
    }
    unsigned long v = std::stoul(t.text);
    if (v > max) {
        throw std::runtime_error(std::string(what) + " out of range: " + t.text);
    }
    return v;
}

Key NameKey(const Token& t) {
    if (!t.quoted && !t.text.empty() && t.text[0] >= '0' && t.text[0] <= '9') {
        unsigned long v = Number(t, 0xFFFF, "id");
        if (v == 0) {
            throw std::runtime_error("id 0 is not allowed");
        }
        return Key{static_cast<std::uint16_t>(v), {}};
    }
    if (t.text.empty() || t.text.size() > 255) {
        throw std::runtime_error("bad resource name");
    }
    return Key{0, Utf8ToUtf16(t.text)};
}

Key TypeKey(const Token& t) {
    static const std::map<std::string, std::uint16_t> numbered = {
        {"HTML", kHtml}, {"STRING", kString},   {"DIALOG", kDialog}, {"BITMAP", kBitmap},
        {"ICON", kIcon}, {"VERSION", kVersion}, {"RCDATA", kRcData}, {"CURSOR", kCursor}};
    if (!t.quoted) {
        if (auto it = numbered.find(t.text); it != numbered.end()) {
            return Key{it->second, {}};
        }
        if (t.text == "REGISTRY" || t.text == "TYPELIB") {
            return Key{0, Utf8ToUtf16(t.text)};
        }
        if (!t.text.empty() && t.text[0] >= '0' && t.text[0] <= '9') {
            return NameKey(t);
        }
        throw std::runtime_error("unknown resource type '" + t.text + "'");
    }
    return NameKey(t);
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A bitmap resource is the file without its 14-byte file header, as the resource compiler keeps it.
std::vector<std::uint8_t> BitmapData(std::vector<std::uint8_t> file) {
    if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') {
        throw std::runtime_error("not a BMP file");
    }
    file.erase(file.begin(), file.begin() + 14);
    return file;
}

// An icon file becomes one RT_ICON per image (ids counted from `nextImage`) and the directory;
// a cursor file (the same layout with type 2 and a hot spot in place of planes and bit count)
// becomes one RT_CURSOR per image, its hot spot first, and an RT_GROUP_CURSOR whose entries
// give the width, the doubled height of image and mask, planes, bit count, size and id.
void AddImageGroup(Manifest& m, const Key& name, std::uint16_t language,
                   const std::vector<std::uint8_t>& file, std::uint16_t& nextImage, bool cursor) {
    const char* what = cursor ? "cursor file" : "icon file";
    if (file.size() < 6 || Get16(file, 0) != 0 || Get16(file, 2) != (cursor ? 2 : 1)) {
        throw std::runtime_error(std::string(cursor ? "not a " : "not an ") + what);
    }
    std::uint16_t count = Get16(file, 4);
    if (count == 0 || file.size() < 6 + 16u * count) {
        throw std::runtime_error(std::string("damaged ") + what);
    }
    std::vector<std::uint8_t> group;
    Put16(group, 0);
    Put16(group, cursor ? 2 : 1);
    Put16(group, count);
    for (std::uint16_t i = 0; i < count; ++i) {
        std::size_t e = 6 + 16u * i;
        std::uint32_t size = Get32(file, e + 8);
        std::uint32_t offset = Get32(file, e + 12);
        if (offset > file.size() || size > file.size() - offset) {
            throw std::runtime_error(std::string("damaged ") + what);
        }
        if (nextImage == 0) {
            throw std::runtime_error(cursor ? "too many cursor images" : "too many icon images");
        }
        std::uint16_t id = nextImage++;
        std::vector<std::uint8_t> image;
        if (cursor) {
            Put16(image, Get16(file, e + 4)); // hot spot
            Put16(image, Get16(file, e + 6));
        }
        image.insert(image.end(), file.begin() + offset, file.begin() + offset + size);
        m.resources.push_back(Resource{Key{cursor ? kCursor : kIcon, {}}, Key{id, {}}, language, image});
        if (cursor) {
            std::uint16_t width = file[e] == 0 ? 256 : file[e];
            std::uint16_t height = file[e + 1] == 0 ? 256 : file[e + 1];
            std::uint16_t bits = size >= 16 ? Get16(file, offset + 14) : 0;
            Put16(group, width);
            Put16(group, height * 2u);
            Put16(group, 1);
            Put16(group, bits);
            Put32(group, static_cast<std::uint32_t>(image.size()));
        } else {
            group.insert(group.end(), file.begin() + e, file.begin() + e + 12); // width .. bytes in image
        }
        Put16(group, id);
    }
    m.resources.push_back(
        Resource{Key{cursor ? kGroupCursor : kGroupIcon, {}}, name, language, std::move(group)});
}

struct VersionBlock {
    std::uint16_t language = 0;
    Key name;
    std::uint32_t fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
    std::uint32_t flags = 0, fileType = 2 /* VFT_DLL */, fileOS = 0x40004 /* VOS_NT_WINDOWS32 */;
    std::uint16_t codePage = 1200;
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

void FourNumbers(const Token& t, std::uint32_t& ms, std::uint32_t& ls) {
    std::stringstream in(t.text);
    unsigned long part[4];
    char dot;
    for (int i = 0; i < 4; ++i) {
        std::string piece;
        std::getline(in, piece, '.');
        part[i] = Number(Token{piece, false}, 0xFFFF, "version part");
    }
    if (in >> dot) {
        throw std::runtime_error("a version has four parts: " + t.text);
    }
    ms = static_cast<std::uint32_t>((part[0] << 16) | part[1]);
    ls = static_cast<std::uint32_t>((part[2] << 16) | part[3]);
}

// Writes one version block: length, value length, type, key, value, children, 32-bit aligned.
class VersionWriter {
public:
    std::size_t Begin(const std::u16string& key, std::uint16_t valueLength, std::uint16_t type) {
        Align();
        std::size_t start = out.size();
        Put16(out, 0);
        Put16(out, valueLength);
        Put16(out, type);
        for (char16_t c : key) {
            Put16(out, c);
        }
        Put16(out, 0);
        Align();
        return start;
    }
    void End(std::size_t start) {
        std::size_t length = out.size() - start;
        if (length > 0xFFFF) {
            throw std::runtime_error("version information too large");
        }
        out[start] = static_cast<std::uint8_t>(length & 0xFF);
        out[start + 1] = static_cast<std::uint8_t>(length >> 8);
    }
    void Align() {
        while (out.size() % 4 != 0) {
            out.push_back(0);
        }
    }
    std::vector<std::uint8_t> out;
};

std::vector<std::uint8_t> BuildVersion(const VersionBlock& v) {
    VersionWriter w;
    std::size_t root = w.Begin(u"VS_VERSION_INFO", 52, 0);
    for (std::uint32_t value : {0xFEEF04BDu, 0x00010000u, v.fileMS, v.fileLS, v.productMS, v.productLS, 0x3Fu,
                                v.flags, v.fileOS, v.fileType, 0u, 0u, 0u}) {
        Put32(w.out, value);
    }
    char table[9];
    std::snprintf(table, sizeof(table), "%04x%04x", v.language, v.codePage);
    std::size_t sfi = w.Begin(u"StringFileInfo", 0, 1);
    std::size_t st = w.Begin(std::u16string(table, table + 8), 0, 1);
    for (const auto& [key, value] : v.strings) {
        std::size_t s = w.Begin(key, static_cast<std::uint16_t>(value.size() + 1), 1);
        for (char16_t c : value) {
            Put16(w.out, c);
        }
        Put16(w.out, 0);
        w.End(s);
    }
    w.End(st);
    w.End(sfi);
    std::size_t vfi = w.Begin(u"VarFileInfo", 0, 1);
    std::size_t var = w.Begin(u"Translation", 4, 0);
    Put16(w.out, v.language);
    Put16(w.out, v.codePage);
    w.End(var);
    w.End(vfi);
    w.End(root);
    return w.out;
}

// Builds the RT_STRING blocks: block n + 1 holds the strings 16n .. 16n + 15 of one language.
void AddStringTables(Manifest& m,
                     const std::map<std::pair<std::uint16_t, std::uint16_t>, std::u16string>& strings) {
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::vector<std::u16string>> blocks;
    for (const auto& [key, text] : strings) {
        auto& block = blocks[{key.first, static_cast<std::uint16_t>((key.second >> 4) + 1)}];
        block.resize(16);
        block[key.second & 15] = text;
    }
    for (const auto& [key, block] : blocks) {
        std::vector<std::uint8_t> data;
        for (const auto& text : block) {
            Put16(data, static_cast<std::uint32_t>(text.size()));
            for (char16_t c : text) {
                Put16(data, c);
            }
        }
        m.resources.push_back(Resource{Key{kString, {}}, Key{key.second, {}}, key.first, std::move(data)});
    }
}

} // namespace

Manifest ReadManifest(const std::filesystem::path& manifestPath,
                      const std::vector<std::filesystem::path>& search) {
    Manifest m;
    m.inputs.push_back(std::filesystem::absolute(manifestPath));
    std::ifstream in(manifestPath);
    if (!in) {
        throw std::runtime_error("cannot read " + manifestPath.string());
    }
    auto find = [&](const std::string& name) {
        std::filesystem::path p(name);
        if (p.is_absolute()) {
            return p;
        }
        std::vector<std::filesystem::path> places{manifestPath.parent_path()};
        places.insert(places.end(), search.begin(), search.end());
        for (const auto& dir : places) {
            if (std::filesystem::exists(dir / p)) {
                return std::filesystem::absolute(dir / p);
            }
        }
        throw std::runtime_error("file not found: " + name);
    };
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::u16string> strings; // (language, id)
    std::uint16_t nextIcon = 1;
    std::uint16_t nextCursor = 1;
    std::optional<VersionBlock> version;
    std::string line;
    int number = 0;
    try {
        while (std::getline(in, line)) {
            ++number;
            auto t = Tokenize(line);
            if (t.empty()) {
                continue;
            }
            if (version) {
                if (t[0].text == "end" && t.size() == 1) {
                    m.resources.push_back(Resource{Key{kVersion, {}}, version->name, version->language,
                                                   BuildVersion(*version)});
                    version.reset();
                } else if (t[0].text == "FileVersion" && t.size() == 2) {
                    FourNumbers(t[1], version->fileMS, version->fileLS);
                } else if (t[0].text == "ProductVersion" && t.size() == 2) {
                    FourNumbers(t[1], version->productMS, version->productLS);
                } else if (t[0].text == "FileFlags" && t.size() == 2) {
                    version->flags = static_cast<std::uint32_t>(Number(t[1], 0x3F, "file flags"));
                } else if (t[0].text == "FileType" && t.size() == 2 &&
                           (t[1].text == "dll" || t[1].text == "app")) {
                    version->fileType = t[1].text == "dll" ? 2 : 1;
                } else if (t[0].text == "CodePage" && t.size() == 2) {
                    version->codePage = static_cast<std::uint16_t>(Number(t[1], 0xFFFF, "code page"));
                } else if (t[0].text == "string" && t.size() == 3 && !t[1].text.empty()) {
                    version->strings.emplace_back(Utf8ToUtf16(t[1].text), Utf8ToUtf16(t[2].text));
                } else {
                    throw std::runtime_error("unknown line in a version block");
                }
                continue;
            }
            if (t.size() < 4) {
                throw std::runtime_error("expected TYPE NAME LANGUAGE and a source");
            }
            Key type = TypeKey(t[0]);
            auto language = static_cast<std::uint16_t>(Number(t[2], 0xFFFF, "language"));
            if (type == Key{kString, {}}) {
                Key id = NameKey(t[1]);
                if (id.id == 0 && t[1].text != "0") {
                    throw std::runtime_error("string ids are numbers");
                }
                if (t.size() != 4 || !t[3].quoted) {
                    throw std::runtime_error("expected STRING ID LANGUAGE \"text\"");
                }
                if (!strings.emplace(std::make_pair(language, id.id), Utf8ToUtf16(t[3].text)).second) {
                    throw std::runtime_error("string " + t[1].text + " given twice");
                }
                continue;
            }
            if (type == Key{kVersion, {}}) {
                if (t.size() != 4 || t[3].text != "begin") {
                    throw std::runtime_error("expected VERSION NAME LANGUAGE begin");
                }
                version = VersionBlock{};
                version->language = language;
                version->name = NameKey(t[1]);
                continue;
            }
            if (t.size() != 5 || t[3].text != "file") {
                throw std::runtime_error("expected TYPE NAME LANGUAGE file PATH");
            }
            auto path = find(t[4].text);
            m.inputs.push_back(path);
            auto data = ReadFile(path);
            if (type == Key{kIcon, {}} || type == Key{kCursor, {}}) {
                bool cursor = type == Key{kCursor, {}};
                AddImageGroup(m, NameKey(t[1]), language, data, cursor ? nextCursor : nextIcon, cursor);
            } else {
                m.resources.push_back(
                    Resource{type, NameKey(t[1]), language,
                             type == Key{kBitmap, {}} ? BitmapData(std::move(data)) : data});
            }
        }
        if (version) {
            throw std::runtime_error("version block without \"end\"");
        }
    } catch (const std::exception& e) {
        throw std::runtime_error(manifestPath.string() + ":" + std::to_string(number) + ": " + e.what());
    }
    AddStringTables(m, strings);
    return m;
}

} // namespace respack
