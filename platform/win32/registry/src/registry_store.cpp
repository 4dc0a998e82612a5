#include "registry_store.h"

#include "qx/win32/registry.h"
#include "registry_file.h"
#include "registry_limits.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::registry::detail {

namespace {

constexpr const char* kMessagePrefix = "qxforms registry: ";

LONG WriteErrorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return ERROR_CANTWRITE;
    }
}

bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxFileBytes)
            return true; // the parser reports the size
    }
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

Store& Store::Instance() {
    static Store* store = new Store(); // never destroyed: handles may be closed during exit
    return *store;
}

std::filesystem::path Store::Directory() {
    std::lock_guard lock(mutex_);
    if (!directoryKnown_) {
        std::error_code ec;
        directory_ = std::filesystem::absolute(DefaultRegistryDirectory(), ec);
        if (ec)
            directory_ = DefaultRegistryDirectory();
        directoryKnown_ = true;
    }
    return directory_;
}

void Store::SetDirectory(const std::filesystem::path& directory) {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    directory_ = std::filesystem::absolute(directory, ec);
    if (ec)
        directory_ = directory;
    directoryKnown_ = true;
    handles_.clear();
    Invalidate();
    if (heldFd_ >= 0)
        close(heldFd_);
    heldFd_ = -1;
    tree_ = std::make_unique<Tree>();
    loadedId_ = FileId{};
}

void Store::ReportOnce(const std::string& key, const std::string& message) {
    if (reported_.insert(key).second)
        std::fprintf(stderr, "%s%s\n", kMessagePrefix, message.c_str());
}

void Store::Invalidate() {
    haveState_ = false;
    ++generation_;
}

LONG Store::Refresh() {
    Directory();
    if (writeDepth_ > 0)
        return ERROR_SUCCESS; // our own transaction holds the file lock: the file cannot change
    return Load();
}

LONG Store::Load(int attempts) {
    const std::filesystem::path path = FilePath();
    struct stat st {};
    FileId id;
    if (stat(path.c_str(), &st) == 0) {
        id = FileId{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    } else if (errno != ENOENT) {
        const int error = errno;
        ReportOnce("stat:" + path.string() + std::to_string(error),
                   "cannot read " + path.string() + ": " + std::strerror(error));
        haveState_ = false;
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (haveState_ && id == loadedId_)
        return loadError_;

    if (!id.exists) {
        if (heldFd_ >= 0)
            close(heldFd_);
        heldFd_ = -1;
        tree_ = std::make_unique<Tree>();
        loadError_ = ERROR_SUCCESS;
        loadedId_ = id;
        haveState_ = true;
        ++generation_;
        return ERROR_SUCCESS;
    }

    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string text;
    bool readable = fd >= 0 && fstat(fd, &st) == 0;
    if (readable && !S_ISREG(st.st_mode)) {
        errno = EISDIR;
        readable = false;
    }
    if (!readable || !ReadAll(fd, text)) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        if (fd < 0 && error == ENOENT && attempts > 0)
            return Load(attempts - 1); // replaced between stat and open: look again
        ReportOnce("read:" + path.string() + std::to_string(error),
                   "cannot read " + path.string() + ": " + std::strerror(error));
        haveState_ = false;
        return ERROR_REGISTRY_IO_FAILED;
    }
    id = FileId{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};

    ParsedTree parsed = ParseTree(text);
    if (parsed.tree) {
        tree_ = std::move(parsed.tree);
        loadError_ = ERROR_SUCCESS;
    } else {
        // Keep the damaged file as it is, for its owner to repair; every call fails meanwhile.
        tree_ = std::make_unique<Tree>();
        loadError_ = ERROR_REGISTRY_CORRUPT;
        ReportOnce("damaged:" + path.string() + ":" + std::to_string(id.ino) + ":" + std::to_string(id.size) +
                       ":" + std::to_string(id.mtimeSec) + "." + std::to_string(id.mtimeNsec),
                   path.string() + " is damaged (line " + std::to_string(parsed.line) + ": " + parsed.error +
                       "); it is left as it is and the registry cannot be used until it is repaired");
    }
    if (heldFd_ >= 0)
        close(heldFd_);
    heldFd_ = fd;
    loadedId_ = id;
    haveState_ = true;
    ++generation_;
    return loadError_;
}

LONG Store::BeginWrite() {
    Directory();
    if (writeDepth_ > 0) {
        ++writeDepth_;
        return ERROR_SUCCESS;
    }
    std::error_code ec;
    std::filesystem::create_directories(directory_, ec);
    if (ec) {
        ReportOnce("mkdir:" + directory_.string() + std::to_string(ec.value()),
                   "cannot create the registry directory " + directory_.string() + ": " + ec.message());
        return WriteErrorFromErrno(ec.value());
    }
    const std::filesystem::path lockPath = directory_ / "registry.lock";
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        ReportOnce("lock:" + lockPath.string() + std::to_string(error),
                   "cannot change the registry in " + directory_.string() + ": " + std::strerror(error));
        return WriteErrorFromErrno(error);
    }
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            close(fd);
            ReportOnce("flock:" + lockPath.string() + std::to_string(error),
                       "cannot lock " + lockPath.string() + ": " + std::strerror(error));
            return ERROR_LOCK_VIOLATION;
        }
    }
    lockFd_ = fd;
    RemoveLeftoverTempFiles();
    const LONG loaded = Load();
    if (loaded != ERROR_SUCCESS) {
        ReleaseFileLock();
        return loaded;
    }
    writeDepth_ = 1;
    changed_ = false;
    doomed_ = false;
    return ERROR_SUCCESS;
}

