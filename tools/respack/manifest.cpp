#include "manifest.h"
#include "dialog_block.h"
#include "manifest_text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace respack {
namespace {

constexpr std::uint16_t kBitmap = 2, kIcon = 3, kDialog = 5, kString = 6, kRcData = 10, kGroupIcon = 14,
                        kVersion = 16, kHtml = 23;

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
        {"ICON", kIcon}, {"VERSION", kVersion}, {"RCDATA", kRcData}};
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

// An icon file becomes one RT_ICON per image (ids counted from `nextIcon`) and the directory.
void AddIcon(Manifest& m, const Key& name, std::uint16_t language, const std::vector<std::uint8_t>& file,
             std::uint16_t& nextIcon) {
    if (file.size() < 6 || Get16(file, 0) != 0 || Get16(file, 2) != 1) {
        throw std::runtime_error("not an icon file");
    }
    std::uint16_t count = Get16(file, 4);
    if (count == 0 || file.size() < 6 + 16u * count) {
        throw std::runtime_error("damaged icon file");
    }
    std::vector<std::uint8_t> group;
    Put16(group, 0);
    Put16(group, 1);
    Put16(group, count);
    for (std::uint16_t i = 0; i < count; ++i) {
        std::size_t e = 6 + 16u * i;
        std::uint32_t size = Get32(file, e + 8);
        std::uint32_t offset = Get32(file, e + 12);
        if (offset > file.size() || size > file.size() - offset) {
            throw std::runtime_error("damaged icon file");
        }
        if (nextIcon == 0) {
            throw std::runtime_error("too many icon images");
        }
        std::uint16_t id = nextIcon++;
        Resource image{Key{kIcon, {}}, Key{id, {}}, language,
                       std::vector<std::uint8_t>(file.begin() + offset, file.begin() + offset + size)};
        m.resources.push_back(std::move(image));
        group.insert(group.end(), file.begin() + e, file.begin() + e + 12); // width .. bytes in image
        Put16(group, id);
    }
    m.resources.push_back(Resource{Key{kGroupIcon, {}}, name, language, std::move(group)});
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
    std::optional<VersionBlock> version;
    struct OpenDialog {
        Key name;
        std::uint16_t language = 0;
        DialogBlock block;
    };
    std::optional<OpenDialog> dialog;
    std::string line;
    int number = 0;
    try {
        while (std::getline(in, line)) {
            ++number;
            auto t = Tokenize(line);
            if (t.empty()) {
                continue;
            }
            if (dialog) {
                if (t[0].text == "end" && t.size() == 1) {
                    m.resources.push_back(
                        Resource{Key{kDialog, {}}, dialog->name, dialog->language, dialog->block.Build()});
                    dialog.reset();
                } else {
                    dialog->block.AddLine(t);
                }
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
            if (type == Key{kDialog, {}} && t.size() == 4 && t[3].text == "begin") {
                dialog = OpenDialog{NameKey(t[1]), language, DialogBlock{}};
                continue;
            }
            if (t.size() != 5 || t[3].text != "file") {
                throw std::runtime_error("expected TYPE NAME LANGUAGE file PATH");
            }
            auto path = find(t[4].text);
            m.inputs.push_back(path);
            auto data = ReadFile(path);
            if (type == Key{kIcon, {}}) {
                AddIcon(m, NameKey(t[1]), language, data, nextIcon);
            } else {
                m.resources.push_back(
                    Resource{type, NameKey(t[1]), language,
                             type == Key{kBitmap, {}} ? BitmapData(std::move(data)) : data});
            }
        }
        if (version || dialog) {
            throw std::runtime_error(std::string(version ? "version" : "dialog") + " block without \"end\"");
        }
    } catch (const std::exception& e) {
        throw std::runtime_error(manifestPath.string() + ":" + std::to_string(number) + ": " + e.what());
    }
    AddStringTables(m, strings);
    return m;
}

} // namespace respack
