#include "qx/module/elf_section.h"

#include "winerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::module {
namespace {

constexpr std::uint64_t kMaxSections = 1u << 20;
constexpr std::uint64_t kMaxNameTable = 64u * 1024u * 1024u;
constexpr std::uint16_t kExtendedIndex = 0xFFFF;

std::uint64_t Le(const unsigned char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

class ElfFile {
public:
    ElfFile(const ElfReadFn& read, std::uint64_t fileSize) : read_(read), fileSize_(fileSize) {}

    ElfSectionResult Find(std::string_view wanted, std::size_t maxSize) {
        ElfSectionResult result;
        result.error = ParseHeader();
        if (result.error != ElfSectionError::None) {
            return result;
        }
        Section names;
        if (!ReadSection(nameIndex_, names) || names.type == kNoBits || !InFile(names.offset, names.size) ||
            names.size > kMaxNameTable) {
            result.error = ElfSectionError::BadFormat;
            return result;
        }
        std::vector<char> table(names.size);
        if (names.size != 0 && !read_(names.offset, table.size(), table.data())) {
            result.error = ElfSectionError::ReadFailed;
            return result;
        }
        for (std::uint64_t i = 1; i < count_; ++i) {
            Section s;
            if (!ReadSection(i, s)) {
                result.error = ElfSectionError::BadFormat;
                return result;
            }
            if (s.name >= table.size()) {
                continue;
            }
            const char* begin = table.data() + s.name;
            const void* end = std::memchr(begin, '\0', table.size() - s.name);
            if (end == nullptr || std::string_view(begin, static_cast<const char*>(end) - begin) != wanted) {
                continue;
            }
            if (s.type == kNoBits || s.size == 0) {
                result.error = ElfSectionError::NotFound;
                return result;
            }
            if (!InFile(s.offset, s.size)) {
                result.error = ElfSectionError::BadFormat;
                return result;
            }
            if (s.size > maxSize) {
                result.error = ElfSectionError::TooLarge;
                return result;
            }
            result.bytes.resize(s.size);
            if (!read_(s.offset, result.bytes.size(), result.bytes.data())) {
                result.bytes.clear();
                result.error = ElfSectionError::ReadFailed;
            }
            return result;
        }
        result.error = ElfSectionError::NotFound;
        return result;
    }

private:
    static constexpr std::uint32_t kNoBits = 8;

    bool InFile(std::uint64_t offset, std::uint64_t size) const {
        return offset <= fileSize_ && size <= fileSize_ - offset;
    }

    ElfSectionError ParseHeader() {
        unsigned char h[64] = {};
        if (fileSize_ < 52 || !read_(0, fileSize_ < 64 ? 52 : 64, h)) {
            return ElfSectionError::BadFormat;
        }
        if (std::memcmp(h,
                        "\x7F"
                        "ELF",
                        4) != 0 ||
            h[5] != 1 /* little-endian */) {
            return ElfSectionError::BadFormat;
        }
        if (h[4] == 2) {
            if (fileSize_ < 64) {
                return ElfSectionError::BadFormat;
            }
            wide_ = true;
            tableOffset_ = Le(h + 40, 8);
            entrySize_ = Le(h + 58, 2);
            count_ = Le(h + 60, 2);
            nameIndex_ = Le(h + 62, 2);
        } else if (h[4] == 1) {
            wide_ = false;
            tableOffset_ = Le(h + 32, 4);
            entrySize_ = Le(h + 46, 2);
            count_ = Le(h + 48, 2);
            nameIndex_ = Le(h + 50, 2);
        } else {
            return ElfSectionError::BadFormat;
        }
        if (tableOffset_ == 0) {
            return ElfSectionError::NotFound; // no section table at all
        }
        if (entrySize_ < (wide_ ? 64u : 40u)) {
            return ElfSectionError::BadFormat;
        }
        // Extended numbering keeps the real count and name-table index in section 0.
        if (count_ == 0 || nameIndex_ == kExtendedIndex) {
            count_ = std::max<std::uint64_t>(count_, 1);
            Section first;
            if (!ReadSection(0, first)) {
                return ElfSectionError::BadFormat;
            }
            if (count_ == 1 && first.size != 0) {
                count_ = first.size;
            }
            if (nameIndex_ == kExtendedIndex) {
                nameIndex_ = first.link;
            }
        }
        if (count_ > kMaxSections || nameIndex_ >= count_ || !InFile(tableOffset_, count_ * entrySize_)) {
            return ElfSectionError::BadFormat;
        }
        return ElfSectionError::None;
    }

    bool ReadSection(std::uint64_t index, Section& s) {
        if (index > kMaxSections) {
            return false;
        }
        std::uint64_t at = tableOffset_ + index * entrySize_;
        unsigned char e[64] = {};
        std::size_t need = wide_ ? 64 : 40;
        if (!InFile(at, need) || !read_(at, need, e)) {
            return false;
        }
        s.name = static_cast<std::uint32_t>(Le(e, 4));
        s.type = static_cast<std::uint32_t>(Le(e + 4, 4));
        if (wide_) {
            s.offset = Le(e + 24, 8);
            s.size = Le(e + 32, 8);
            s.link = static_cast<std::uint32_t>(Le(e + 40, 4));
        } else {
            s.offset = Le(e + 16, 4);
            s.size = Le(e + 20, 4);
            s.link = static_cast<std::uint32_t>(Le(e + 24, 4));
        }
        return true;
    }

    const ElfReadFn& read_;
    std::uint64_t fileSize_;
    bool wide_ = false;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t entrySize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t nameIndex_ = 0;
};

} // namespace

ElfSectionResult ReadElfSection(const ElfReadFn& read, std::uint64_t fileSize, std::string_view name,
                                std::size_t maxSize) {
    ElfFile file(read, fileSize);
    return file.Find(name, maxSize);
}

ElfSectionResult ReadElfSection(std::span<const std::byte> file, std::string_view name, std::size_t maxSize) {
    ElfReadFn read = [file](std::uint64_t offset, std::size_t size, void* out) {
        if (offset > file.size() || size > file.size() - offset) {
            return false;
        }
        if (size != 0) {
            std::memcpy(out, file.data() + offset, size);
        }
        return true;
    };
    return ReadElfSection(read, file.size(), name, maxSize);
}

ElfSectionResult ReadElfSectionFromFile(const std::string& utf8Path, std::string_view name,
                                        std::size_t maxSize, DWORD* win32Error) {
    ElfSectionResult result;
    int fd = ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = ElfSectionError::ReadFailed;
        if (win32Error != nullptr) {
            *win32Error = (errno == ENOENT || errno == ENOTDIR) ? ERROR_FILE_NOT_FOUND
                          : errno == EACCES                     ? ERROR_ACCESS_DENIED
                                                                : ERROR_OPEN_FAILED;
        }
        return result;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.error = ElfSectionError::BadFormat;
        if (win32Error != nullptr) {
            *win32Error = ERROR_BAD_FORMAT;
        }
        return result;
    }
    ElfReadFn read = [fd](std::uint64_t offset, std::size_t size, void* out) {
        auto* p = static_cast<char*>(out);
        while (size > 0) {
            ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            p += n;
            size -= static_cast<std::size_t>(n);
            offset += static_cast<std::uint64_t>(n);
        }
        return true;
    };
    result = ReadElfSection(read, static_cast<std::uint64_t>(st.st_size), name, maxSize);
    ::close(fd);
    if (win32Error != nullptr) {
        switch (result.error) {
        case ElfSectionError::None:
            *win32Error = ERROR_SUCCESS;
            break;
        case ElfSectionError::NotFound:
            *win32Error = ERROR_RESOURCE_DATA_NOT_FOUND;
            break;
        case ElfSectionError::BadFormat:
        case ElfSectionError::TooLarge:
            *win32Error = ERROR_BAD_FORMAT;
            break;
        case ElfSectionError::ReadFailed:
            *win32Error = ERROR_READ_FAULT;
            break;
        }
    }
    return result;
}

} // namespace qx::module