void Store::RemoveLeftoverTempFiles() {
    // A temporary file exists only while its writer holds the lock; one seen now was left by a
    // writer that died before its rename.
    std::error_code ec;
    for (std::filesystem::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(".registry.txt.", 0) == 0)
            unlink(it->path().c_str());
    }
}

void Store::ReleaseFileLock() {
    if (lockFd_ >= 0) {
        flock(lockFd_, LOCK_UN);
        close(lockFd_);
    }
    lockFd_ = -1;
}

LONG Store::EndWrite(bool commit) {
    if (writeDepth_ <= 0)
        return ERROR_INVALID_FUNCTION;
    if (--writeDepth_ > 0) {
        if (!commit)
            doomed_ = true;
        return ERROR_SUCCESS;
    }
    LONG result = ERROR_SUCCESS;
    if (changed_) {
        if (commit && !doomed_)
            result = WriteFile();
        else
            result = commit ? ERROR_CANCELLED : ERROR_SUCCESS;
        if (!commit || doomed_ || result != ERROR_SUCCESS)
            Invalidate(); // the next call reloads the file as it is on disk
    } else if (commit && doomed_) {
        result = ERROR_CANCELLED;
    }
    changed_ = false;
    doomed_ = false;
    ReleaseFileLock();
    return result;
}

