#include "qx/module/loader.h"

#include "qx/module/elf_section.h"
#include "qx/module/module_anchor.h"
#include "winerror.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <memory>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::module {
namespace {

// What DllMain sees as its reserved argument when the process is ending.
LPVOID const kProcessTerminating = reinterpret_cast<LPVOID>(static_cast<INT_PTR>(1));

// Resource sections larger than this are not believed.
constexpr std::size_t kMaxResourceSection = 512u * 1024u * 1024u;

struct Record {
    HMODULE handle = nullptr;
    std::string path;
    bool isStatic = false;
    StaticModuleInfo info; // static modules
    void* dl = nullptr;    // dlopen handle of a file
    ModuleAnchor* anchor = nullptr;
    int localCount = 0;           // references taken through this loader
    bool localAttached = false;   // attach state when the file has no anchor
    unsigned long long order = 0; // when it was attached, for the detach order at exit
};

struct Loader {
    std::recursive_mutex mutex;
    std::vector<std::unique_ptr<Record>> records;
    unsigned long long nextOrder = 1;
    bool exitHookInstalled = false;
    bool exiting = false;
};

// Built on first use, so it outlives the exit hook that the first load registers. A copy of
// the loader inside a component file goes away with that file.
Loader& TheLoader() {
    static Loader loader;
    return loader;
}

std::string BaseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FileExists(const std::string& path) {
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr) {
        return std::nullopt;
    }
    return std::string(buffer);
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') {
        return path;
    }
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof(cwd)) == nullptr) {
        return path;
    }
    return std::string(cwd) + "/" + path;
}

// Address of an object's ELF header in memory, from any address inside it.
HMODULE ObjectBase(const void* inside) {
    Dl_info info = {};
    if (inside == nullptr || ::dladdr(inside, &info) == 0) {
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE BaseOfHandle(void* dl) {
    link_map* map = nullptr;
    if (::dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        return nullptr;
    }
    return ObjectBase(map->l_ld);
}

HMODULE ExecutableBase() {
    static HMODULE base = [] {
        HMODULE found = nullptr;
        ::dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void* data) {
                for (int i = 0; i < info->dlpi_phnum; ++i) {
                    if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_offset == 0) {
                        *static_cast<HMODULE*>(data) =
                            reinterpret_cast<HMODULE>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
                        break;
                    }
                }
                return 1; // the first object is the program itself
            },
            &found);
        return found;
    }();
    return base;
}

Record* FindRecord(Loader& loader, HMODULE handle) {
    for (auto& r : loader.records) {
        if (r->handle == handle) {
            return r.get();
        }
    }
    return nullptr;
}

Record* FindRecordByName(Loader& loader, const std::string& name) {
    bool hasSlash = name.find('/') != std::string::npos;
    std::string absolute = hasSlash ? AbsolutePath(name) : name;
    for (auto& r : loader.records) {
        if (hasSlash ? r->path == absolute : BaseName(r->path) == name) {
            return r.get();
        }
    }
    if (hasSlash) {
        if (auto real = RealPath(name)) {
            for (auto& r : loader.records) {
                if (r->path == *real) {
                    return r.get();
                }
            }
        }
    }
    return nullptr;
}

// A symbol of the object itself, not one found among the libraries it depends on.
void* OwnSymbol(void* dl, HMODULE base, const char* name) {
    ::dlerror();
    void* symbol = ::dlsym(dl, name);
    if (symbol == nullptr || ObjectBase(symbol) != base) {
        return nullptr;
    }
    return symbol;
}

// Runs `use` with a dlopen handle of the loaded object at `base`, without loading anything.
template <class F>
auto WithObjectHandle(HMODULE base, F use) -> decltype(use(static_cast<void*>(nullptr))) {
    if (base == ExecutableBase()) {
        void* self = ::dlopen(nullptr, RTLD_NOW);
        auto result = use(self);
        if (self != nullptr) {
            ::dlclose(self);
        }
        return result;
    }
    Dl_info info = {};
    if (::dladdr(base, &info) == 0 || info.dli_fbase != base || info.dli_fname == nullptr) {
        return use(nullptr);
    }
    void* dl = ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL);
    if (dl != nullptr && BaseOfHandle(dl) != base) {
        ::dlclose(dl);
        dl = nullptr;
    }
    auto result = use(dl);
    if (dl != nullptr) {
        ::dlclose(dl);
    }
    return result;
}

