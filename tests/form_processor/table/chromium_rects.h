// Page rectangles of elements by id as Chromium lays a page out in quirks mode (no doctype); an
// empty map where chromium is not installed.
#pragma once

#include "../../platform/html/chromium_runner.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace gridtest {

using ChromiumRects = std::map<std::string, std::array<long, 4>>;

inline ChromiumRects ChromiumPageRects(const std::string& html) {
    const std::string chromium = qx::test::Chromium();
    if (chromium.empty())
        return {};
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qx-grid-chromium-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path page = dir / "page.html";
    std::ofstream(page) << html
                        << "<script>var out = [], all = document.querySelectorAll('[id]');"
                           "for (var i = 0; i < all.length; i++) { var r = all[i].getBoundingClientRect();"
                           " out.push(all[i].id + ' ' + (r.left + scrollX) + ' ' + (r.top + scrollY) + ' ' +"
                           " r.width + ' ' + r.height); }"
                           "document.body.innerHTML = '<pre>' + out.join('\\n') + '</pre>';</script>";
    const std::string dump = qx::test::DumpDom(chromium, page, dir / "profile");
    std::filesystem::remove_all(dir);
    ChromiumRects rects;
    const auto start = dump.find("<pre>"), end = dump.find("</pre>");
    if (start == std::string::npos || end == std::string::npos)
        return rects;
    std::istringstream lines(dump.substr(start + 5, end - start - 5));
    std::string id;
    double left, top, width, height;
    while (lines >> id >> left >> top >> width >> height)
        rects[id] = {static_cast<long>(left), static_cast<long>(top), static_cast<long>(width),
                     static_cast<long>(height)};
    return rects;
}

} // namespace gridtest
