// Documents written by other programs (Python's email package and headless Chromium, made once
// and kept in tests/data/mht) loaded through Convert as a page loads them: DownloadURL, mhtData,
// filterIn. What the converter finds is compared with what Python's email finds in the same
// file: the page text, and every other part byte-exact in its temporary file.
#include <gtest/gtest.h>
#include <qx/win32/codepage.h>

#include <map>
#include <sstream>

#include "convert.h"
#include "convert_dispatch.h"
#include "mht_unpacker.h"
#include "quorle_test_env.h"

namespace {

using namespace quorle_test;
using qx::com::ComPtr;

const std::string kCorpus = QX_SOURCE_DIR "/tests/data/mht/";

std::string Unhex(const std::string& hex) {
    std::string bytes;
    if (hex == "-")
        return bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// The MIME library's quoted-printable decoder ends each decoded line with LF alone, where
// Python keeps the CR LF.
std::string AsDecodedByTheLibrary(std::string text, const std::string& encoding) {
    if (encoding != "quoted-printable")
        return text;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

// What mht_peer.py reports.
struct PeerPart {
    std::string location, contentId, payload;
};
struct PeerView {
    std::string type, charset, payload, text;
    std::vector<PeerPart> parts;
    std::vector<PeerPart> attachments;
};

PeerView AskPython(const std::string& file) {
    const std::string output =
        CommandOutput("/usr/bin/python3 " QX_SOURCE_DIR "/tests/converter/quorle/mht_peer.py '" + file + "'");
    PeerView view;
    std::istringstream lines(output);
    std::string kind;
    while (lines >> kind) {
        std::string a, b, encoding, c, d;
        if (kind == "body") {
            lines >> view.type >> view.charset >> encoding >> c >> d;
            view.payload = AsDecodedByTheLibrary(Unhex(c), encoding);
            view.text = AsDecodedByTheLibrary(Unhex(d), encoding);
        } else if (kind == "part") {
            lines >> a >> b >> encoding >> c;
            view.parts.push_back({Unhex(a), Unhex(b), AsDecodedByTheLibrary(Unhex(c), encoding)});
        } else if (kind == "attachment") {
            lines >> a >> b;
            view.attachments.push_back({Unhex(a), Unhex(b), ""});
        } else {
            ADD_FAILURE() << "mht_peer.py: " << output;
            break;
        }
    }
    return view;
}

// The record that holds a part Python names by location or Content-ID; a part without either
// is known by its bytes.
const ResourceRecord* RecordOf(const ResourceRecords& records, const PeerPart& part) {
    const std::string id =
        part.contentId.size() >= 2 ? part.contentId.substr(1, part.contentId.size() - 2) : "";
    for (const ResourceRecord& record : records) {
        if ((!part.location.empty() && record.location == part.location) ||
            (!id.empty() && record.contentId == id))
            return &record;
        if (part.location.empty() && id.empty() && record.location.empty() && record.contentId.empty() &&
            ReadFile(record.tempPath) == part.payload)
            return &record;
    }
    return nullptr;
}

// The page with each "file://" + temporary path put back to the reference it replaced.
template <typename Text>
Text Restored(Text page, const ResourceRecords& records, Text (*convert)(const std::string&)) {
    for (const ResourceRecord& record : records) {
        if (record.urlText.empty())
            continue;
        const Text from = convert("file://" + record.tempPath);
        const Text to = convert(record.urlText);
        for (size_t at = page.find(from); at != Text::npos; at = page.find(from, at + to.size()))
            page.replace(at, from.size(), to);
    }
    return page;
}

std::string Same(const std::string& text) {
    return text;
}
std::u16string Widened(const std::string& text) {
    return qx::win32::AnsiToWide(text);
}

size_t Count(const std::u16string& text, const std::u16string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::u16string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

struct CorpusCase {
    const char* file;
    const char* marker; // UTF-8 text the page holds
    size_t rewired;     // references pointing at temporary files after the load
};

const char kKorean[] = "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94"; // 안녕하세요

using MhtPeerTest = SyncConvertTest;

TEST_F(MhtPeerTest, OtherWritersDocumentsGiveThePageAndPartsPythonFinds) {
    const CorpusCase cases[] = {
        {"chromium-frames-utf8.mht", kKorean, 1},
        {"chromium-korean-euckr.mht", kKorean, 2},
        {"python-qp-utf8-cid.mht", kKorean, 2},
        {"python-base64-euckr.mht", kKorean, 3},
        {"python-nested-alternative.mht", kKorean, 1},
        {"python-html-attachment.mht", "<p>page</p>", 1},
        {"python-start-parameter.mht", "<p>the page</p>", 1},
        {"handmade-compact-folded-binary.mht", "compact", 2},
    };
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = kCorpus + c.file;
        const PeerView python = AskPython(file);
        ASSERT_EQ(python.type, "text/html");

        // As a page loads a document: read as text, handed over as the MHT text, unpacked.
        Variant text;
        ASSERT_EQ(Call(disp_.Get(), u"DownloadURL", DISPATCH_METHOD,
                       {Variant(Wide("file://" + file).c_str())}, &text),
                  S_OK);
        ASSERT_EQ(text.vt, VT_BSTR);
        Put(disp_.Get(), u"mhtData", text);
        ASSERT_TRUE(CallBool(disp_.Get(), u"filterIn"));
        const std::u16string page = GetText(disp_.Get(), u"htmlData");
        const ResourceRecords records = object_->LoadedResources();

        EXPECT_EQ(qx::win32::WideToUtf8(Restored(page, records, &Widened)), python.text);
        EXPECT_NE(qx::win32::WideToUtf8(page).find(c.marker), std::string::npos);
        size_t rewired = 0;
        for (const ResourceRecord& record : records)
            rewired += Count(page, Widened("file://" + record.tempPath));
        EXPECT_EQ(rewired, c.rewired);

        // The page's bytes are the ones Python decodes.
        std::string bytes;
        ResourceRecords direct;
        ASSERT_TRUE(UnpackMht(ReadFile(file), bytes, direct));
        EXPECT_EQ(Restored(bytes, direct, &Same), python.payload);
        DeleteResourceFiles(direct);

        // Every other part lies byte-exact in a temporary file of its own.
        EXPECT_EQ(records.size(), python.parts.size());
        for (const PeerPart& part : python.parts) {
            const ResourceRecord* record = RecordOf(records, part);
            ASSERT_NE(record, nullptr) << part.location << " " << part.contentId;
            EXPECT_EQ(ReadFile(record->tempPath), part.payload) << part.location << " " << part.contentId;
        }
        for (const PeerPart& attachment : python.attachments)
            EXPECT_NE(RecordOf(records, attachment), nullptr)
                << attachment.location << " " << attachment.contentId;
    }
}

} // namespace

// Saving a loaded document puts its references back as they stood and keeps each part's
// Content-ID: Python finds the same page text and the same parts in the saved document, a
// second load gives the page of the first, and Chromium shows the images.
TEST_F(MhtPeerTest, SavedDocumentsKeepTheirReferencesAndParts) {
    struct SaveCase {
        const char* file;
        std::vector<std::string> parts; // Content-IDs or locations of the parts saved again
        // Of the images Chromium must show; it shows no image of an archive by a file: location,
        // not even in its own snapshots.
        std::vector<std::string> colours;
    };
    const SaveCase cases[] = {
        {"python-qp-utf8-cid.mht", {"<logo@peer>", "<stamp@peer>"}, {"200,10,10", "10,200,10"}},
        {"python-start-parameter.mht", {"<img@start>"}, {"9,9,9"}},
        {"chromium-korean-euckr.mht",
         {"file:///tmp/mht-pages/blue.png", "file:///tmp/mht-pages/style.css"},
         {}},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.file);
        const PeerView original = AskPython(kCorpus + c.file);
        std::map<std::string, std::string> payloads;
        for (const PeerPart& part : original.parts)
            payloads[part.contentId.empty() ? part.location : part.contentId] = part.payload;

        Put(disp_.Get(), u"mhtData", Variant(qx::win32::AnsiToWide(ReadFile(kCorpus + c.file)).c_str()));
        ASSERT_TRUE(CallBool(disp_.Get(), u"filterIn"));
        ASSERT_TRUE(CallBool(disp_.Get(), u"filterOut", {Variant(u"file://c:/form/saved.htm")}));
        const std::u16string saved = GetText(disp_.Get(), u"mhtData");
        const fs::path file = root_ / "saved.mht";
        WriteFile(file, qx::win32::WideToAnsi(saved));

        const PeerView again = AskPython(file.string());
        EXPECT_EQ(again.text, original.text);
        ASSERT_EQ(again.parts.size(), c.parts.size());
        for (size_t i = 0; i < c.parts.size(); ++i) {
            const PeerPart& part = again.parts[i];
            EXPECT_EQ(part.contentId.empty() ? part.location : part.contentId, c.parts[i]);
            EXPECT_EQ(part.payload, payloads[c.parts[i]]) << c.parts[i];
        }

        Put(disp_.Get(), u"mhtData", Variant(saved.c_str()));
        ASSERT_TRUE(CallBool(disp_.Get(), u"filterIn"));
        EXPECT_EQ(qx::win32::WideToUtf8(
                      Restored(GetText(disp_.Get(), u"htmlData"), object_->LoadedResources(), &Widened)),
                  original.text);

        if (c.colours.empty())
            continue;
        std::string colours;
        for (const std::string& colour : c.colours)
            colours += " " + colour;
        const std::string shown =
            CommandOutput("python3 " QX_SOURCE_DIR "/tests/converter/quorle/check_chromium.py " +
                          file.string() + " " + root_.string() + colours);
        if (shown.rfind("skip:", 0) == 0) {
            std::cout << shown;
            continue;
        }
        EXPECT_EQ(shown, "ok\n");
    }
}
