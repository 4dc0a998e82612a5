// ContactIO driven by page script through scripthost, with python3-vobject reading and writing
// the same books.
#include "contact_script_support.h"

#include <thread>

namespace contacts_test {
namespace {

const char kOpenFailed[] = "파일을 여는중에 에러가 발생하였습니다.";
const char kWriteFailed[] = "연락처 정보를 파일에 써넣는중에 에러가 발생하였습니다.";

// Every field with a value: Korean and ASCII, CR LF, the characters vCard escapes, and a line
// that must be folded.
const std::vector<std::pair<std::string, std::string>> kAllFields = {
    {"SURNAME", "김"},
    {"GIVEN_NAME", "철수"},
    {"MIDDLE_NAME", "M;id"},
    {"DISPLAY_NAME", "김철수 (Kim, C.)"},
    {"DISPLAY_NAME_PREFIX", "Dr."},
    {"NICKNAME", "Cheol\\su"},
    {"EMAIL_ADDRESS", "kim@example.com"},
    {"HOME_ADDRESS_COUNTRY", "대한민국"},
    {"HOME_ADDRESS_STATE_OR_PROVINCE", "서울특별시"},
    {"HOME_ADDRESS_CITY", "종로구"},
    {"HOME_ADDRESS_STREET", "세종대로 1, 101동; 202호"},
    {"HOME_ADDRESS_POSTAL_CODE", "03154"},
    {"HOME_TELEPHONE_NUMBER", "+82-2-123-4567"},
    {"HOME_FAX_NUMBER", "+82-2-123-4568"},
    {"MOBILE_TELEPHONE_NUMBER", "010-1234-5678"},
    {"PERSONAL_HOME_PAGE", "http://example.com/~kim"},
    {"COUNTRY", "Korea"},
    {"STATE_OR_PROVINCE", "Gyeonggi"},
    {"LOCALITY", "Seongnam"},
    {"STREET_ADDRESS", "Pangyo-ro 1"},
    {"COMPANY_NAME", "Kestrum, Inc."},
    {"POSTAL_CODE", "13487"},
    {"OFFICE_LOCATION", "3층"},
    {"DEPARTMENT_NAME", "R&D; Forms"},
    {"TITLE", "Engineer"},
    {"BUSINESS_TELEPHONE_NUMBER", "+82-31-000-0000"},
    {"BUSINESS_FAX_NUMBER", "+82-31-000-0001"},
    {"PAGER_TELEPHONE_NUMBER", "012-345"},
    {"SPOUSE_NAME", "이영희"},
    {"COMMENT", "첫 줄입니다, and the first line goes on in ASCII well past seventy-five octets\r\n둘째 줄; "
                "back\\slash"},
};

std::string JsString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

std::string JsObject(const std::vector<std::pair<std::string, std::string>>& values) {
    std::string out = "{";
    for (const auto& [name, value] : values)
        out += (out.size() > 1 ? ", " : "") + name + ": " + JsString(value);
    return out + "}";
}

std::string Shown(std::string text) {
    std::string out;
    for (char c : text)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

// What vobject finds in the first card of a book, one "field=value" line per field of the table.
const char kPeerReadsFields[] = R"(
import sys, vobject
text = open(sys.argv[1] if len(sys.argv) > 1 else BOOK, encoding="utf-8", newline="").read()
card = next(vobject.readComponents(text))
out = {}
def put(k, v):
    if v: out[k] = v
n = card.n.value
put("SURNAME", n.family); put("GIVEN_NAME", n.given); put("MIDDLE_NAME", n.additional); put("DISPLAY_NAME_PREFIX", n.prefix)
put("DISPLAY_NAME", card.fn.value); put("NICKNAME", card.nickname.value); put("EMAIL_ADDRESS", card.email.value)
put("TITLE", card.title.value); put("COMMENT", card.note.value)
for a in card.contents["adr"]:
    pre = "HOME_ADDRESS_" if "home" in a.params["TYPE"] else ""
    v = a.value
    put(pre + ("STREET" if pre else "STREET_ADDRESS"), v.street); put(pre + ("CITY" if pre else "LOCALITY"), v.city)
    put(pre + "STATE_OR_PROVINCE", v.region); put(pre + "POSTAL_CODE", v.code); put(pre + "COUNTRY", v.country)
tels = {"home,voice": "HOME_TELEPHONE_NUMBER", "home,fax": "HOME_FAX_NUMBER", "cell": "MOBILE_TELEPHONE_NUMBER",
        "work,voice": "BUSINESS_TELEPHONE_NUMBER", "work,fax": "BUSINESS_FAX_NUMBER", "pager": "PAGER_TELEPHONE_NUMBER"}
for t in card.contents["tel"]:
    put(tels[",".join(t.params["TYPE"])], t.value)
put("PERSONAL_HOME_PAGE", card.url.value if card.url.params["TYPE"] == ["home"] else "")
put("COMPANY_NAME", card.org.value[0]); put("DEPARTMENT_NAME", card.org.value[1])
put("SPOUSE_NAME", card.related.value if card.related.params["TYPE"] == ["spouse"] else "")
put("OFFICE_LOCATION", card.contents["x-mapi-3a19001e"][0].value)
for k in sorted(out): print(k + "=" + out[k].replace("\n", "\\n"))
)";

TEST_F(ContactScript, OurExportIsExactReadByThePeerAndComesBackWhole) {
    const fs::path book = Book("all.wab");
    const Outcome o = RunScript("WScript.Echo(io.OpenWABFile(" + JsString(book.string()) + ", 1));\n" +
                                "WScript.Echo(r(io.ContactOut(outDoc(" + JsObject(kAllFields) + "))));\n" +
                                "WScript.Echo(r(io.ContactIn(" + JsString(book.string()) + ")));\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::string in = "IN:30";
    for (const auto& [name, value] : kAllFields)
        in += " " + name + "=" + Shown(value);
    EXPECT_EQ(o.out, "true\n[]\n1/1\n" + in + "\n[]\n");

    // Field order, folding at 75 octets outside UTF-8 sequences, escapes, CRLF.
    EXPECT_EQ(WithoutUids(qx::test::ReadAll(book)),
              "BEGIN:VCARD\r\n"
              "VERSION:4.0\r\n"
              "KIND:individual\r\n"
              "UID:urn:uuid:*\r\n"
              "FN:김철수 (Kim\\, C.)\r\n"
              "N:김;철수;M\\;id;Dr.;\r\n"
              "NICKNAME:Cheol\\\\su\r\n"
              "EMAIL:kim@example.com\r\n"
              "ADR;TYPE=home:;;세종대로 1\\, 101동\\; 202호;종로구;서울특별시;\r\n"
              " 03154;대한민국\r\n"
              "TEL;TYPE=home,voice:+82-2-123-4567\r\n"
              "TEL;TYPE=home,fax:+82-2-123-4568\r\n"
              "TEL;TYPE=cell:010-1234-5678\r\n"
              "URL;TYPE=home:http://example.com/~kim\r\n"
              "ADR;TYPE=work:;;Pangyo-ro 1;Seongnam;Gyeonggi;13487;Korea\r\n"
              "ORG:Kestrum\\, Inc.;R&D\\; Forms\r\n"
              "TITLE:Engineer\r\n"
              "TEL;TYPE=work,voice:+82-31-000-0000\r\n"
              "TEL;TYPE=work,fax:+82-31-000-0001\r\n"
              "TEL;TYPE=pager:012-345\r\n"
              "RELATED;TYPE=spouse;VALUE=text:이영희\r\n"
              "NOTE:첫 줄입니다\\, and the first line goes on in ASCII well past seven\r\n"
              " ty-five octets\\n둘째 줄\\; back\\\\slash\r\n"
              "X-MAPI-3A19001E:3층\r\n"
              "END:VCARD\r\n");

    const qxtest::ProgramRun peer = Python("BOOK = " + JsString(book.string()) + "\n" + kPeerReadsFields);
    ASSERT_EQ(peer.status, 0) << peer.errors;
    std::map<std::string, std::string> expected;
    for (const auto& [name, value] : kAllFields)
        expected[name] = std::regex_replace(value, std::regex("\r\n"), "\\n");
    std::string lines;
    for (const auto& [name, value] : expected)
        lines += name + "=" + value + "\n";
    EXPECT_EQ(peer.output, lines);
}

TEST_F(ContactScript, MissingNodesAreAbsentAndAnEmptyAddressIsNotStored) {
    const fs::path book = Book("few.wab");
    const Outcome o = RunScript("io.OpenWABFile(" + JsString(book.string()) + ", 1);\n" +
                                "WScript.Echo(r(io.ContactOut(outDoc({DISPLAY_NAME: \"Lee\", EMAIL_ADDRESS: "
                                "\"\", TITLE: \"\"}))));\n" +
                                "WScript.Echo(r(io.ContactIn(" + JsString(book.string()) + ")));\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "[]\n1/1\nIN:30 DISPLAY_NAME=Lee\n[]\n");
    EXPECT_EQ(WithoutUids(qx::test::ReadAll(book)),
              "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nUID:urn:uuid:*\r\nFN:Lee\r\nEND:VCARD\r\n");
}

TEST_F(ContactScript, PropertyValuesShowByTheirType) {
    // A standard line hides an X-MAPI line of the same property id.
    Write("books/typed.vcf",
          "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:00000000-0000-4000-8000-000000000001\r\n"
          "FN:Typed\r\nX-MAPI-3A1C0003:42\r\nX-MAPI-3A090102:AAEC\r\n"
          "X-MAPI-3A08101E:a,b\r\nX-MAPI-3A24000B:TRUE\r\nX-MAPI-3A210003:5\r\n"
          "TEL;TYPE=pager:777\r\nX-MAPI-3A250002:-7\r\nEND:VCARD\r\n");
    const Outcome o =
        RunScript("WScript.Echo(r(io.ContactIn(" + JsString(Book("typed.vcf").string()) + ")));\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out,
              "1/1\nIN:30 DISPLAY_NAME=Typed HOME_TELEPHONE_NUMBER=Binary data HOME_FAX_NUMBER=-7 "
              "MOBILE_TELEPHONE_NUMBER=42 BUSINESS_TELEPHONE_NUMBER=a\\r\\nb "
              "BUSINESS_FAX_NUMBER=Unrecognized or undisplayable data PAGER_TELEPHONE_NUMBER=777\n[]\n");
}

TEST_F(ContactScript, FailuresGiveTheirMessages) {
    const std::string corrupt = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Half\r\n";
    Write("books/corrupt.wab", corrupt);
    Write("books/kept.wab", "");
    const std::string longName = Book(std::string(260 - Book("").string().size(), 'x')).string();
    struct Case {
        const char* what;
        std::string script;
        std::string out;
    } cases[] = {
        {"missing folder", "WScript.Echo(r(io.ContactIn(" + JsString(Book("no/such.wab").string()) + ")));",
         "[" + std::string(kOpenFailed) + "]\n"},
        {"corrupt file",
         "WScript.Echo(r(io.ContactIn(" + JsString(Book("corrupt.wab").string()) + ")));" +
             "WScript.Echo(io.OpenWABFile(" + JsString(Book("corrupt.wab").string()) + ", 1));" +
             "WScript.Echo(r(io.ContactOut(outDoc({DISPLAY_NAME: \"x\"}))));",
         "[" + std::string(kOpenFailed) + "]\nfalse\n[" + kWriteFailed + "]\n"},
        {"missing file", "WScript.Echo(r(io.ContactIn(" + JsString(Book("new.wab").string()) + ")));",
         "[]\n"},
        {"no open", "WScript.Echo(r(io.ContactOut(outDoc({DISPLAY_NAME: \"x\"}))));",
         "[" + std::string(kWriteFailed) + "]\n"},
        {"opened for input",
         "io.OpenWABFile(" + JsString(Book("kept.wab").string()) + ", 0);" +
             "WScript.Echo(r(io.ContactOut(outDoc({DISPLAY_NAME: \"x\"}))));",
         "[" + std::string(kWriteFailed) + "]\n"},
        {"no document",
         "io.OpenWABFile(" + JsString(Book("kept.wab").string()) + ", 1);" +
             "WScript.Echo(r(io.ContactOut(null)), r(io.ContactOut({OUT: 1})));",
         "[" + std::string(kWriteFailed) + "] [" + kWriteFailed + "]\n"},
        {"260-byte name",
         "WScript.Echo(io.OpenWABFile(" + JsString(longName) + ", 1), r(io.ContactIn(" + JsString(longName) +
             ")));",
         "false [" + std::string(kOpenFailed) + "]\n"},
    };
    for (const Case& c : cases) {
        const Outcome o = RunScript(c.script + "\n");
        EXPECT_EQ(o.exitCode, 0) << c.what << ": " << o.err;
        EXPECT_EQ(o.out, c.out) << c.what;
    }
    EXPECT_EQ(qx::test::ReadAll(Book("corrupt.wab")), corrupt);
    EXPECT_EQ(qx::test::ReadAll(Book("kept.wab")), "");
    EXPECT_FALSE(fs::exists(Book("new.wab")));
}

// True when every folder above the file lets others through and the file lets them read it.
bool AnyoneCanReach(const fs::path& file) {
    std::error_code error;
    const fs::path full = fs::absolute(file, error);
    if (error || (fs::status(full, error).permissions() & fs::perms::others_read) == fs::perms::none) {
        return false;
    }
    for (fs::path folder = full.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        if ((fs::status(folder, error).permissions() & fs::perms::others_exec) == fs::perms::none || error) {
            return false;
        }
        if (folder == folder.root_path()) {
            break;
        }
    }
    return true;
}

TEST_F(ContactScript, AReadOnlyFolderKeepsTheOldFile) {
    const std::string old = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Old\r\nEND:VCARD\r\n";
    fs::create_directories(dir_ / "locked");
    Write("locked/book.wab", old);
    fs::permissions(dir_ / "locked" / "book.wab", fs::perms::all);
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    const std::string name = JsString((dir_ / "locked" / "book.wab").string());
    // The script runs as an unprivileged user where that user can load the registered component
    // file; in a checkout it cannot enter (a folder of mode 0700) it runs as root, for whom the
    // address book treats a folder without write bits as read-only all the same.
    const Outcome o = RunScript("WScript.Echo(io.OpenWABFile(" + name + ", 1));\n" +
                                    "WScript.Echo(r(io.ContactOut(outDoc({DISPLAY_NAME: \"New\"}))));\n" +
                                    "quiet = true; WScript.Echo(r(io.ContactIn(" + name + ")));\n",
                                AnyoneCanReach(QX_KESTRUM_COMPONENT));
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "true\n[" + std::string(kWriteFailed) + "]\n1/1\n[]\n");
    EXPECT_EQ(qx::test::ReadAll(dir_ / "locked" / "book.wab"), old);
    fs::permissions(dir_ / "locked", fs::perms::all);
}

TEST_F(ContactScript, TheLibraryComesFromDllPathOrTheLoadersName) {
    Write("books/one.wab", "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:One\r\nEND:VCARD\r\n");
    fs::create_directories(dir_ / "lib");
    fs::copy_file(QX_WAB_LIBRARY, dir_ / "lib" / "address-book.so");
    const std::string script =
        "quiet = true; WScript.Echo(r(io.ContactIn(" + JsString(Book("one.wab").string()) + ")));\n";
    struct Case {
        std::string dllPath;
        std::string out;
    } cases[] = {
        {(dir_ / "lib" / "address-book.so").string(), "1/1\n[]\n"},
        {"", "1/1\n[]\n"},
        {(dir_ / "lib" / "missing.so").string(), "[" + std::string(kOpenFailed) + "]\n"},
    };
    for (const Case& c : cases) {
        SetDllPath(c.dllPath);
        const Outcome o = RunScript(script);
        EXPECT_EQ(o.exitCode, 0) << c.dllPath << ": " << o.err;
        EXPECT_EQ(o.out, c.out) << "DLLPath \"" << c.dllPath << "\"";
    }
}

// vobject writes a book with three people and a group of them, as vCard 3.0 or with VERSION 4.0.
const char kPeerWritesBook[] = R"(
import sys, json, vobject
book, version = sys.argv[1], sys.argv[2]
cards = []
people = [("Hong", "Gildong", "홍길동", "hong@example.com", "010-1111-2222", "WORK"),
          ("Park", "Jimin", "박지민", "park@example.org", "02-333-4444", "HOME"),
          ("Smith", "Ann", "Ann Smith, Jr.", "ann@example.net", "555-0100", "CELL")]
for i, (family, given, full, mail, tel, kind) in enumerate(people):
    c = vobject.vCard()
    if version == "4.0": c.add("version").value = "4.0"
    c.add("uid").value = "urn:uuid:00000000-0000-4000-8000-00000000000%d" % (i + 1)
    c.add("n").value = vobject.vcard.Name(family=family, given=given)
    c.add("fn").value = full
    e = c.add("email"); e.value = mail; e.type_param = "INTERNET"
    t = c.add("tel"); t.value = tel; t.type_param = kind
    a = c.add("adr"); a.value = vobject.vcard.Address(street="Road %d, Apt; 2" % i, city="서울", country="KR"); a.type_param = "HOME"
    c.add("org").value = ["Org %d" % i]
    c.add("note").value = "Note, with; marks\\and a line\nbreak"
    c.add("x-custom").value = "kept %d" % i
    c.add("bday").value = "1990-01-0%d" % (i + 1)
    cards.append(c)
g = vobject.vCard()
if version == "4.0": g.add("version").value = "4.0"
g.add("uid").value = "urn:uuid:00000000-0000-4000-8000-000000000009"
g.add("fn").value = "Friends"
g.add("n").value = vobject.vcard.Name(family="Friends")
g.add("kind").value = "group"
for i in range(3):
    g.add("member").value = "urn:uuid:00000000-0000-4000-8000-00000000000%d" % (i + 1)
cards.append(g)
text = "".join(c.serialize() for c in cards)
open(book, "w", encoding="utf-8", newline="").write(text)
json.dump([c.serialize() for c in cards], open(book + ".json", "w"))
)";

// vobject reads the book again: the cards it wrote are unchanged and ours follows them.
const char kPeerChecksBook[] = R"(
import sys, json, vobject
book = sys.argv[1]
before = json.load(open(book + ".json"))
cards = list(vobject.readComponents(open(book, encoding="utf-8", newline="").read()))
print(len(cards), all(cards[i].serialize() == before[i] for i in range(4)), cards[4].fn.value)
print(cards[3].kind.value, len(cards[3].contents["member"]))
)";

TEST_F(ContactScript, TheirBooksAreReadAndKept) {
    for (const char* version : {"3.0", "4.0"}) {
        SCOPED_TRACE(version);
        const fs::path book = Book(std::string("peer-") + version + ".vcf");
        const fs::path writer = Write("writer.py", kPeerWritesBook);
        qxtest::ChildOptions options;
        options.streams = qxtest::Streams::Separate;
        qxtest::ProgramRun w =
            qxtest::RunProgram({"/usr/bin/python3", writer.string(), book.string(), version}, options);
        ASSERT_EQ(w.status, 0) << w.errors;
        const std::string name = JsString(book.string());
        const Outcome o = RunScript(
            "WScript.Echo(r(io.ContactIn(" + name + ")));\n" + "quiet = true; WScript.Echo(r(io.ContactIn(" +
            name + ")));\n" + "io.OpenWABFile(" + name + ", 1);\n" +
            "WScript.Echo(r(io.ContactOut(outDoc({DISPLAY_NAME: \"새 연락처\"}))));\n");
        ASSERT_EQ(o.exitCode, 0) << o.err;
        const std::string note = "COMMENT=Note, with; marks\\and a line\\r\\nbreak";
        EXPECT_EQ(
            o.out,
            "1/3\nIN:30 SURNAME=Hong GIVEN_NAME=Gildong DISPLAY_NAME=홍길동 EMAIL_ADDRESS=hong@example.com "
            "HOME_ADDRESS_COUNTRY=KR HOME_ADDRESS_CITY=서울 HOME_ADDRESS_STREET=Road 0, Apt; 2 "
            "COMPANY_NAME=Org 0 BUSINESS_TELEPHONE_NUMBER=010-1111-2222 " +
                note +
                "\n2/3\nIN:30 SURNAME=Park GIVEN_NAME=Jimin DISPLAY_NAME=박지민 "
                "EMAIL_ADDRESS=park@example.org "
                "HOME_ADDRESS_COUNTRY=KR HOME_ADDRESS_CITY=서울 HOME_ADDRESS_STREET=Road 1, Apt; 2 "
                "HOME_TELEPHONE_NUMBER=02-333-4444 COMPANY_NAME=Org 1 " +
                note +
                "\n3/3\nIN:30 SURNAME=Smith GIVEN_NAME=Ann DISPLAY_NAME=Ann Smith, Jr. "
                "EMAIL_ADDRESS=ann@example.net HOME_ADDRESS_COUNTRY=KR HOME_ADDRESS_CITY=서울 "
                "HOME_ADDRESS_STREET=Road 2, Apt; 2 MOBILE_TELEPHONE_NUMBER=555-0100 COMPANY_NAME=Org 2 " +
                note + "\n[]\n1/3\n2/3\n3/3\n[]\n[]\n");
        const fs::path checker = Write("checker.py", kPeerChecksBook);
        qxtest::ProgramRun c =
            qxtest::RunProgram({"/usr/bin/python3", checker.string(), book.string()}, options);
        ASSERT_EQ(c.status, 0) << c.errors;
        EXPECT_EQ(c.output, "5 True 새 연락처\ngroup 3\n");
    }
}

TEST_F(ContactScript, TwoProcessesExportIntoOneBook) {
    const fs::path book = Book("shared.wab");
    auto script = [&](const std::string& who) {
        return Write(who + ".js", std::string(kPrelude) + "io.OpenWABFile(" + JsString(book.string()) +
                                      ", 1);\n" + "var bad = 0;\nfor (var i = 0; i < 200; i++)\n" +
                                      "  if (io.ContactOut(outDoc({DISPLAY_NAME: \"" + who +
                                      " \" + i})) != \"\") bad++;\nWScript.Echo(bad);\n");
    };
    const fs::path a = script("a"), b = script("b");
    qx::registry::SetRootForTesting(dir_ / "unused");
    Outcome oa, ob;
    std::thread first([&] { oa = Run({a.string()}); });
    std::thread second([&] { ob = Run({b.string()}); });
    first.join();
    second.join();
    qx::registry::SetRootForTesting(dir_ / "registry");
    EXPECT_EQ(oa.out, "0\n") << oa.err;
    EXPECT_EQ(ob.out, "0\n") << ob.err;
    const qxtest::ProgramRun peer =
        Python("import vobject\ncards = list(vobject.readComponents(open(" + JsString(book.string()) +
               ", encoding='utf-8').read()))\n"
               "names = set(c.fn.value for c in cards)\n"
               "print(len(cards), len(names))\n");
    EXPECT_EQ(peer.output, "400 400\n") << peer.errors;
}

TEST_F(ContactScript, TheBundledExampleExportsAndImportsThreeContacts) {
    const fs::path book = Book("example.wab");
    qx::registry::SetRootForTesting(dir_ / "unused");
    const Outcome o = Run({QX_SOURCE_DIR "/examples/contacts/contacts.js", book.string()});
    qx::registry::SetRootForTesting(dir_ / "registry");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 6) << o.out;
    EXPECT_TRUE(o.out.starts_with("contact 1 of 3: <IN><SURNAME>김</SURNAME>")) << o.out;
    const qxtest::ProgramRun peer =
        Python("import vobject\nfor c in vobject.readComponents(open(" + JsString(book.string()) +
               ", encoding='utf-8').read()):\n"
               "    print(c.fn.value)\n");
    EXPECT_EQ(peer.output, "김철수\n이영희\nAnn Smith\n") << peer.errors;
}

