// Resources of a component file that need not be loaded: read from the file's resource section
// (or, for a module registered or loaded under that path, from memory). Used by the version
// functions and by the type-library loader.
#pragma once

#include "qx/resource/resource_set.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx::resource {

class FileResources {
public:
    // nullopt with a Win32 error: ERROR_FILE_NOT_FOUND, ERROR_BAD_FORMAT (not an ELF file or a
    // damaged one), ERROR_RESOURCE_DATA_NOT_FOUND (no resources in it).
    static std::optional<FileResources> Open(const std::string& utf8Path, DWORD* error);

    const ResourceSet& Set() const { return set_; }
    // A copy of one resource's bytes, or nullopt with the Win32 error of the lookup.
    std::optional<std::vector<std::byte>> Read(const ResourceId& type, const ResourceId& name, WORD language,
                                               DWORD* error) const;

private:
    std::shared_ptr<const std::vector<std::byte>> bytes_; // owns what set_ points into (files only)
    ResourceSet set_;
};

} // namespace qx::resource
