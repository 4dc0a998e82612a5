// A headless page of the stand-in browser with Tamsel registered: its script, its behaviours and
// its layout, the temporary folder private to the test. Rows are pages whose script says what it
// sees through say().
#pragma once

#include "component_test_support.h"

#include "qx/com/bstr.h"
#include "qx/com/variant.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/layout/document_geometry.h"
#include "qx/html/script/page_script.h"
#include "qx/xml/xml_dom.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tamseltest {

inline HRESULT CreateByProgId(std::u16string_view progId, IDispatch** object) {
    const std::u16string name(progId);
    CLSID clsid{};
    const HRESULT hr = CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(name.c_str()), &clsid);
    return FAILED(hr) ? hr
                      : CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         reinterpret_cast<void**>(object));
}

// A GIF signature, a non-zero logical screen size and the trailer.
inline bool LooksLikeGif(const std::string& bytes) {
    if (bytes.size() < 14 || (bytes.compare(0, 6, "GIF87a") != 0 && bytes.compare(0, 6, "GIF89a") != 0))
        return false;
    const int width = static_cast<unsigned char>(bytes[6]) | static_cast<unsigned char>(bytes[7]) << 8;
    const int height = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    return width > 0 && height > 0 && bytes.back() == 0x3B;
}

inline const std::string kPrelude =
    "<html><head><script>var out = []; function say() { out.push(Array.prototype.map.call(arguments, "
    "String).join(' ')); }</script></head>";

class TreePage : public qxtest::ComponentFileTest {
protected:
    TreePage() : ComponentFileTest(QX_TAMSEL_COMPONENT) {}

    void SetUp() override {
        ComponentFileTest::SetUp();
        ASSERT_EQ(Call("DllRegisterServer"), S_OK);
        qx::xml::RegisterXmlDomClass();
        std::string pattern = "/tmp/qx-tamsel-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        std::filesystem::create_directories(dir_ / "temp");
        setenv("QX_TEMP_DIR", (dir_ / "temp").c_str(), 1);
    }
    void TearDown() override {
        Close();
        qx::xml::RevokeXmlDomClass();
        unsetenv("QX_TEMP_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        ComponentFileTest::TearDown();
    }
    void Close() {
        behaviors_.reset();
        page_.reset();
        document_ = nullptr;
        dom_.reset();
    }
    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string PageUrl() const { return "file://" + (dir_ / "page.htm").string(); }
    std::string TempUrl(const std::string& name) const { return "file://" + (dir_ / "temp" / name).string(); }

    // Opens the page (behaviour styles applied), runs its scripts and gives what they said.
    std::string Open(const std::string& html) {
        Close();
        page_html_ = kPrelude + html;
        url_ = qx::com::Utf8ToUtf16(PageUrl());
        qx::html::dom::DocumentSource source{{page_html_, "", "utf-8"}, url_};
        EXPECT_EQ(qx::html::dom::LoadHtmlDocumentObject(source, &document_), S_OK);
        qx::com::ComPtr<IHtmlNodeAccess> access;
        EXPECT_EQ(document_->QueryInterface(IID_IHtmlNodeAccess, reinterpret_cast<void**>(&access)), S_OK);
        dom_ = access->AccessDocument();
        qx::html::layout::AttachLayout(*dom_);
        qx::html::script::PageScriptOptions scriptOptions;
        scriptOptions.activator = CreateByProgId;
        scriptOptions.report = [this](const std::string& report) { errors_ += report; };
        EXPECT_EQ(qx::html::script::PageScript::Open(document_.Get(), scriptOptions, &page_), S_OK);
        qx::html::behaviors::PageBehaviorOptions options;
        options.notifyFailed = [this](qx::html::dom::Node* element, LONG event, HRESULT hr) {
            failures_ += qx::com::Utf16ToUtf8(element->name) + " " + std::to_string(event) + " " +
                         std::to_string(static_cast<std::uint32_t>(hr)) + ";";
        };
        EXPECT_EQ(qx::html::behaviors::PageBehaviors::Open(document_.Get(), std::move(options), &behaviors_),
                  S_OK);
        behaviors_->ApplyStyles();
        page_->RunScripts();
        return Said();
    }
    // Runs more script in the open page and gives what it said.
    std::string Run(const std::string& script) {
        page_->Execute(script, "test");
        return Said();
    }
    std::string Said() {
        page_->Execute("var said = out.join('|'); out = [];", "test");
        qx::com::Variant said;
        page_->Engine().GetGlobal(u"said", &said);
        return said.vt == VT_BSTR ? qx::com::Utf16ToUtf8({said.bstrVal, SysStringLen(said.bstrVal)}) : "";
    }

    std::filesystem::path dir_;
    std::string page_html_;
    std::u16string url_;
    std::shared_ptr<qx::html::dom::DomDocument> dom_;
    qx::com::ComPtr<IHTMLDocument2> document_;
    std::unique_ptr<qx::html::script::PageScript> page_;
    std::unique_ptr<qx::html::behaviors::PageBehaviors> behaviors_;
    std::string errors_, failures_;
};

// A tree in a 240 x 160 positioned DIV, made by a factory the page creates; `t` is the tree.
inline std::string TreeBody(const std::string& script) {
    return "<body><div id=box style=\"position: absolute; left: 0px; top: 0px; width: 240px; height: 160px\">"
           "</div><script>var f = new ActiveXObject('Tamsel.TreeViewFactory'); "
           "var cookie = box.addBehavior('#f#TreeView', f);"
           "var t = box; function nodes() { var r = []; var all = box.getElementsByTagName('DIV');"
           "for (var i = 0; i < all.length; i++) r.push(all[i].value + ':' + all[i].depth); return "
           "r.join(','); }"
           "try {" +
           script + "} catch (e) { say('error', e.number, e.message) }</script></body>";
}

} // namespace tamseltest
