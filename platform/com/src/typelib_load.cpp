// LoadTypeLib: a type-library file of ours, or a component file read through the resource loader.
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/type_library.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::atomic<qx::com::TypeLibResourceLoader> g_resourceLoader{nullptr};

constexpr std::size_t kMaxFile = 64u << 20;

bool ReadFile(const std::string& path, std::vector<BYTE>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > kMaxFile)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    if (size)
        in.read(reinterpret_cast<char*>(bytes.data()), size);
    return static_cast<bool>(in) || in.eof();
}

} // namespace

namespace qx::com {

void SetTypeLibResourceLoader(TypeLibResourceLoader loader) {
    g_resourceLoader.store(loader);
}

} // namespace qx::com

namespace {

HRESULT LoadOnly(LPCOLESTR szFile, ITypeLib** pptlib) {
    if (!szFile || !pptlib)
        return E_INVALIDARG;
    *pptlib = nullptr;
    std::string path = qx::com::Utf16ToUtf8(szFile);
    std::vector<BYTE> bytes;
    if (ReadFile(path, bytes) && bytes.size() >= 4 && std::memcmp(bytes.data(), "QXTL", 4) == 0)
        return qx::com::LoadTypeLibFromMemory(bytes.data(), bytes.size(), pptlib);
    if (auto loader = g_resourceLoader.load()) {
        std::vector<BYTE> resource;
        if (SUCCEEDED(loader(szFile, resource)))
            return qx::com::LoadTypeLibFromMemory(resource.data(), resource.size(), pptlib);
    }
    return TYPE_E_CANTLOADLIBRARY;
}

} // namespace

// REGKIND_REGISTER also registers the library (RegisterTypeLib with the file's folder as help
// folder); REGKIND_DEFAULT and REGKIND_NONE only load it.
HRESULT LoadTypeLibEx(LPCOLESTR szFile, REGKIND regkind, ITypeLib** pptlib) {
    HRESULT hr = LoadOnly(szFile, pptlib);
    if (FAILED(hr) || regkind != REGKIND_REGISTER)
        return hr;
    hr = RegisterTypeLib(*pptlib, szFile, nullptr);
    if (FAILED(hr)) {
        (*pptlib)->Release();
        *pptlib = nullptr;
    }
    return hr;
}

// Registration is the caller's separate step (RegisterTypeLib), so this loads only.
HRESULT LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) {
    return LoadOnly(szFile, pptlib);
}
