// Winsock over the host's sockets. The library counts WSAStartup calls; socket calls made
// before the first or after the last WSACleanup fail with WSANOTINITIALISED, as on Windows.
#include "winsock2.h"

#include "host_sockets.h"

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<int> startups{0};
thread_local int lastError = 0;

constexpr WORD kHighestVersion = MAKEWORD(2, 2);

bool Started() {
    if (startups.load() > 0)
        return true;
    lastError = WSANOTINITIALISED;
    return false;
}

int Result(int rc, int error) {
    if (rc < 0) {
        lastError = error;
        return SOCKET_ERROR;
    }
    return rc;
}

int Descriptor(SOCKET s) {
    return s > static_cast<SOCKET>(INT_MAX) ? -1 : static_cast<int>(s);
}

// Storage behind gethostbyname's result, one per thread as on Windows.
struct HostEntryStorage {
    std::string name;
    std::vector<ULONG> addresses;
    std::vector<char*> addressList;
    char* aliases[1] = {nullptr};
    hostent entry{};
};
thread_local HostEntryStorage hostStorage;
thread_local char addressText[16];

} // namespace

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (lpWSAData == nullptr)
        return WSAEFAULT;
    BYTE major = LOBYTE(wVersionRequested), minor = HIBYTE(wVersionRequested);
    std::memset(lpWSAData, 0, sizeof *lpWSAData);
    lpWSAData->wHighVersion = kHighestVersion;
    std::snprintf(lpWSAData->szDescription, sizeof lpWSAData->szDescription, "WinSock 2.0");
    std::snprintf(lpWSAData->szSystemStatus, sizeof lpWSAData->szSystemStatus, "Running");
    // Versions 1.0 to 2.2 are offered; a higher request gets the highest one, a lower one none.
    if (major == 0) {
        lpWSAData->wVersion = kHighestVersion;
        return WSAVERNOTSUPPORTED;
    }
    bool above = major > 2 || (major == 2 && minor > 2);
    lpWSAData->wVersion = above ? kHighestVersion : wVersionRequested;
    ++startups;
    return 0;
}

int WINAPI WSACleanup() {
    int current = startups.load();
    while (current > 0 && !startups.compare_exchange_weak(current, current - 1)) {
    }
    if (current <= 0) {
        lastError = WSANOTINITIALISED;
        return SOCKET_ERROR;
    }
    return 0;
}

int WINAPI WSAGetLastError() {
    return lastError;
}

void WINAPI WSASetLastError(int iError) {
    lastError = iError;
}

SOCKET WINAPI socket(int af, int type, int protocol) {
    if (!Started())
        return INVALID_SOCKET;
    int error = 0;
    int fd = qx::winsock::OpenSocket(af, type, protocol, &error);
    if (fd < 0) {
        lastError = error;
        return INVALID_SOCKET;
    }
    return static_cast<SOCKET>(fd);
}

int WINAPI connect(SOCKET s, const sockaddr* name, int namelen) {
    if (!Started())
        return SOCKET_ERROR;
    if (name == nullptr || namelen < static_cast<int>(sizeof(sockaddr_in)))
        return Result(-1, WSAEFAULT);
    sockaddr_in to;
    std::memcpy(&to, name, sizeof to);
    if (to.sin_family != AF_INET)
        return Result(-1, WSAEAFNOSUPPORT);
    int error = 0;
    int rc = qx::winsock::Connect(Descriptor(s), to.sin_addr.s_addr, to.sin_port, &error);
    return Result(rc, error);
}

int WINAPI send(SOCKET s, const char* buf, int len, int) {
    if (!Started())
        return SOCKET_ERROR;
    if (len < 0 || (buf == nullptr && len > 0))
        return Result(-1, WSAEFAULT);
    int error = 0;
    int rc = static_cast<int>(qx::winsock::Send(Descriptor(s), buf, len, &error));
    return Result(rc, error);
}

int WINAPI recv(SOCKET s, char* buf, int len, int) {
    if (!Started())
        return SOCKET_ERROR;
    if (len < 0 || (buf == nullptr && len > 0))
        return Result(-1, WSAEFAULT);
    int error = 0;
    int rc = static_cast<int>(qx::winsock::Receive(Descriptor(s), buf, len, &error));
    return Result(rc, error);
}

int WINAPI shutdown(SOCKET s, int how) {
    if (!Started())
        return SOCKET_ERROR;
    int error = 0;
    int rc = qx::winsock::Shutdown(Descriptor(s), how, &error);
    return Result(rc, error);
}

