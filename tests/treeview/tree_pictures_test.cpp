// The tree's pictures: the built-in GIFs written into the temporary folder, pictures fetched from
// the loopback server, the export and its re-import, and the program launcher.
#include "loopback_http_server.h"
#include "tree_page.h"

#include "qx/win32/shell_opener.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

using tamseltest::LooksLikeGif;
using tamseltest::TreeBody;
using tamseltest::TreePage;

class TreePictures : public TreePage {};

TEST_F(TreePictures, BuiltInPicturesLieInTheTemporaryFolder) {
    const std::string said = Open(TreeBody("say(t.leafDefaultIcon, t.branchSelectedIcon)"));
    EXPECT_EQ(said, TempUrl("LEAFDEFAULTICON.gif") + " " + TempUrl("BRANCHSELECTEDICON.gif"));
    std::vector<std::string> names = {"LEAFDEFAULTICON",    "LEAFSELECTEDICON", "BRANCHDEFAULTICON",
                                      "BRANCHSELECTEDICON", "VERTLINEICON",     "BLANKICON"};
    for (const char* leaf : {"0", "1"})
        for (const char* expanded : {"0", "1"})
            for (const char* position : {"0", "1", "2", "3"})
                names.push_back(std::string("HeritageIcon") + leaf + expanded + position);
    std::string files;
    for (const std::string& name : names) {
        const std::filesystem::path path = dir_ / "temp" / (name + ".gif");
        EXPECT_TRUE(LooksLikeGif(Read(path))) << name;
        files += " '" + path.string() + "'";
    }
    EXPECT_EQ(names.size(), 22u);
    // Pillow decodes each to its stated size where it is installed.
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3-pil is not installed: the pictures were not decoded";
    }
    const std::string check =
        "/usr/bin/python3 -c 'import sys\nfrom PIL import Image\nfor p in sys.argv[1:]:\n"
        " im = Image.open(p); im.load(); assert im.size[0] > 0 and im.size[1] > 0, p' " +
        files;
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(TreePictures, PicturesFromAddresses) {
    qxtest::LoopbackHttpServer server;
    std::string gif = Read(std::filesystem::path(QX_SOURCE_DIR) / "treeview/module/pictures/heritage002.gif");
    gif += std::string(300, 'x'); // longer than one read, so that several reads and the last matter
    qxtest::HttpResponse slow = qxtest::Reply(200, gif);
    slow.pieceSize = 100;
    slow.pause = std::chrono::milliseconds(5);
    server.Serve("/a/leaf.gif", qxtest::Reply(200, gif));
    server.Serve("/b/leaf.gif", qxtest::Reply(200, "other"));
    server.Serve("/slow/branch.gif", slow);
    server.Serve("/missing.gif", qxtest::Reply(404, "no"));
    const char* set[] = {"blank.gif",     "vertical.gif",       "pnode.gif", "plastnode.gif",
                         "prootnode.gif", "pfirstrootnode.gif", "mnode.gif", "mlastnode.gif",
                         "mrootnode.gif", "mfirstrootnode.gif", "node.gif",  "lastnode.gif",
                         "rootnode.gif",  "firstrootnode.gif"};
    for (const char* name : set)
        server.Serve(std::string("/set/") + name, qxtest::Reply(200, gif));
    Write("pictures.xml",
          "<TREEVIEWDATA><NODEICONIMAGE><NAME>A</NAME><LEAFDEFAULTICON>" + server.Url("/a/leaf.gif") +
              "</LEAFDEFAULTICON><BRANCHDEFAULTICON>" + server.Url("/slow/branch.gif") +
              "</BRANCHDEFAULTICON><LEAFSELECTEDICON>" + server.Url("/missing.gif") +
              "</LEAFSELECTEDICON></NODEICONIMAGE><NODEICONIMAGE><NAME>B</NAME><LEAFDEFAULTICON>" +
              server.Url("/b/leaf.gif") + "</LEAFDEFAULTICON><BRANCHSELECTEDICON NODOWNLOAD='true'>" +
              server.Url("/c/quiet.gif") +
              "</BRANCHSELECTEDICON></NODEICONIMAGE>"
              "<HERITAGEICONIMAGE><NAME>S</NAME><SETHERITAGEICONBYCOMMONNAME>" +
              server.Url("/set/") +
              "</SETHERITAGEICONBYCOMMONNAME></HERITAGEICONIMAGE><HERITAGEICONIMAGE><NAME>Q</NAME>"
              "<SETHERITAGEICONBYCOMMONNAME NODOWNLOAD='TRUE'>" +
              server.Url("/quiet/") +
              "</SETHERITAGEICONBYCOMMONNAME></HERITAGEICONIMAGE><NODE><VALUE>x</VALUE>"
              "<SETNODEICONBYNAME>b</SETNODEICONBYNAME></NODE></TREEVIEWDATA>");
    EXPECT_EQ(Open(TreeBody("t.dataSource = 'pictures.xml'; say(box.firstChild.leafDefaultIcon,"
                            "box.firstChild.branchSelectedIcon)")),
              TempUrl("LEAF.GIF") + " " + TempUrl("QUIET.GIF"));
    EXPECT_EQ(Read(dir_ / "temp" / "LEAF.GIF"), gif);
    EXPECT_EQ(Read(dir_ / "temp" / "BRANCH.GIF"), gif);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "temp" / "MISSING.GIF"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "temp" / "QUIET.GIF"));
    EXPECT_EQ(server.RequestCount("/b/leaf.gif"), 0);
    for (const char* name : set) {
        EXPECT_EQ(server.RequestCount(std::string("/set/") + name), 1) << name;
        std::string upper = name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(Read(dir_ / "temp" / upper), gif) << name;
    }
    EXPECT_EQ(server.RequestCount("/quiet/blank.gif"), 0);
    EXPECT_EQ(errors_, "");
}