LONG Store::WriteFile() {
    const std::string text = SerializeTree(*tree_);
    if (text.size() > kMaxFileBytes) {
        ReportOnce("size", "the registry would grow beyond its size limit; the change is not made");
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    const std::filesystem::path path = FilePath();
    std::string temp = (directory_ / ".registry.txt.XXXXXX").string();
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    int error = 0;
    if (fd < 0) {
        error = errno;
    } else if (fchmod(fd, 0644) != 0 || !WriteAll(fd, text) || fsync(fd) != 0 ||
               rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
        close(fd);
        unlink(temp.c_str());
    }
    if (error != 0) {
        ReportOnce("write:" + directory_.string() + std::to_string(error),
                   "cannot write " + path.string() + ": " + std::strerror(error) +
                       "; the registry is left as it was");
        return WriteErrorFromErrno(error);
    }
    const int dirFd = open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    struct stat st {};
    fstat(fd, &st);
    if (heldFd_ >= 0)
        close(heldFd_);
    heldFd_ = fd;
    loadedId_ = FileId{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    loadError_ = ERROR_SUCCESS;
    haveState_ = true;
    return ERROR_SUCCESS;
}

HKEY Store::AddHandle(const OpenHandle& handle) {
    const std::uintptr_t value = nextHandle_;
    nextHandle_ += 4;
    handles_[value] = handle;
    return reinterpret_cast<HKEY>(value);
}

bool Store::CloseHandle(HKEY key) {
    return handles_.erase(reinterpret_cast<std::uintptr_t>(key)) != 0;
}

Key* Store::ClassesRoot(bool create) {
    Key* software = tree_->Root(Hive::LocalMachine)->FindSubkey(u"Software");
    if (software == nullptr) {
        if (!create)
            return nullptr;
        software = tree_->AddSubkey(tree_->Root(Hive::LocalMachine), u"Software");
        MarkChanged();
    }
    Key* classes = software->FindSubkey(u"Classes");
    if (classes == nullptr) {
        if (!create)
            return nullptr;
        classes = tree_->AddSubkey(software, u"Classes");
        MarkChanged();
    }
    return classes;
}

ResolvedKey Store::Resolve(HKEY key, bool forWrite) {
    ResolvedKey result;
    if (key == HKEY_CLASSES_ROOT) {
        result.classesRoot = true;
        result.access = KEY_ALL_ACCESS;
        result.key = ClassesRoot(forWrite);
        return result;
    }
    const struct {
        HKEY handle;
        Hive hive;
    } predefined[] = {{HKEY_LOCAL_MACHINE, Hive::LocalMachine},
                      {HKEY_CURRENT_USER, Hive::CurrentUser},
                      {HKEY_USERS, Hive::Users},
                      {HKEY_CURRENT_CONFIG, Hive::CurrentConfig}};
    for (const auto& entry : predefined) {
        if (key == entry.handle) {
            result.key = tree_->Root(entry.hive);
            result.access = KEY_ALL_ACCESS;
            return result;
        }
    }
    auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == handles_.end()) {
        result.error = ERROR_INVALID_HANDLE;
        return result;
    }
    result.access = it->second.access;
    if (it->second.classesRoot) {
        result.classesRoot = true;
        result.key = ClassesRoot(forWrite);
        return result;
    }
    result.key = tree_->FindBySerial(it->second.serial);
    if (result.key == nullptr)
        result.error = ERROR_KEY_DELETED;
    return result;
}

} // namespace qx::registry::detail

namespace qx::registry {

std::filesystem::path DefaultRegistryDirectory() {
    if (const char* dir = std::getenv("QX_REGISTRY_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/')
        return std::filesystem::path(data) / "qxforms" / "registry";
    std::filesystem::path home;
    if (const char* env = std::getenv("HOME"); env != nullptr && *env != '\0') {
        home = env;
    } else if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        home = entry->pw_dir;
    } else {
        home = "/";
    }
    return home / ".local" / "share" / "qxforms" / "registry";
}

std::filesystem::path RegistryDirectory() {
    return detail::Store::Instance().Directory();
}

void SetRootForTesting(const std::filesystem::path& directory) {
    detail::Store::Instance().SetDirectory(directory);
}

Transaction::Transaction() {
    auto& store = detail::Store::Instance();
    store.Mutex().lock();
    status_ = store.BeginWrite();
    if (status_ != ERROR_SUCCESS) {
        finished_ = true;
        store.Mutex().unlock();
    }
}

Transaction::~Transaction() {
    if (!finished_) {
        auto& store = detail::Store::Instance();
        store.EndWrite(false);
        store.Mutex().unlock();
    }
}

LONG Transaction::Commit() {
    if (finished_)
        return status_ == ERROR_SUCCESS ? ERROR_INVALID_FUNCTION : status_;
    finished_ = true;
    auto& store = detail::Store::Instance();
    const LONG result = store.EndWrite(true);
    store.Mutex().unlock();
    return result;
}

} // namespace qx::registry
