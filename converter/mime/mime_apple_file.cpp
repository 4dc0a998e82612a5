#include "mime_apple_file.h"

namespace {

const DWORD kMagicSingle = 0x00051600;
const DWORD kMagicDouble = 0x00051607;
const DWORD kVersion = 0x00020000;
const size_t kHeaderLength = 26; // magic, version, 16 filler bytes, entry count
const size_t kDescriptorLength = 12;
const DWORD kIdDataFork = 1;
const DWORD kIdResourceFork = 2;
const DWORD kIdFileName = 3;
const DWORD kIdFileDates = 8;
const DWORD kDatesLength = 16;
const LONGLONG kSecondsFrom1970To2000 = 946684800;

void AppendLong(MimeString& out, DWORD value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes, 4);
}

DWORD ReadLong(const BYTE* p) {
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
           (static_cast<DWORD>(p[2]) << 8) | p[3];
}

struct Entry {
    DWORD id;
    const MimeString* data;
};

} // namespace

AppleFileCodec::AppleFileCodec()
    : m_entryCount(0), m_hasFileName(FALSE), m_hasFileDates(FALSE), m_hasResourceFork(FALSE),
      m_hasDataFork(FALSE), m_status(kUnpackOk), m_kind(kAppleSingle), m_creationDate(kUnknownDate),
      m_modificationDate(kUnknownDate), m_backupDate(kUnknownDate), m_accessDate(kUnknownDate) {}

void AppleFileCodec::SetKind(LONG kind) {
    if (kind == kAppleSingle || kind == kAppleDouble) {
        m_kind = kind;
    }
}

void AppleFileCodec::SetCreationDate(LONG date) {
    m_creationDate = date;
    m_hasFileDates = TRUE;
}

void AppleFileCodec::SetModificationDate(LONG date) {
    m_modificationDate = date;
    m_hasFileDates = TRUE;
}

void AppleFileCodec::SetBackupDate(LONG date) {
    m_backupDate = date;
    m_hasFileDates = TRUE;
}

void AppleFileCodec::SetAccessDate(LONG date) {
    m_accessDate = date;
    m_hasFileDates = TRUE;
}

void AppleFileCodec::SetDates(LONG creation, LONG modification, LONG backup, LONG access) {
    m_creationDate = creation;
    m_modificationDate = modification;
    m_backupDate = backup;
    m_accessDate = access;
    m_hasFileDates = TRUE;
}

void AppleFileCodec::SetFileName(const MimeString& name) {
    m_fileName = name;
    m_hasFileName = TRUE;
}

void AppleFileCodec::SetResourceFork(const MimeString& fork) {
    m_resourceFork = fork;
    m_hasResourceFork = TRUE;
}

void AppleFileCodec::SetDataFork(const MimeString& fork) {
    m_dataFork = fork;
    m_hasDataFork = TRUE;
}

void AppleFileCodec::SetPackedForm(const MimeString& packed) {
    m_packedForm = packed;
    m_hasFileName = FALSE;
    m_hasFileDates = FALSE;
    m_hasResourceFork = FALSE;
    m_hasDataFork = FALSE;
}

void AppleFileCodec::Pack() {
    MimeString dates;
    AppendLong(dates, static_cast<DWORD>(m_creationDate));
    AppendLong(dates, static_cast<DWORD>(m_modificationDate));
    AppendLong(dates, static_cast<DWORD>(m_backupDate));
    AppendLong(dates, static_cast<DWORD>(m_accessDate));

    Entry entries[4];
    DWORD count = 0;
    if (m_hasFileName) {
        entries[count++] = {kIdFileName, &m_fileName};
    }
    if (m_hasFileDates) {
        entries[count++] = {kIdFileDates, &dates};
    }
    if (m_hasResourceFork) {
        entries[count++] = {kIdResourceFork, &m_resourceFork};
    }
    // AppleDouble keeps the data fork in the file itself, outside the header
    // form.
    if (m_hasDataFork && m_kind == kAppleSingle) {
        entries[count++] = {kIdDataFork, &m_dataFork};
    }

    MimeString out;
    AppendLong(out, m_kind == kAppleDouble ? kMagicDouble : kMagicSingle);
    AppendLong(out, kVersion);
    out.append(16, '\0');
    out.append(1, static_cast<char>(count >> 8));
    out.append(1, static_cast<char>(count));

    DWORD offset = static_cast<DWORD>(kHeaderLength + kDescriptorLength * count);
    for (DWORD i = 0; i < count; ++i) {
        const DWORD length = static_cast<DWORD>(entries[i].data->length());
        AppendLong(out, entries[i].id);
        AppendLong(out, offset);
        AppendLong(out, length);
        offset += length;
    }
    for (DWORD i = 0; i < count; ++i) {
        out.append(*entries[i].data);
    }
    m_entryCount = count;
    m_packedForm = out;
}

