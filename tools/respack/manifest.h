// The resource manifest of a component: one resource a line, a version block, string tables.
//
//   # comment
//   REGISTRY 101 1042 file convert.rgs       TYPE NAME LANGUAGE file PATH
//   HTML "toolbar.gif" 1042 file toolbar.gif names are quoted (or bare words), ids are numbers
//   ICON 1 1042 file app.ico                  an icon file becomes RT_ICON images and an RT_GROUP_ICON
//   CURSOR 201 1042 file split.cur            a cursor file becomes RT_CURSOR images and an RT_GROUP_CURSOR
//   STRING 101 1042 "text\n"                  one string of a table; the packer builds the blocks
//   VERSION 1 1042 begin                      the version resource, up to "end":
//     FileVersion 1.0.1.1                       four numbers each
//     ProductVersion 1.0.1.1
//     FileFlags 0 / FileType dll|app / CodePage 1200
//     string FileDescription "Quorle Module"   one "\StringFileInfo\<lang><codepage>" value
//   end
//
// Types: REGISTRY and TYPELIB (named types), HTML, STRING, DIALOG, BITMAP, ICON, CURSOR, VERSION,
// RCDATA, a number, or a quoted name. Relative paths are found next to the manifest, then in
// the search folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace respack {

// A type or name: a number, or a name (UTF-16, kept as written; the blob upper-cases it).
struct Key {
    std::uint16_t id = 0;
    std::u16string name;
    bool operator==(const Key&) const = default;
    bool operator<(const Key& other) const {
        if ((id == 0) != (other.id == 0)) {
            return id != 0; // numbers first
        }
        return id != 0 ? id < other.id : name < other.name;
    }
};

struct Resource {
    Key type;
    Key name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> data;
};

struct Manifest {
    std::vector<Resource> resources;
    std::vector<std::filesystem::path> inputs; // every file read, for the build's dependencies
};

// Reads and expands the manifest; throws std::runtime_error("file:line: message").
Manifest ReadManifest(const std::filesystem::path& manifest,
                      const std::vector<std::filesystem::path>& search);

// The packed blob of the resources (layout in qx/resource/blob_format.h); throws on duplicates.
std::vector<std::uint8_t> PackBlob(std::vector<Resource> resources);

} // namespace respack
