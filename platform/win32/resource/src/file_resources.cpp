#include "qx/resource/file_resources.h"

#include "qx/module/elf_section.h"
#include "qx/module/loader.h"
#include "qx/resource/blob_format.h"
#include "winerror.h"

#include <sys/stat.h>

namespace qx::resource {

std::optional<FileResources> FileResources::Open(const std::string& utf8Path, DWORD* error) {
    DWORD code = ERROR_SUCCESS;
    FileResources result;
    struct stat st = {};
    bool onDisk = ::stat(utf8Path.c_str(), &st) == 0;
    if (!onDisk) {
        // A statically linked component answers to a path of its own that need not exist.
        if (HMODULE module = qx::module::FindLoadedModule(utf8Path); module != nullptr && !utf8Path.empty()) {
            auto bytes = qx::module::ModuleResources(module);
            if (bytes && !bytes->empty()) {
                if (auto set = ResourceSet::Parse(*bytes)) {
                    result.set_ = std::move(*set);
                    return result;
                }
            }
        }
    }
    auto section =
        qx::module::ReadElfSectionFromFile(utf8Path, format::kSectionName, format::kMaxBlobSize, &code);
    if (section.error != qx::module::ElfSectionError::None) {
        if (error != nullptr) {
            *error = code;
        }
        return std::nullopt;
    }
    result.bytes_ = std::make_shared<const std::vector<std::byte>>(std::move(section.bytes));
    auto set = ResourceSet::Parse(*result.bytes_);
    if (!set) {
        if (error != nullptr) {
            *error = ERROR_BAD_FORMAT;
        }
        return std::nullopt;
    }
    result.set_ = std::move(*set);
    return result;
}

std::optional<std::vector<std::byte>> FileResources::Read(const ResourceId& type, const ResourceId& name,
                                                          WORD language, DWORD* error) const {
    const ResourceEntry* entry = set_.Find(type, name, language, error);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return std::vector<std::byte>(entry->data.begin(), entry->data.end());
}

} // namespace qx::resource