ModuleAnchor* AnchorOf(void* dl, HMODULE base) {
    if (dl == nullptr) {
        return nullptr;
    }
    auto* anchor = static_cast<ModuleAnchor*>(OwnSymbol(dl, base, kAnchorSymbol));
    if (anchor == nullptr || anchor->magic != kAnchorMagic || anchor->version != kAnchorVersion) {
        return nullptr;
    }
    return anchor;
}

bool IsLoadedObject(HMODULE handle) {
    Dl_info info = {};
    return handle != nullptr && ::dladdr(handle, &info) != 0 && info.dli_fbase == handle;
}

PDLLMAIN EntryPoint(Record& r) {
    if (r.isStatic) {
        for (auto& e : r.info.exports) {
            if (e.name == "DllMain") {
                return reinterpret_cast<PDLLMAIN>(e.address);
            }
        }
        return nullptr;
    }
    return reinterpret_cast<PDLLMAIN>(OwnSymbol(r.dl, r.handle, "DllMain"));
}

// Marks the module attached; true when this call did it (so DllMain must run).
bool BeginAttach(Record& r) {
    if (r.anchor != nullptr) {
        return std::atomic_ref<int>(r.anchor->attached).exchange(1) == 0;
    }
    bool first = !r.localAttached;
    r.localAttached = true;
    return first;
}

// Marks the module detached; true when this call did it.
bool BeginDetach(Record& r) {
    if (r.anchor != nullptr) {
        return std::atomic_ref<int>(r.anchor->attached).exchange(0) == 1;
    }
    bool was = r.localAttached;
    r.localAttached = false;
    return was;
}

int AddReference(Record& r, int delta) {
    r.localCount += delta;
    if (r.anchor != nullptr) {
        return std::atomic_ref<int>(r.anchor->loadCount).fetch_add(delta) + delta;
    }
    return r.localCount;
}

void DetachAllAtExit() {
    Loader& loader = TheLoader();
    std::lock_guard lock(loader.mutex);
    loader.exiting = true;
    std::vector<Record*> attached;
    for (auto& r : loader.records) {
        if (r->localCount > 0) {
            attached.push_back(r.get());
        }
    }
    std::sort(attached.begin(), attached.end(), [](Record* a, Record* b) { return a->order > b->order; });
    for (Record* r : attached) {
        if (BeginDetach(*r)) {
            if (PDLLMAIN main = EntryPoint(*r)) {
                main(r->handle, DLL_PROCESS_DETACH, kProcessTerminating);
            }
        }
    }
}

// Takes the first reference's side effects: attach, or undo everything when DllMain refuses.
HMODULE FinishLoad(Loader& loader, Record& r) {
    int count = AddReference(r, 1);
    if (count == 1 && BeginAttach(r)) {
        r.order = loader.nextOrder++;
        PDLLMAIN main = EntryPoint(r);
        if (main != nullptr && !main(r.handle, DLL_PROCESS_ATTACH, nullptr)) {
            // A refusing module still hears the detach, as on Windows, and is unloaded.
            main(r.handle, DLL_PROCESS_DETACH, nullptr);
            BeginDetach(r);
            AddReference(r, -1);
            SetLastError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
    }
    if (!loader.exitHookInstalled) {
        loader.exitHookInstalled = true;
        std::atexit(DetachAllAtExit);
    }
    return r.handle;
}

void DropRecord(Loader& loader, Record* r) {
    if (r->isStatic || r->localCount > 0) {
        return;
    }
    if (r->dl != nullptr) {
        ::dlclose(r->dl);
    }
    std::erase_if(loader.records, [r](const std::unique_ptr<Record>& p) { return p.get() == r; });
}

// The file a bare name stands for: next to the program, then in the current folder.
std::optional<std::string> SearchFile(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return RealPath(name);
    }
    std::string exe = ExecutablePath();
    auto slash = exe.rfind('/');
    if (slash != std::string::npos && FileExists(exe.substr(0, slash + 1) + name)) {
        return RealPath(exe.substr(0, slash + 1) + name);
    }
    if (FileExists(name)) {
        return RealPath(name);
    }
    return std::nullopt;
}