int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    if (!Started())
        return SOCKET_ERROR;
    if (level != SOL_SOCKET || (optname != SO_RCVTIMEO && optname != SO_SNDTIMEO))
        return Result(-1, WSAENOPROTOOPT);
    if (optval == nullptr || optlen < static_cast<int>(sizeof(DWORD)))
        return Result(-1, WSAEFAULT);
    DWORD milliseconds;
    std::memcpy(&milliseconds, optval, sizeof milliseconds);
    int error = 0;
    int rc = qx::winsock::SetTimeout(Descriptor(s), optname == SO_RCVTIMEO, milliseconds, &error);
    return Result(rc, error);
}

int WINAPI closesocket(SOCKET s) {
    if (!Started())
        return SOCKET_ERROR;
    int error = 0;
    int rc = qx::winsock::Close(Descriptor(s), &error);
    return Result(rc, error);
}

int WINAPI gethostname(char* name, int namelen) {
    if (!Started())
        return SOCKET_ERROR;
    if (name == nullptr || namelen <= 0)
        return Result(-1, WSAEFAULT);
    std::string host;
    int error = 0;
    if (qx::winsock::HostName(host, &error) < 0)
        return Result(-1, error);
    // A buffer too small for the name and its NUL fails with WSAEFAULT.
    if (host.size() + 1 > static_cast<size_t>(namelen))
        return Result(-1, WSAEFAULT);
    std::memcpy(name, host.c_str(), host.size() + 1);
    return 0;
}

hostent* WINAPI gethostbyname(const char* name) {
    if (!Started())
        return nullptr;
    std::string local;
    if (name == nullptr || *name == '\0') {
        // No name means the local host.
        int error = 0;
        if (qx::winsock::HostName(local, &error) < 0) {
            lastError = error;
            return nullptr;
        }
        name = local.c_str();
    }
    HostEntryStorage fresh;
    std::vector<std::uint32_t> addresses;
    int error = 0;
    if (qx::winsock::ResolveHost(name, fresh.name, addresses, &error) < 0) {
        lastError = error;
        return nullptr;
    }
    HostEntryStorage& s = hostStorage;
    s.name = fresh.name;
    s.addresses.assign(addresses.begin(), addresses.end());
    s.addressList.clear();
    for (auto& a : s.addresses)
        s.addressList.push_back(reinterpret_cast<char*>(&a));
    s.addressList.push_back(nullptr);
    s.entry.h_name = s.name.data();
    s.entry.h_aliases = s.aliases;
    s.entry.h_addrtype = AF_INET;
    s.entry.h_length = 4;
    s.entry.h_addr_list = s.addressList.data();
    return &s.entry;
}

ULONG WINAPI inet_addr(const char* cp) {
    // Dotted decimal a.b.c.d only; anything else is INADDR_NONE.
    if (cp == nullptr)
        return INADDR_NONE;
    unsigned parts[4];
    int count = 0;
    const char* p = cp;
    while (count < 4) {
        if (*p < '0' || *p > '9')
            return INADDR_NONE;
        unsigned value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (++digits > 3 || value > 255)
                return INADDR_NONE;
            ++p;
        }
        parts[count++] = value;
        if (count < 4) {
            if (*p != '.')
                return INADDR_NONE;
            ++p;
        }
    }
    if (*p != '\0' && *p != ' ')
        return INADDR_NONE;
    BYTE bytes[4] = {static_cast<BYTE>(parts[0]), static_cast<BYTE>(parts[1]), static_cast<BYTE>(parts[2]),
                     static_cast<BYTE>(parts[3])};
    ULONG result;
    std::memcpy(&result, bytes, 4);
    return result;
}

char* WINAPI inet_ntoa(in_addr in) {
    std::snprintf(addressText, sizeof addressText, "%u.%u.%u.%u", in.S_un.S_un_b.s_b1, in.S_un.S_un_b.s_b2,
                  in.S_un.S_un_b.s_b3, in.S_un.S_un_b.s_b4);
    return addressText;
}

USHORT WINAPI htons(USHORT v) {
    return static_cast<USHORT>((v >> 8) | (v << 8));
}
USHORT WINAPI ntohs(USHORT v) {
    return htons(v);
}
ULONG WINAPI htonl(ULONG v) {
    return ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
}
ULONG WINAPI ntohl(ULONG v) {
    return htonl(v);
}
