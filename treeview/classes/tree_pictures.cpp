// The tree's pictures: the built-in ones written from the module's "IMG" resources into the
// temporary folder, and the ones the data names, fetched there by address. The browser is given
// the file: URL of each temporary file.
#include "ansi_text.h"
#include "server_module.h"
#include "shlwapi_url.h"
#include "tree_dom.h"
#include "tree_node_behavior.h"
#include "tree_view_behavior.h"
#include "urlmon.h"

#include "fileapi.h"
#include "handleapi.h"
#include "winresource.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

std::string TempFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof(folder), folder);
    return length > 0 && length < sizeof(folder) ? std::string(folder, length) : std::string();
}

// The file: URL of an absolute path; characters that would end or change a URL are escaped.
std::string FileUrl(const std::string& path) {
    std::string url = "file://";
    for (const unsigned char c : path) {
        if (c == ' ' || c == '%' || c == '#' || c == '?' || c < 0x20) {
            static const char digits[] = "0123456789ABCDEF";
            url += '%';
            url += digits[c >> 4];
            url += digits[c & 15];
        } else {
            url += static_cast<char>(c);
        }
    }
    return url;
}

HANDLE CreateAlways(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

Bstr CTreeViewBehavior::ExtractIconResource(const char* name) {
    const HMODULE module = _Module.GetResourceInstance();
    const HRSRC resource = FindResourceA(module, name, "IMG");
    if (!resource)
        return Bstr();
    const std::string path = TempFolder() + name + ".gif";
    const HGLOBAL data = LoadResource(module, resource);
    const void* bytes = data ? LockResource(data) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    const HANDLE file = CreateAlways(path);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (bytes && size > 0)
            WriteFile(file, bytes, size, &written, nullptr);
        CloseHandle(file);
    }
    return Bstr::Attach(AnsiToBstr(FileUrl(path)));
}

HRESULT CTreeViewBehavior::ResolveUrl(BSTR text, std::string& address) {
    address.clear();
    std::string base;
    if (document_) {
        ComPtr<IDispatch> location;
        Variant href;
        if (SUCCEEDED(document_->get_location(&location)) && location &&
            SUCCEEDED(treedom::GetMember(location, u"href", &href)) && href.vt == VT_BSTR)
            base = BstrToAnsi(href.bstrVal);
    }
    const std::string relative = BstrToAnsi(text);
    if (base.empty()) {
        address = relative;
        return S_OK;
    }
    std::string combined(base.size() + relative.size() + 4096, '\0');
    DWORD length = static_cast<DWORD>(combined.size());
    TREE_CHECK(UrlCombineA(base.c_str(), relative.c_str(), combined.data(), &length, 0));
    combined.resize(length);
    address = combined;
    return S_OK;
}

Bstr CTreeViewBehavior::DownloadIcon(BSTR address, bool download) {
    std::string resolved;
    ResolveUrl(address, resolved);
    const std::u16string text(address ? address : u"", SysStringLen(address));
    const size_t slash = text.find_last_of(u"/\\");
    const std::u16string fileName =
        treedom::Upper(slash == std::u16string::npos ? text : text.substr(slash + 1));
    const std::string path = TempFolder() + BstrToAnsi(reinterpret_cast<const OLECHAR*>(fileName.c_str()),
                                                       static_cast<UINT>(fileName.size()));
    // A picture already in the temporary folder (a re-imported export) is used where it lies:
    // fetching it into itself would truncate it before it is read.
    const std::string folderUrl = FileUrl(TempFolder());
    if (resolved.size() > folderUrl.size() && resolved.compare(0, folderUrl.size(), folderUrl) == 0)
        return Bstr::Attach(AnsiToBstr(resolved));
    const std::string url = FileUrl(path);
    Bstr result = Bstr::Attach(AnsiToBstr(url));
    if (!download)
        return result;
    for (const IconEntry& entry : iconTable_)
        for (const Bstr& held : entry.paths)
            if (held == result)
                return result;
    if (resolved == path)
        return result;
    ComPtr<IStream> stream;
    if (FAILED(URLOpenBlockingStreamA(nullptr, resolved.c_str(), &stream, 0, nullptr)) || !stream)
        return result;
    const HANDLE file = CreateAlways(path);
    if (file == INVALID_HANDLE_VALUE)
        return result;
    for (;;) {
        char buffer[256];
        ULONG read = 0;
        const HRESULT hr = stream->Read(buffer, sizeof(buffer), &read);
        if (FAILED(hr))
            break;
        // The last bytes may come with S_FALSE: they are written too.
        DWORD written = 0;
        if (read > 0)
            WriteFile(file, buffer, read, &written, nullptr);
        if (hr == S_FALSE || read == 0)
            break;
    }
    CloseHandle(file);
    return result;
}
