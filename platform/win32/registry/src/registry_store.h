// The process-wide registry state: the directory, the in-memory tree kept in step with the
// registry file, the file lock and write of a transaction, and the table of open key handles.
#pragma once

#include "key_tree.h"
#include "winreg.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <sys/types.h>

namespace qx::registry::detail {

struct OpenHandle {
    std::uint64_t serial = 0;
    bool classesRoot = false; // HKEY_CLASSES_ROOT itself, found by path each time
    REGSAM access = 0;
};

// Where a handle points, with the rights it was opened with.
struct ResolvedKey {
    LONG error = ERROR_SUCCESS;
    Key* key = nullptr; // null with ERROR_SUCCESS: HKEY_CLASSES_ROOT before its key exists
    bool classesRoot = false;
    REGSAM access = 0;
};

class Store {
public:
    static Store& Instance();

    std::recursive_mutex& Mutex() { return mutex_; }

    std::filesystem::path Directory();
    void SetDirectory(const std::filesystem::path& directory);

    // Brings the tree up to date with the file; the error of a damaged or unreadable file.
    LONG Refresh();
    Tree& tree() { return *tree_; }

    // Write scopes nest; the outermost one takes the file lock and, on End, writes the file when
    // something changed (or drops the changes when commit is false).
    LONG BeginWrite();
    LONG EndWrite(bool commit);
    void MarkChanged() {
        changed_ = true;
        ++generation_;
    }
    std::uint64_t Generation() const { return generation_; }

    HKEY AddHandle(const OpenHandle& handle);
    bool CloseHandle(HKEY key);
    ResolvedKey Resolve(HKEY key, bool forWrite);

    // HKLM\Software\Classes, made when create is set; null when missing.
    Key* ClassesRoot(bool create);

    // Prints a message on standard error once per distinct key.
    void ReportOnce(const std::string& key, const std::string& message);

private:
    struct FileId {
        bool exists = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        long long mtimeSec = 0;
        long long mtimeNsec = 0;
        bool operator==(const FileId&) const = default;
    };

    std::filesystem::path FilePath() const { return directory_ / "registry.txt"; }
    LONG Load(int attempts = 3);
    LONG WriteFile();
    void Invalidate();
    void ReleaseFileLock();
    void RemoveLeftoverTempFiles();

    std::recursive_mutex mutex_;
    bool directoryKnown_ = false;
    std::filesystem::path directory_;

    std::unique_ptr<Tree> tree_ = std::make_unique<Tree>();
    bool haveState_ = false; // tree_ (or loadError_) matches loadedId_
    LONG loadError_ = ERROR_SUCCESS;
    FileId loadedId_;
    int heldFd_ = -1; // keeps the loaded file's inode from being reused while we compare it
    std::uint64_t generation_ = 0;

    int writeDepth_ = 0;
    bool changed_ = false;
    bool doomed_ = false;
    int lockFd_ = -1;

    std::map<std::uintptr_t, OpenHandle> handles_;
    std::uintptr_t nextHandle_ = 0x1000;
    std::set<std::string> reported_;
};

// Holds the registry lock for one API call and keeps the tree current; for a change, also a
// write scope that commits when the call returns.
class ReadCall {
public:
    ReadCall() : store_(Store::Instance()), lock_(store_.Mutex()), status_(store_.Refresh()) {}
    LONG Status() const { return status_; }
    Store& store() { return store_; }

private:
    Store& store_;
    std::lock_guard<std::recursive_mutex> lock_;
    LONG status_;
};

class WriteCall {
public:
    WriteCall() : store_(Store::Instance()), lock_(store_.Mutex()), status_(store_.BeginWrite()) {}
    ~WriteCall() {
        if (status_ == ERROR_SUCCESS && !finished_)
            store_.EndWrite(true);
    }
    WriteCall(const WriteCall&) = delete;
    WriteCall& operator=(const WriteCall&) = delete;

    LONG Status() const { return status_; }
    Store& store() { return store_; }
    // Ends the scope; the result of the write when the call's own result was a success.
    LONG Finish(LONG result) {
        finished_ = true;
        const LONG written = store_.EndWrite(true);
        return result == ERROR_SUCCESS ? written : result;
    }

private:
    Store& store_;
    std::lock_guard<std::recursive_mutex> lock_;
    LONG status_;
    bool finished_ = false;
};

} // namespace qx::registry::detail
