// Bodies of "res:" URLs: a resource packed into a component file, loaded or not.
//
// res://<module>/<type>/<name> and res://<module>/<name> (type RT_HTML). The module is a full
// path ("res:///opt/qx/libvelkor.so/102", drive paths too) or a file name, looked up among the
// loaded modules (also with the "lib" prefix that shared libraries carry), then beside the
// program. Type and name are numbers ("23", "#23") or names.
#include "byte_source.h"
#include "qx/module/loader.h"
#include "qx/resource/file_resources.h"
#include "qx/resource/resource_set.h"
#include "qx/win32/codepage.h"
#include "qx/win32/file_paths.h"
#include "winerror.h"

#include <sys/stat.h>

#include <optional>

namespace qx::net {
namespace {

constexpr WORD kHtmlType = 23;

std::optional<qx::resource::ResourceId> IdFromSegment(const std::string& text) {
    std::string digits = text.size() > 1 && text[0] == '#' ? text.substr(1) : text;
    if (!digits.empty() && digits.size() <= 5 &&
        digits.find_first_not_of("0123456789") == std::string::npos) {
        unsigned long number = std::stoul(digits);
        if (number > 0 && number <= 0xFFFF) {
            return qx::resource::ResourceId::FromNumber(static_cast<WORD>(number));
        }
    }
    if (text.empty() || text[0] == '#') {
        return std::nullopt;
    }
    bool lossy = false;
    std::u16string wide = qx::win32::AnsiToWide(text, &lossy);
    if (lossy) {
        return std::nullopt;
    }
    return qx::resource::ResourceId::FromName(wide);
}

bool IsFile(const std::string& path) {
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The resources of the module that the text names; nullopt when there is no such module.
std::optional<qx::resource::FileResources> FindModule(const std::string& ansiModule) {
    std::string path = qx::win32::OsPathFromAnsi(ansiModule.c_str());
    if (path.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> candidates;
    bool bare = path.find('/') == std::string::npos;
    if (HMODULE loaded = qx::module::FindLoadedModule(path)) {
        if (auto full = qx::module::ModulePath(loaded)) {
            candidates.push_back(*full);
        }
    }
    if (bare) {
        if (HMODULE loaded = qx::module::FindLoadedModule("lib" + path)) {
            if (auto full = qx::module::ModulePath(loaded)) {
                candidates.push_back(*full);
            }
        }
        if (auto program = qx::module::ModulePath(nullptr)) {
            std::string folder = program->substr(0, program->rfind('/') + 1);
            candidates.push_back(folder + path);
            candidates.push_back(folder + "lib" + path);
        }
    }
    candidates.push_back(path);
    for (const std::string& candidate : candidates) {
        if (!IsFile(candidate) && qx::module::FindLoadedModule(candidate) == nullptr) {
            continue;
        }
        DWORD error = 0;
        if (auto resources = qx::resource::FileResources::Open(candidate, &error)) {
            return resources;
        }
    }
    return std::nullopt;
}

} // namespace

HRESULT OpenResourceSource(const std::string& spec, std::unique_ptr<ByteSource>& source) {
    std::size_t last = spec.rfind('/');
    if (last == std::string::npos || last == 0 || last + 1 == spec.size()) {
        return INET_E_INVALID_URL;
    }
    struct Candidate {
        std::string module;
        std::string type; // empty: RT_HTML
    };
    std::vector<Candidate> candidates{{spec.substr(0, last), ""}};
    std::size_t before = spec.rfind('/', last - 1);
    if (before != std::string::npos && before > 0) {
        candidates.push_back({spec.substr(0, before), spec.substr(before + 1, last - before - 1)});
    }
    auto name = IdFromSegment(spec.substr(last + 1));
    if (!name) {
        return INET_E_INVALID_URL;
    }
    for (const Candidate& candidate : candidates) {
        auto resources = FindModule(candidate.module);
        if (!resources) {
            continue;
        }
        auto type = candidate.type.empty() ? qx::resource::ResourceId::FromNumber(kHtmlType)
                                           : IdFromSegment(candidate.type);
        if (!type) {
            return INET_E_INVALID_URL;
        }
        DWORD error = 0;
        auto bytes = resources->Read(*type, *name, 0, &error);
        if (!bytes) {
            return INET_E_RESOURCE_NOT_FOUND;
        }
        source = MakeMemorySource(std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        return S_OK;
    }
    return INET_E_RESOURCE_NOT_FOUND;
}

} // namespace qx::net