TEST_F(TreePictures, ExportIsStableAcrossReimport) {
    qxtest::LoopbackHttpServer server;
    const std::string gif = Read(std::filesystem::path(QX_SOURCE_DIR) / "treeview/module/pictures/blank.gif");
    server.Serve("/p/icon.gif", qxtest::Reply(200, gif));
    Write(
        "export.xml",
        "<TREEVIEWDATA><TEXTCOLOR><NAME>WARM</NAME><DEFAULTTEXTCOLOR>maroon</DEFAULTTEXTCOLOR></TEXTCOLOR>"
        "<NODEICONIMAGE><NAME>P</NAME><LEAFDEFAULTICON>" +
            server.Url("/p/icon.gif") +
            "</LEAFDEFAULTICON></NODEICONIMAGE><DATA2>d</DATA2>"
            "<NODE><VALUE>A</VALUE><EXPANDED>TRUE</EXPANDED><DATA1>one</DATA1><NODES><NODE><VALUE>A1</VALUE>"
            "<SETTEXTCOLORBYNAME>warm</SETTEXTCOLORBYNAME><SETNODEICONBYNAME>p</SETNODEICONBYNAME><SELECT/></"
            "NODE>"
            "</NODES></NODE><NODE><VALUE>B</VALUE><ISLEAF>FALSE</ISLEAF></NODE></TREEVIEWDATA>");
    const std::string describe =
        "function describe() { var r = []; var all = box.getElementsByTagName('DIV'); for (var i = 0; i < "
        "all.length; i++) {"
        "var n = all[i], imgs = n.getElementsByTagName('IMG'), s = []; for (var j = 0; j < imgs.length; j++) "
        "s.push(imgs[j].src); r.push([n.value, n.depth, n.style.display, n.textItem.style.color,"
        "n.textItem.style.backgroundColor, s.join(' ')].join(';')); } return r.join('\\n') }";
    const std::string said = Open(TreeBody(
        describe + "t.dataSource = 'export.xml'; var first = t.xmlObject.xml; var before = describe();"
                   "t.dataSource = t.xmlObject; var second = t.xmlObject.xml;"
                   "say(first == second, before == describe()); say(first)"));
    const std::string temp = TempUrl("");
    const std::string expected =
        "true true|<TREEVIEWDATA><TEXTCOLOR><NAME>WARM</NAME><DEFAULTTEXTCOLOR>maroon</DEFAULTTEXTCOLOR>"
        "<DEFAULTBGCOLOR>white</DEFAULTBGCOLOR><HOTTRACKINGTEXTCOLOR>white</HOTTRACKINGTEXTCOLOR>"
        "<HOTTRACKINGBGCOLOR>gray</HOTTRACKINGBGCOLOR><SELECTEDTEXTCOLOR>white</SELECTEDTEXTCOLOR>"
        "<SELECTEDBGCOLOR>blue</SELECTEDBGCOLOR></TEXTCOLOR><NODEICONIMAGE><NAME>P</NAME><LEAFDEFAULTICON>" +
        temp + "ICON.GIF</LEAFDEFAULTICON><LEAFSELECTEDICON>" + temp +
        "LEAFSELECTEDICON.gif</LEAFSELECTEDICON>"
        "<BRANCHDEFAULTICON>" +
        temp + "BRANCHDEFAULTICON.gif</BRANCHDEFAULTICON><BRANCHSELECTEDICON>" + temp +
        "BRANCHSELECTEDICON.gif</BRANCHSELECTEDICON></NODEICONIMAGE><DATA2>d</DATA2><NODES><NODE><VALUE>A</"
        "VALUE>"
        "<EXPANDED>TRUE</EXPANDED><ISLEAF>FALSE</ISLEAF><DEFAULTTEXTCOLOR>black</DEFAULTTEXTCOLOR>"
        "<DEFAULTBGCOLOR>white</DEFAULTBGCOLOR><SELECTEDTEXTCOLOR>white</SELECTEDTEXTCOLOR>"
        "<SELECTEDBGCOLOR>blue</SELECTEDBGCOLOR><LEAFDEFAULTICON>" +
        temp +
        "LEAFDEFAULTICON.gif</LEAFDEFAULTICON>"
        "<LEAFSELECTEDICON>" +
        temp + "LEAFSELECTEDICON.gif</LEAFSELECTEDICON><BRANCHDEFAULTICON>" + temp +
        "BRANCHDEFAULTICON.gif</BRANCHDEFAULTICON><BRANCHSELECTEDICON>" + temp +
        "BRANCHSELECTEDICON.gif</BRANCHSELECTEDICON><DATA1>one</DATA1><NODES><NODE><VALUE>A1</VALUE>"
        "<EXPANDED>FALSE</EXPANDED><ISLEAF>TRUE</ISLEAF><DEFAULTTEXTCOLOR>maroon</DEFAULTTEXTCOLOR>"
        "<DEFAULTBGCOLOR>white</DEFAULTBGCOLOR><SELECTEDTEXTCOLOR>white</SELECTEDTEXTCOLOR>"
        "<SELECTEDBGCOLOR>blue</SELECTEDBGCOLOR><LEAFDEFAULTICON>" +
        temp +
        "ICON.GIF</LEAFDEFAULTICON>"
        "<LEAFSELECTEDICON>" +
        temp + "LEAFSELECTEDICON.gif</LEAFSELECTEDICON><BRANCHDEFAULTICON>" + temp +
        "BRANCHDEFAULTICON.gif</BRANCHDEFAULTICON><BRANCHSELECTEDICON>" + temp +
        "BRANCHSELECTEDICON.gif</BRANCHSELECTEDICON><SETNODEICONBYNAME>P</SETNODEICONBYNAME><SELECT/>"
        "</NODE></NODES></NODE><NODE><VALUE>B</VALUE><EXPANDED>FALSE</EXPANDED><ISLEAF>FALSE</ISLEAF>"
        "<DEFAULTTEXTCOLOR>black</DEFAULTTEXTCOLOR><DEFAULTBGCOLOR>white</DEFAULTBGCOLOR>"
        "<SELECTEDTEXTCOLOR>white</SELECTEDTEXTCOLOR><SELECTEDBGCOLOR>blue</"
        "SELECTEDBGCOLOR><LEAFDEFAULTICON>" +
        temp + "LEAFDEFAULTICON.gif</LEAFDEFAULTICON><LEAFSELECTEDICON>" + temp +
        "LEAFSELECTEDICON.gif</LEAFSELECTEDICON><BRANCHDEFAULTICON>" + temp +
        "BRANCHDEFAULTICON.gif</BRANCHDEFAULTICON><BRANCHSELECTEDICON>" + temp +
        "BRANCHSELECTEDICON.gif</BRANCHSELECTEDICON></NODE></NODES></TREEVIEWDATA>";
    EXPECT_EQ(said, expected);
    EXPECT_EQ(errors_, "");
    EXPECT_EQ(server.RequestCount("/p/icon.gif"), 1);
    EXPECT_EQ(Read(dir_ / "temp" / "ICON.GIF"), gif);
}

