// Arbitrary property values through SetProps, SaveChanges and a fresh WABOpen: every value the
// book accepted comes back with its type and value (texts as the same characters, every line
// break as CR LF), and every refused one is absent.
#include <qx/com/comptr.h>
#include <qx/win32/codepage.h>
#include <wabapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern "C" HRESULT WABOpen(LPADRBOOK*, LPWABOBJECT*, LPWAB_PARAM, DWORD);

namespace {

using qx::com::ComPtr;

std::string g_file;

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t Byte() {
        if (n == 0)
            return 0;
        --n;
        return *p++;
    }
    std::string Bytes(size_t limit) {
        size_t count = std::min<size_t>(Byte() % (limit + 1), n);
        std::string s(reinterpret_cast<const char*>(p), count);
        p += count;
        n -= count;
        return s;
    }
};

// What a text reads back as: the same characters with CR LF line breaks.
std::string Normal(const std::string& ansi) {
    std::string out;
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] == '\r' || ansi[i] == '\n') {
            if (ansi[i] == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else {
            out += ansi[i];
        }
    }
    return qx::win32::AnsiToUtf8(out);
}

struct Expected {
    ULONG tag;
    LONG number = 0;
    std::string text;
    std::vector<std::string> texts;
};

bool Open(ComPtr<IAddrBook>& book, ComPtr<IWABObject>& wab) {
    WAB_PARAM wp{};
    wp.cbSize = sizeof(wp);
    wp.szFileName = g_file.data();
    return SUCCEEDED(WABOpen(&book, &wab, &wp, 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (g_file.empty()) {
        char pattern[] = "/tmp/wab-roundtrip-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        g_file = std::string(pattern) + "/book.wab";
    }
    std::remove(g_file.c_str());
    Input in{data, size};
    static const ULONG kTypes[] = {PT_STRING8, PT_SHORT,      PT_LONG,    PT_BOOLEAN,
                                   PT_BINARY,  PT_MV_STRING8, PT_UNICODE, 0x0005};
    std::vector<SPropValue> values;
    std::vector<std::string> storage;
    std::vector<std::vector<LPSTR>> lists;
    storage.reserve(256);
    lists.reserve(16);
    for (int count = in.Byte() % 12; count > 0; --count) {
        SPropValue v{};
        // Ids from the contact fields and a few of their own, so that ids collide.
        const ULONG ids[] = {0x3001, 0x3003, 0x3A06, 0x3A11, 0x3A19, 0x3A1C, 0x3A5D, 0x3004, 0x8000, 0x8001};
        v.ulPropTag = PROP_TAG(kTypes[in.Byte() % 8], ids[in.Byte() % 10]);
        switch (PROP_TYPE(v.ulPropTag)) {
        case PT_SHORT:
            v.Value.i = static_cast<SHORT>(in.Byte() << 8 | in.Byte());
            break;
        case PT_LONG:
            v.Value.l = static_cast<LONG>(static_cast<uint32_t>(in.Byte()) << 24 | in.Byte() << 16 |
                                          in.Byte() << 8 | in.Byte());
            break;
        case PT_BOOLEAN:
            v.Value.b = in.Byte();
            break;
        case PT_BINARY:
            storage.push_back(in.Bytes(64));
            v.Value.bin = {static_cast<ULONG>(storage.back().size()),
                           reinterpret_cast<LPBYTE>(storage.back().data())};
            break;
        case PT_MV_STRING8: {
            lists.emplace_back();
            for (int k = in.Byte() % 4; k > 0; --k) {
                storage.push_back(in.Bytes(24));
                lists.back().push_back(storage.back().data());
            }
            v.Value.MVszA = {static_cast<ULONG>(lists.back().size()), lists.back().data()};
            break;
        }
        default:
            storage.push_back(in.Bytes(96));
            storage.back().resize(std::strlen(storage.back().c_str())); // up to the first NUL
            v.Value.lpszA = storage.back().data();
            break;
        }
        values.push_back(v);
    }

    ComPtr<IAddrBook> book;
    ComPtr<IWABObject> wab;
    if (!Open(book, wab))
        std::abort();
    ULONG pabSize = 0;
    LPENTRYID pabId = nullptr;
    ULONG type = 0;
    ComPtr<IUnknown> unknown;
    if (FAILED(book->GetPAB(&pabSize, &pabId)) ||
        FAILED(book->OpenEntry(pabSize, pabId, nullptr, 0, &type, &unknown)))
        std::abort();
    wab->FreeBuffer(pabId);
    ComPtr<IABContainer> pab;
    unknown->QueryInterface(IID_IABContainer, reinterpret_cast<void**>(&pab));
    ComPtr<IMAPIProp> entry;
    LPSPropProblemArray problems = nullptr;
    if (FAILED(pab->CreateEntry(0, nullptr, 8, &entry)) ||
        FAILED(entry->SetProps(static_cast<ULONG>(values.size()), values.data(), &problems)))
        std::abort();
    std::vector<bool> refused(values.size());
    for (ULONG i = 0; problems && i < problems->cProblem; ++i)
        refused[problems->aProblem[i].ulIndex] = true;
    wab->FreeBuffer(problems);
    std::map<ULONG, Expected> expected; // by id: the last accepted value
    for (size_t i = 0; i < values.size(); ++i) {
        if (refused[i])
            continue;
        const SPropValue& v = values[i];
        Expected e;
        e.tag = v.ulPropTag;
        switch (PROP_TYPE(v.ulPropTag)) {
        case PT_SHORT:
            e.number = v.Value.i;
            break;
        case PT_LONG:
            e.number = v.Value.l;
            break;
        case PT_BOOLEAN:
            e.number = v.Value.b ? 1 : 0;
            break;
        case PT_BINARY:
            e.text.assign(reinterpret_cast<const char*>(v.Value.bin.lpb), v.Value.bin.cb);
            break;
        case PT_MV_STRING8:
            for (ULONG k = 0; k < v.Value.MVszA.cValues; ++k)
                e.texts.push_back(Normal(v.Value.MVszA.lppszA[k]));
            break;
        default:
            e.text = Normal(v.Value.lpszA);
        }
        const bool empty = (PROP_TYPE(e.tag) == PT_STRING8 || PROP_TYPE(e.tag) == PT_BINARY) ? e.text.empty()
                           : PROP_TYPE(e.tag) == PT_MV_STRING8
                               ? e.texts.empty() || (e.texts.size() == 1 && e.texts[0].empty())
                               : false;
        expected.erase(PROP_ID(e.tag));
        if (!empty)
            expected[PROP_ID(e.tag)] = e;
    }
    if (FAILED(entry->SaveChanges(FORCE_SAVE)))
        std::abort();
    entry = nullptr;
    pab = nullptr;
    unknown = nullptr;

    // A fresh open of the file: the one card holds exactly what was accepted.
    if (!Open(book, wab) || FAILED(book->GetPAB(&pabSize, &pabId)) ||
        FAILED(book->OpenEntry(pabSize, pabId, nullptr, 0, &type, &unknown)))
        std::abort();
    wab->FreeBuffer(pabId);
    unknown->QueryInterface(IID_IABContainer, reinterpret_cast<void**>(&pab));
    ComPtr<IMAPITable> table;
    LPSRowSet rows = nullptr;
    if (FAILED(pab->GetContentsTable(0, &table)) || FAILED(table->QueryRows(2, 0, &rows)) || rows->cRows != 1)
        std::abort();
    const SPropValue& id = rows->aRow[0].lpProps[0];
    unknown = nullptr;
    if (FAILED(book->OpenEntry(id.Value.bin.cb, reinterpret_cast<LPENTRYID>(id.Value.bin.lpb), nullptr, 0,
                               &type, &unknown)))
        std::abort();
    wab->FreeBuffer(rows->aRow[0].lpProps);
    wab->FreeBuffer(rows);
    unknown->QueryInterface(IID_IMAPIProp, reinterpret_cast<void**>(&entry));
    ULONG count = 0;
    LPSPropValue got = nullptr;
    if (FAILED(entry->GetProps(nullptr, 0, &count, &got)))
        std::abort();
    size_t seen = 0;
    for (ULONG i = 0; i < count; ++i) {
        const SPropValue& v = got[i];
        if (v.ulPropTag == PR_ENTRYID || v.ulPropTag == PR_OBJECT_TYPE)
            continue;
        auto it = expected.find(PROP_ID(v.ulPropTag));
        if (it == expected.end() || it->second.tag != v.ulPropTag)
            std::abort();
        const Expected& e = it->second;
        bool same = true;
        switch (PROP_TYPE(v.ulPropTag)) {
        case PT_SHORT:
            same = v.Value.i == e.number;
            break;
        case PT_LONG:
            same = v.Value.l == e.number;
            break;
        case PT_BOOLEAN:
            same = (v.Value.b != 0) == (e.number != 0);
            break;
        case PT_BINARY:
            same = std::string(reinterpret_cast<const char*>(v.Value.bin.lpb), v.Value.bin.cb) == e.text;
            break;
        case PT_MV_STRING8:
            same = v.Value.MVszA.cValues == e.texts.size();
            for (ULONG k = 0; same && k < v.Value.MVszA.cValues; ++k)
                same = qx::win32::AnsiToUtf8(v.Value.MVszA.lppszA[k]) == e.texts[k];
            break;
        default:
            same = qx::win32::AnsiToUtf8(v.Value.lpszA) == e.text;
        }
        if (!same)
            std::abort();
        ++seen;
    }
    if (seen != expected.size())
        std::abort();
    wab->FreeBuffer(got);
    return 0;
}