// The contacts example run from a folder of its own: without a book on its command line it asks
// through the save dialog, which an answers script answers.
TEST_F(ContactScript, TheExampleGetsItsBookThroughTheAnsweredSaveDialog) {
    const std::string example = QX_SOURCE_DIR "/examples/contacts/";
    struct Case {
        const char* name;
        const char* answers; // null: the bundled answers script; "": none
        const char* book;    // made in the run's folder, or null for none
        int status;
        const char* err;
    };
    const Case cases[] = {
        {"bundled", nullptr, "contacts.wab", 0, ""},
        {"asked again",
         R"(var boxes = "";
            function onMessageBox(box) { boxes += box.Text; return "OK"; }
            function onFileDialog(r) {
                var seen = [r.Title, r.Save, r.FilterCount, r.FilterName(0), r.FilterPattern(1), r.FilterIndex,
                            r.InitialFile, r.InitialFolder, r.DefaultExtension, r.Flags & 0x800].join("|");
                if (seen != "저장|true|2|WAB(Window Address Book) File(*.WAB)|*.*|1|contacts.wab|||2048")
                    throw new Error(seen);
                if (r.Attempt == 1) return "/no/such/folder/x.wab";
                if (boxes.indexOf("Path does not exist.") < 0) throw new Error(boxes);
                return "second.wab";
            })",
         "second.wab", 0, ""},
        {"cancelled", "function onFileDialog(r) { return null; }", nullptr, 1,
         "contacts.js: no file was chosen\n"},
        {"nonsense", "function onFileDialog(r) { return 42; }", nullptr, 1,
         "scripthost: onFileDialog gave no path\nGetSaveFileName \"저장\" -> Cancel\n"
         "contacts.js: no file was chosen\n"},
        {"no answers", "", nullptr, 1,
         "GetSaveFileName \"저장\" -> Cancel (no UI driver)\ncontacts.js: no file was chosen\n"},
    };
    for (const auto& c : cases) {
        const fs::path folder = dir_ / "run" / c.name;
        fs::create_directories(folder);
        std::vector<std::string> command{"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", folder.string(),
                                         QX_BIN_DIR "/scripthost"};
        if (!c.answers) {
            command.insert(command.end(), {"--answers", example + "answers.js"});
        } else if (*c.answers) {
            command.insert(command.end(), {"--answers", Write("answers.js", c.answers).string()});
        }
        command.push_back(example + "contacts.js");
        qxtest::ChildOptions options;
        options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}};
        options.streams = qxtest::Streams::Separate;
        qx::registry::SetRootForTesting(dir_ / "unused"); // the child alone uses the registry now
        const qxtest::ProgramRun run = qxtest::RunProgram(command, options);
        qx::registry::SetRootForTesting(dir_ / "registry");
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.errors;
        EXPECT_EQ(run.errors, c.err) << c.name;
        const std::size_t contacts = c.book ? 3 : 0;
        std::size_t shown = 0;
        for (std::size_t at = run.output.find("contact "); at != std::string::npos;
             at = run.output.find("contact ", at + 1))
            ++shown;
        EXPECT_EQ(shown, contacts) << c.name << ": " << run.output;
        EXPECT_EQ(c.book != nullptr && fs::is_regular_file(folder / c.book), c.book != nullptr) << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), c.book ? 1 : 0)
            << c.name;
    }
}

} // namespace
} // namespace contacts_test
