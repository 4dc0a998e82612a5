// AppleSingle (version 2) and AppleDouble: a Macintosh file's name, dates and
// forks packed into one big-endian binary form, and unpacked again.
#pragma once

#include "mime_string.h"
#include "wintypes.h"

class AppleFileCodec {
public:
    enum { kAppleSingle = 0, kAppleDouble = 1 };

    // Results of Unpack.
    enum UnpackStatus {
        kUnpackOk = 0,
        kUnpackTooShort = 1,
        kUnpackBadMagic = 2,
        kUnpackBadVersion = 3,
        kUnpackBadEntries = 4,
    };

    // Dates count seconds since 2000-01-01 00:00 UTC; this value means unknown.
    static constexpr LONG kUnknownDate = static_cast<LONG>(0x80000000u);

    AppleFileCodec();

    DWORD EntryCount() const { return m_entryCount; }
    BOOL HasFileName() const { return m_hasFileName; }
    BOOL HasFileDates() const { return m_hasFileDates; }
    BOOL HasResourceFork() const { return m_hasResourceFork; }
    BOOL HasDataFork() const { return m_hasDataFork; }
    LONG Status() const { return m_status; }

    LONG Kind() const { return m_kind; }
    // Only 0 (AppleSingle) and 1 (AppleDouble) are taken; other values leave the
    // kind.
    void SetKind(LONG kind);

    LONG CreationDate() const { return m_creationDate; }
    LONG ModificationDate() const { return m_modificationDate; }
    LONG BackupDate() const { return m_backupDate; }
    LONG AccessDate() const { return m_accessDate; }
    void SetCreationDate(LONG date);
    void SetModificationDate(LONG date);
    void SetBackupDate(LONG date);
    void SetAccessDate(LONG date);
    void SetDates(LONG creation, LONG modification, LONG backup, LONG access);

    const MimeString& FileName() const { return m_fileName; }
    void SetFileName(const MimeString& name);
    const MimeString& ResourceFork() const { return m_resourceFork; }
    void SetResourceFork(const MimeString& fork);
    const MimeString& DataFork() const { return m_dataFork; }
    void SetDataFork(const MimeString& fork);
    const MimeString& PackedForm() const { return m_packedForm; }
    // Clears the four presence flags; the next Unpack sets them from the form.
    void SetPackedForm(const MimeString& packed);

    // Fields to packed form.
    void Pack();
    // Packed form to fields; 0 or one of the UnpackStatus errors (also kept as
    // Status).
    LONG Unpack();

    // Seconds since 1970 of a date (dates before 1970 give 0), and back (an
    // instant that no date can hold gives kUnknownDate).
    static LONGLONG DateToUnixTime(LONG date);
    static LONG UnixTimeToDate(LONGLONG unixTime);

private:
    LONG UnpackEntries();

    DWORD m_entryCount;
    BOOL m_hasFileName;
    BOOL m_hasFileDates;
    BOOL m_hasResourceFork;
    BOOL m_hasDataFork;
    LONG m_status;
    LONG m_kind;
    LONG m_creationDate;
    LONG m_modificationDate;
    LONG m_backupDate;
    LONG m_accessDate;
    MimeString m_fileName;
    MimeString m_resourceFork;
    MimeString m_dataFork;
    MimeString m_packedForm;
};