// cmd through the container's dispatch from C++, where a null BSTR can be given.
TEST_F(TreePictures, CmdStartsProgramsUnlessTheyRun) {
    qx::win32::RecordingShellOpener opener;
    qx::win32::ShellOpener* previous = qx::win32::SetShellOpener(&opener);
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string other(self, length > 0 ? length : 0);
    for (char& c : other)
        c = static_cast<char>(std::islower(static_cast<unsigned char>(c)) ? std::toupper(c)
                                                                          : std::tolower(c));
    Open(TreeBody(""));
    qx::com::ComPtr<IHTMLDocument3> document3 = qx::com::ComPtr<IHTMLDocument3>::QueryFrom(document_.Get());
    qx::com::ComPtr<IDispatch> box;
    ASSERT_EQ(document3->getElementById(qx::com::Bstr(u"box"), &box), S_OK);
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"cmd")};
    ASSERT_EQ(box->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    const auto cmd = [&](const char* file, const char* parameter, const std::string* search) {
        VARIANT args[3];
        args[2].vt = args[1].vt = args[0].vt = VT_BSTR;
        args[2].bstrVal = qx::com::Bstr::FromUtf8(file).Detach();
        args[1].bstrVal = qx::com::Bstr::FromUtf8(parameter).Detach();
        args[0].bstrVal = search ? qx::com::Bstr::FromUtf8(*search).Detach() : nullptr;
        DISPPARAMS params{args, nullptr, 3, 0};
        const HRESULT hr = box->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        for (VARIANT& arg : args)
            VariantClear(&arg);
        return hr;
    };
    const std::string nowhere = "/no/such/program";
    EXPECT_EQ(cmd("/bin/echo", "one \"two three\" four;rm", nullptr), S_OK);
    EXPECT_EQ(cmd("/bin/echo", "x", &other), S_OK);
    EXPECT_EQ(cmd("/bin/echo", "y", &nowhere), S_OK);
    qx::win32::SetShellOpener(previous);
    const auto calls = opener.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, "/bin/echo");
    EXPECT_EQ(calls[0].parameters, "one \"two three\" four;rm");
    EXPECT_EQ(calls[0].directory, "");
    EXPECT_EQ(calls[0].showCommand, 10);
    EXPECT_EQ(calls[1].parameters, "y");
    EXPECT_EQ(qx::win32::SplitCommandLine(calls[0].parameters),
              (std::vector<std::string>{"one", "two three", "four;rm"}));
}

} // namespace