// Windows libraries the platform provides itself: their file beside the platform library.
std::string ProvidedLibrary(const std::string& name) {
    struct Provided {
        const char* windowsName;
        const char* file;
    };
    static constexpr Provided kProvided[] = {{"WAB32.DLL", "libqxwab.so"}};
    for (const Provided& p : kProvided) {
        if (::strcasecmp(name.c_str(), p.windowsName) != 0) {
            continue;
        }
        Dl_info info = {};
        if (::dladdr(reinterpret_cast<void*>(&ProvidedLibrary), &info) == 0 || info.dli_fname == nullptr) {
            return std::string();
        }
        std::string self = AbsolutePath(info.dli_fname);
        return self.substr(0, self.rfind('/') + 1) + p.file;
    }
    return std::string();
}

std::span<const std::byte> BlobBytes(const void* blob) {
    if (blob == nullptr) {
        return {};
    }
    const auto* p = static_cast<const unsigned char*>(blob);
    std::uint32_t size = static_cast<std::uint32_t>(p[8] | (p[9] << 8) | (p[10] << 16)) |
                         (static_cast<std::uint32_t>(p[11]) << 24);
    if (std::memcmp(p, "QXRS", 4) != 0 || size > kMaxResourceSection) {
        return {};
    }
    return {static_cast<const std::byte*>(blob), size};
}

std::span<const std::byte> AnchorBytes(const ModuleAnchor* anchor) {
    if (anchor == nullptr || anchor->resourcesBegin == nullptr ||
        anchor->resourcesEnd < anchor->resourcesBegin ||
        static_cast<std::size_t>(anchor->resourcesEnd - anchor->resourcesBegin) > kMaxResourceSection) {
        return {};
    }
    return {reinterpret_cast<const std::byte*>(anchor->resourcesBegin),
            static_cast<std::size_t>(anchor->resourcesEnd - anchor->resourcesBegin)};
}

// The program's own resources: its exported anchor when it has one, else its file's section.
std::span<const std::byte> ExecutableResources() {
    static const std::vector<std::byte> bytes = [] {
        auto fromAnchor = WithObjectHandle(ExecutableBase(), [](void* dl) {
            auto span = AnchorBytes(AnchorOf(dl, ExecutableBase()));
            return std::vector<std::byte>(span.begin(), span.end());
        });
        if (!fromAnchor.empty()) {
            return fromAnchor;
        }
        DWORD error = 0;
        return ReadElfSectionFromFile(ExecutablePath(), "qxrsrc", kMaxResourceSection, &error).bytes;
    }();
    return bytes;
}

} // namespace

HMODULE RegisterStaticModule(StaticModuleInfo info) {
    Loader& loader = TheLoader();
    std::lock_guard lock(loader.mutex);
    info.path = AbsolutePath(info.path);
    for (auto& r : loader.records) {
        if (r->isStatic && r->path == info.path) {
            return r->handle;
        }
    }
    auto record = std::make_unique<Record>();
    record->isStatic = true;
    record->path = info.path;
    record->info = std::move(info);
    record->handle = reinterpret_cast<HMODULE>(record.get());
    HMODULE handle = record->handle;
    loader.records.push_back(std::move(record));
    return handle;
}