LONG AppleFileCodec::Unpack() {
    m_status = UnpackEntries();
    return m_status;
}

LONG AppleFileCodec::UnpackEntries() {
    m_hasFileName = FALSE;
    m_hasFileDates = FALSE;
    m_hasResourceFork = FALSE;
    m_hasDataFork = FALSE;
    m_entryCount = 0;
    m_creationDate = kUnknownDate;
    m_modificationDate = kUnknownDate;
    m_backupDate = kUnknownDate;
    m_accessDate = kUnknownDate;
    m_fileName.clear();
    m_resourceFork.clear();
    m_dataFork.clear();

    const BYTE* in = reinterpret_cast<const BYTE*>(m_packedForm.data());
    const size_t length = m_packedForm.length();
    if (length < kHeaderLength) {
        return kUnpackTooShort;
    }
    const DWORD magic = ReadLong(in);
    if (magic != kMagicSingle && magic != kMagicDouble) {
        return kUnpackBadMagic;
    }
    m_kind = magic == kMagicDouble ? kAppleDouble : kAppleSingle;
    if (ReadLong(in + 4) != kVersion) {
        return kUnpackBadVersion;
    }
    const DWORD count = (static_cast<DWORD>(in[24]) << 8) | in[25];
    m_entryCount = count;
    const size_t tableEnd = kHeaderLength + kDescriptorLength * count;
    if (length < tableEnd) {
        return kUnpackBadEntries;
    }

    // Every descriptor is checked before anything is copied. The checks subtract
    // from the form's length instead of adding offset and length, so that no sum
    // can wrap.
    for (DWORD i = 0; i < count; ++i) {
        const BYTE* descriptor = in + kHeaderLength + kDescriptorLength * i;
        const DWORD id = ReadLong(descriptor);
        const size_t offset = ReadLong(descriptor + 4);
        const size_t entryLength = ReadLong(descriptor + 8);
        if (offset < tableEnd || offset > length || entryLength > length - offset) {
            return kUnpackBadEntries;
        }
        if (id == kIdFileDates && entryLength < kDatesLength) {
            return kUnpackBadEntries;
        }
    }

    for (DWORD i = 0; i < count; ++i) {
        const BYTE* descriptor = in + kHeaderLength + kDescriptorLength * i;
        const DWORD id = ReadLong(descriptor);
        const size_t offset = ReadLong(descriptor + 4);
        const size_t entryLength = ReadLong(descriptor + 8);
        const MimeString bytes(m_packedForm, offset, entryLength);
        switch (id) {
        case kIdFileDates:
            m_creationDate = static_cast<LONG>(ReadLong(in + offset));
            m_modificationDate = static_cast<LONG>(ReadLong(in + offset + 4));
            m_backupDate = static_cast<LONG>(ReadLong(in + offset + 8));
            m_accessDate = static_cast<LONG>(ReadLong(in + offset + 12));
            m_hasFileDates = TRUE;
            break;
        case kIdFileName:
            m_fileName = bytes;
            m_hasFileName = TRUE;
            break;
        case kIdResourceFork:
            m_resourceFork = bytes;
            m_hasResourceFork = TRUE;
            break;
        case kIdDataFork:
            m_dataFork = bytes;
            m_hasDataFork = TRUE;
            break;
        default:
            break;
        }
    }
    return kUnpackOk;
}

LONGLONG AppleFileCodec::DateToUnixTime(LONG date) {
    if (date < -kSecondsFrom1970To2000) {
        return 0;
    }
    return static_cast<LONGLONG>(date) + kSecondsFrom1970To2000;
}

LONG AppleFileCodec::UnixTimeToDate(LONGLONG unixTime) {
    const LONGLONG date = unixTime - kSecondsFrom1970To2000;
    if (date <= static_cast<LONGLONG>(kUnknownDate) || date > 0x7FFFFFFFll) {
        return kUnknownDate;
    }
    return static_cast<LONG>(date);
}
