// The list view's data: the bytes are an XML document given to a list view as a data island
// (an element whose "XMLDocument" is the parsed document) through its dataSource, and the same
// bytes are the WIDTH, MINSIZE and MAXSIZE texts of a header loaded after it. Whatever they
// hold, the load ends and the page closes without a fault.
#include "../../tests/listview/inprocess_list_page.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// The text as a JScript string literal.
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (unsigned char c : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
        quoted += escaped;
    }
    return quoted + "'";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The component stays loaded for the whole run: the fuzzer's coverage counters live in it.
    static HMODULE pinned = qx::module::LoadModule(QX_ORRIN_COMPONENT);
    (void)pinned;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        orrin_test::InProcessListPage page(QX_ORRIN_COMPONENT);
        const std::string bytes(reinterpret_cast<const char*>(data), size);
        if (page.Open("<html><body><div id=lv style='width:300px;height:120px'></div></body></html>")) {
            page.Run("var lv = document.getElementById('lv'); lv.addBehavior('#f#LISTVIEW', factory);\n"
                     "xml.loadXML(" +
                     Quoted(bytes) +
                     ");\nvar island = document.createElement('DIV'); island.XMLDocument = xml;\n"
                     "lv.dataSource = island; lv.rows.add(); lv.headers.add();\n"
                     "var n = xml.createElement('HEADER'), t = " +
                     Quoted(bytes) +
                     ";\nvar names = ['WIDTH', 'MINSIZE', 'MAXSIZE'];\n"
                     "for (var i = 0; i < 3; i++) { var e = xml.createElement(names[i]); e.text = t; "
                     "n.appendChild(e); }\nlv.headers.item(0).insertAfter(n); said = lv.headers.length;");
        }
    }
    CoUninitialize();
    return 0;
}