HMODULE LoadModule(const std::string& utf8Path) {
    if (utf8Path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Loader& loader = TheLoader();
    std::lock_guard lock(loader.mutex);
    if (Record* r = FindRecordByName(loader, utf8Path); r != nullptr && r->isStatic) {
        return FinishLoad(loader, *r);
    }
    std::string provided = ProvidedLibrary(utf8Path);
    std::optional<std::string> path = SearchFile(provided.empty() ? utf8Path : provided);
    if (!path && utf8Path.find('/') != std::string::npos) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A bare name found nowhere near the program is left to the system's library search.
    std::string target = path ? *path : utf8Path;
    void* dl = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (dl == nullptr) {
        SetLastError(path ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    HMODULE base = BaseOfHandle(dl);
    if (base == nullptr) {
        ::dlclose(dl);
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    Record* r = FindRecord(loader, base);
    if (r != nullptr) {
        ::dlclose(dl); // already held once by its record
    } else {
        auto record = std::make_unique<Record>();
        record->handle = base;
        record->dl = dl;
        Dl_info info = {};
        record->path = path ? *path
                       : (::dladdr(base, &info) != 0 && info.dli_fname != nullptr)
                           ? std::string(info.dli_fname)
                           : target;
        record->anchor = AnchorOf(dl, base);
        r = record.get();
        loader.records.push_back(std::move(record));
    }
    HMODULE result = FinishLoad(loader, *r);
    if (result == nullptr) {
        DropRecord(loader, r);
    }
    return result;
}

bool FreeModule(HMODULE module) {
    Loader& loader = TheLoader();
    std::lock_guard lock(loader.mutex);
    Record* r = FindRecord(loader, module);
    if (r == nullptr || r->localCount <= 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    int count = AddReference(*r, -1);
    if (count == 0 && BeginDetach(*r)) {
        if (PDLLMAIN main = EntryPoint(*r)) {
            main(r->handle, DLL_PROCESS_DETACH, loader.exiting ? kProcessTerminating : nullptr);
        }
    }
    if (!loader.exiting) {
        DropRecord(loader, r);
    }
    return true;
}

void* FindExport(HMODULE module, const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    {
        Loader& loader = TheLoader();
        std::lock_guard lock(loader.mutex);
        if (Record* r = FindRecord(loader, module)) {
            if (r->isStatic) {
                for (auto& e : r->info.exports) {
                    if (e.name == name) {
                        return e.address;
                    }
                }
                return nullptr;
            }
            return OwnSymbol(r->dl, r->handle, name);
        }
    }
    HMODULE base = module == nullptr ? ExecutableBase() : module;
    if (!IsLoadedObject(base)) {
        return nullptr;
    }
    return WithObjectHandle(base,
                            [&](void* dl) { return dl == nullptr ? nullptr : OwnSymbol(dl, base, name); });
}

std::optional<std::string> ModulePath(HMODULE module) {
    if (module == nullptr || module == ExecutableBase()) {
        return ExecutablePath();
    }
    {
        Loader& loader = TheLoader();
        std::lock_guard lock(loader.mutex);
        if (Record* r = FindRecord(loader, module)) {
            return r->path;
        }
    }
    Dl_info info = {};
    if (::dladdr(module, &info) == 0 || info.dli_fbase != module || info.dli_fname == nullptr) {
        return std::nullopt;
    }
    std::string name = info.dli_fname;
    if (auto real = RealPath(name)) {
        return *real;
    }
    return AbsolutePath(name);
}

HMODULE FindLoadedModule(const std::string& utf8Name) {
    if (utf8Name.empty()) {
        return ExecutableBase();
    }
    {
        Loader& loader = TheLoader();
        std::lock_guard lock(loader.mutex);
        if (Record* r = FindRecordByName(loader, utf8Name);
            r != nullptr && (!r->isStatic || r->localCount > 0)) {
            return r->handle;
        }
    }
    std::string target = utf8Name;
    if (utf8Name.find('/') != std::string::npos) {
        auto real = RealPath(utf8Name);
        if (!real) {
            return nullptr;
        }
        target = *real;
    }
    void* dl = ::dlopen(target.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL);
    if (dl == nullptr) {
        return nullptr;
    }
    HMODULE base = BaseOfHandle(dl);
    ::dlclose(dl);
    return base;
}

std::optional<std::span<const std::byte>> ModuleResources(HMODULE module) {
    if (module == nullptr || module == ExecutableBase()) {
        return ExecutableResources();
    }
    {
        Loader& loader = TheLoader();
        std::lock_guard lock(loader.mutex);
        if (Record* r = FindRecord(loader, module)) {
            if (r->isStatic) {
                return BlobBytes(r->info.resources);
            }
            return AnchorBytes(r->anchor != nullptr ? r->anchor : AnchorOf(r->dl, r->handle));
        }
    }
    if (!IsLoadedObject(module)) {
        return std::nullopt;
    }
    return WithObjectHandle(module, [&](void* dl) { return AnchorBytes(AnchorOf(dl, module)); });
}

bool IsModule(HMODULE module) {
    if (module == nullptr) {
        return true;
    }
    {
        Loader& loader = TheLoader();
        std::lock_guard lock(loader.mutex);
        if (FindRecord(loader, module) != nullptr) {
            return true;
        }
    }
    return IsLoadedObject(module);
}

} // namespace qx::module
