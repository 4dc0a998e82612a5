#include "host_sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace qx::winsock {
namespace {

// The Winsock code of a host errno.
int FromErrno(int e) {
    switch (e) {
    case EINTR:
        return 10004;
    case EBADF:
        return 10038;
    case EACCES:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EAGAIN:
        return 10060; // a receive or send time limit ran out
    case EINPROGRESS:
        return 10036;
    case ENOTSOCK:
        return 10038;
    case EMSGSIZE:
        return 10040;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
    case EPIPE:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case EHOSTUNREACH:
        return 10065;
    default:
        return 10022;
    }
}

int Fail(int* error) {
    *error = FromErrno(errno);
    return -1;
}

} // namespace

int OpenSocket(int family, int type, int protocol, int* error) {
    if (family != 2) {
        *error = 10047; // WSAEAFNOSUPPORT: only IPv4 is offered
        return -1;
    }
    int hostType = type == 1 ? SOCK_STREAM : type == 2 ? SOCK_DGRAM : -1;
    if (hostType < 0) {
        *error = 10044;
        return -1;
    }
    int fd = ::socket(AF_INET, hostType | SOCK_CLOEXEC, protocol);
    return fd < 0 ? Fail(error) : fd;
}

int Connect(int fd, std::uint32_t address, std::uint16_t port, int* error) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? Fail(error) : 0;
}

long Send(int fd, const char* data, long length, int* error) {
    ssize_t n;
    do {
        n = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail(error) : static_cast<long>(n);
}

long Receive(int fd, char* data, long length, int* error) {
    ssize_t n;
    do {
        n = ::recv(fd, data, static_cast<size_t>(length), 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail(error) : static_cast<long>(n);
}

int Shutdown(int fd, int how, int* error) {
    int hostHow = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
    return ::shutdown(fd, hostHow) < 0 ? Fail(error) : 0;
}

int Close(int fd, int* error) {
    return ::close(fd) < 0 ? Fail(error) : 0;
}

int SetTimeout(int fd, bool receive, unsigned milliseconds, int* error) {
    timeval limit{};
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    int rc = ::setsockopt(fd, SOL_SOCKET, receive ? SO_RCVTIMEO : SO_SNDTIMEO, &limit, sizeof limit);
    return rc < 0 ? Fail(error) : 0;
}

int HostName(std::string& name, int* error) {
    char buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buffer, sizeof buffer - 1) < 0)
        return Fail(error);
    name = buffer;
    return 0;
}

int ResolveHost(const char* name, std::string& canonical, std::vector<std::uint32_t>& addresses, int* error) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    int rc = ::getaddrinfo(name, nullptr, &hints, &found);
    if (rc != 0) {
        *error = rc == EAI_AGAIN ? 11002 : rc == EAI_FAIL ? 11003 : 11001;
        return -1;
    }
    canonical = found->ai_canonname ? found->ai_canonname : name;
    for (addrinfo* a = found; a; a = a->ai_next) {
        auto address = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (auto known : addresses)
            seen = seen || known == address;
        if (!seen)
            addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    if (addresses.empty()) {
        *error = 11004;
        return -1;
    }
    return 0;
}

} // namespace qx::winsock
