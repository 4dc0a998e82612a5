#include "book.h"

#include "test_hooks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::wab {
namespace {

std::atomic<unsigned long long> g_nextToken{1};

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

HRESULT ErrorOf(int error) {
    return (error == EACCES || error == EPERM || error == EROFS) ? MAPI_E_NO_ACCESS : MAPI_E_CALL_FAILED;
}

// A file descriptor closed at scope end.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

HRESULT ReadBookFile(const std::string& path, std::vector<Card>& cards, bool& exists) {
    cards.clear();
    exists = false;
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT ? MAPI_E_NOT_FOUND : ErrorOf(errno);
    }
    exists = true;
    struct stat st = {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return MAPI_E_CORRUPT_DATA;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
        return MAPI_E_CORRUPT_DATA;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return ErrorOf(errno);
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxFileBytes) {
            return MAPI_E_CORRUPT_DATA; // it grew while we read
        }
    }
    auto raw = SplitCards(text);
    if (!raw) {
        return MAPI_E_CORRUPT_DATA;
    }
    cards.reserve(raw->size());
    for (const RawCard& r : *raw) {
        cards.push_back(CardFromLines(r));
    }
    return S_OK;
}

Book::Book(std::string path) : path_(std::move(path)), token_(g_nextToken++) {}

HRESULT Book::Open(const std::string& path, std::shared_ptr<Book>& book) {
    struct stat st = {};
    if (path.empty() || path.back() == '/' || ::stat(FolderOf(path).c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
        return MAPI_E_NOT_FOUND;
    }
    std::vector<Card> cards;
    bool exists = false;
    HRESULT hr = ReadBookFile(path, cards, exists);
    if (FAILED(hr) && exists) {
        return hr;
    }
    if (FAILED(hr) && hr != MAPI_E_NOT_FOUND) {
        return hr;
    }
    book.reset(new Book(path));
    book->Renumber(cards);
    return S_OK;
}

std::vector<Card> Book::Cards() const {
    std::lock_guard lock(mutex_);
    return cards_;
}

bool Book::FindCard(unsigned serial, Card& card) const {
    std::lock_guard lock(mutex_);
    auto it = positions_.find(serial);
    if (it == positions_.end()) {
        return false;
    }
    card = cards_[it->second];
    return true;
}

void Book::SetCards(std::vector<Card>&& cards) {
    cards_ = std::move(cards);
    positions_.clear();
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        positions_[cards_[i].serial] = i;
    }
}

void Book::Renumber(std::vector<Card>& fresh) {
    // The session's cards by UID and, for those without one in the file, by their bytes.
    std::unordered_map<std::string, const Card*> byUid;
    std::unordered_map<std::string, const Card*> byBytes;
    for (const Card& old : cards_) {
        if (old.uidFromFile) {
            byUid.emplace(old.uid, &old);
        } else if (!old.raw.empty()) {
            byBytes.emplace(old.raw, &old);
        }
    }
    for (Card& card : fresh) {
        card.serial = 0;
        auto& index = card.uidFromFile ? byUid : byBytes;
        auto it = index.find(card.uidFromFile ? card.uid : card.raw);
        if (it != index.end()) {
            card.serial = it->second->serial;
            if (!card.uidFromFile) {
                card.uid = it->second->uid;
            }
            index.erase(it); // two equal cards are two entries
        }
        if (card.serial == 0) {
            card.serial = nextSerial_++;
        }
    }
    SetCards(std::move(fresh));
}

HRESULT Book::WriteLocked(const std::vector<Card>& cards) const {
    std::string folder = FolderOf(path_);
    struct stat folderStat = {};
    if (::stat(folder.c_str(), &folderStat) != 0) {
        return ErrorOf(errno);
    }
    // A folder or file without any write permission is read-only, even to the superuser.
    mode_t mode = 0600;
    struct stat fileStat = {};
    if (::stat(path_.c_str(), &fileStat) == 0) {
        if ((fileStat.st_mode & 0222) == 0) {
            return MAPI_E_NO_ACCESS;
        }
        mode = fileStat.st_mode & 07777;
    }
    if ((folderStat.st_mode & 0222) == 0) {
        return MAPI_E_NO_ACCESS;
    }
    std::string text;
    for (const Card& card : cards) {
        text += CardText(card);
    }
    // A file past the reader's limits could never be opened again.
    if (cards.size() > kMaxCards || text.size() > kMaxFileBytes) {
        return MAPI_E_CALL_FAILED;
    }
    std::string base = path_.substr(path_.rfind('/') + 1);
    std::string temp = folder + "/." + base + ".XXXXXX";
    Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return ErrorOf(errno);
    }
    if (::fchmod(fd.get(), mode) != 0 || !WriteAll(fd.get(), text) || ::fsync(fd.get()) != 0 ||
        ::close(fd.release()) != 0 || ::rename(temp.c_str(), path_.c_str()) != 0) {
        HRESULT hr = ErrorOf(errno);
        ::unlink(temp.c_str());
        return hr;
    }
    Descriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() >= 0) {
        ::fsync(folderFd.get());
    }
    return S_OK;
}

HRESULT Book::SaveCard(const Card& card, unsigned& serial) {
    if (TakeSaveFault()) {
        return MAPI_E_CALL_FAILED;
    }
    std::lock_guard lock(mutex_);
    // Other processes take the same lock on the folder before they rewrite a book in it.
    Descriptor folder(::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        return ErrorOf(errno);
    }
    while (::flock(folder.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return ErrorOf(errno);
        }
    }
    std::vector<Card> fresh;
    bool exists = false;
    HRESULT hr = ReadBookFile(path_, fresh, exists);
    if (FAILED(hr) && (exists || hr != MAPI_E_NOT_FOUND)) {
        return hr == MAPI_E_NO_ACCESS ? hr : MAPI_E_CALL_FAILED; // a corrupt file is never overwritten
    }
    // Match what was read against the session's cards first, so the saved card finds its old self.
    Renumber(fresh);
    std::vector<Card> next = cards_;
    Card saved = card;
    saved.raw.clear();
    auto old = card.serial == 0 ? next.end() : std::find_if(next.begin(), next.end(), [&](const Card& c) {
        return c.serial == card.serial;
    });
    if (old != next.end()) {
        *old = saved;
    } else {
        saved.serial = nextSerial_++;
        next.push_back(saved);
    }
    hr = WriteLocked(next);
    if (FAILED(hr)) {
        return hr;
    }
    // The saved card now reads as it was written.
    for (Card& c : next) {
        if (c.serial == saved.serial) {
            c.raw = CardText(c);
            c.uidFromFile = true;
        }
    }
    SetCards(std::move(next));
    serial = saved.serial;
    return S_OK;
}

} // namespace qx::wab
