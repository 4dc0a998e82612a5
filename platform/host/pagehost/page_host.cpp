#include "page_host.h"

#include "script_host.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/html/behaviors/page_behaviors.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/dom/html_parser.h>
#include <qx/html/dom/serializer.h>
#include <qx/html/layout/document_geometry.h>
#include <qx/html/script/page_script.h>
#include <qx/win32/input_driver.h>
#include <qx/win32/virtual_clock.h>
#include <urlmon.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qx::host {
namespace {

bool IsUrl(const std::string& page) {
    return page.find("://") != std::string::npos;
}

// The page's bytes and address; false (with the reason on standard error) when it cannot be read.
bool ReadPage(const std::string& page, std::string* bytes, std::u16string* url) {
    if (!IsUrl(page)) {
        std::ifstream in(page, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "pagehost: cannot read \"%s\"\n", page.c_str());
            return false;
        }
        bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::error_code ec;
        *url = com::Utf8ToUtf16("file://" + std::filesystem::absolute(page, ec).string());
        return true;
    }
    *url = com::Utf8ToUtf16(page);
    com::ComPtr<IStream> stream;
    if (FAILED(URLOpenBlockingStreamW(nullptr, url->c_str(), &stream, 0, nullptr))) {
        std::fprintf(stderr, "pagehost: cannot load \"%s\"\n", page.c_str());
        return false;
    }
    char buffer[65536];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
        bytes->append(buffer, read);
    return true;
}

bool Save(const html::dom::DomPtr& dom, const std::string& path) {
    const std::string bytes =
        html::dom::EncodeDocumentText(html::dom::DocumentHtml(dom->tree), dom->tree.charset);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) {
        std::fprintf(stderr, "pagehost: cannot write \"%s\"\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int RunPageHost(const PageHostOptions& options) {
    std::string bytes;
    std::u16string url;
    if (!ReadPage(options.page, &bytes, &url))
        return kPageCannotLoad;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = kPageOk;
    {
        com::ComPtr<IHTMLDocument2> document;
        if (FAILED(html::dom::LoadHtmlDocumentObject({{bytes, {}, {}}, url}, &document))) {
            std::fprintf(stderr, "pagehost: \"%s\" is no page this browser can load\n", options.page.c_str());
            status = kPageCannotLoad;
        } else {
            // The page is laid out, so that geometry reads answer from its styles and attributes.
            html::layout::AttachLayout(
                *com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get())->AccessDocument());
            win32::InstallVirtualClock(0);
            std::unique_ptr<html::script::PageScript> page;
            html::script::PageScriptOptions pageOptions;
            pageOptions.url = url;
            pageOptions.activator = ActivateByProgId;
            if (FAILED(html::script::PageScript::Open(document.Get(), std::move(pageOptions), &page))) {
                std::fprintf(stderr, "pagehost: the page's script engine cannot start\n");
                status = kPageCannotLoad;
            } else {
                // Behaviours that styles name are attached before the page's script runs.
                std::unique_ptr<html::behaviors::PageBehaviors> behaviors;
                if (SUCCEEDED(html::behaviors::PageBehaviors::Open(document.Get(), {}, &behaviors)))
                    behaviors->ApplyStyles();
                page->RunScripts();
                const unsigned seconds = options.seconds.value_or(kIdleLimitSeconds);
                win32::input::PumpUntilIdle(static_cast<DWORD>(seconds) * 1000u);
                if (page->ErrorCount() > 0)
                    status = kPageScriptError;
                com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
                if (!options.savePath.empty() && !Save(access->AccessDocument(), options.savePath))
                    status = kPageCannotLoad;
                behaviors.reset();
                page.reset();
            }
            win32::RemoveVirtualClock();
        }
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return status;
}

} // namespace qx::host
