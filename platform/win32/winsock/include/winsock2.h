// Windows Sockets 2 over the host's sockets: startup and cleanup with version negotiation, TCP
// stream sockets, host names and addresses, byte order, and the per-thread last error. A SOCKET
// is the host's descriptor; addresses are IPv4 as the callers of this API use them.
#pragma once

#include "wintypes.h"

using SOCKET = UINT_PTR;
#define INVALID_SOCKET (static_cast<SOCKET>(~0))
#define SOCKET_ERROR (-1)

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};
using LPWSADATA = WSADATA*;

#define AF_UNSPEC 0
#define AF_INET 2
#define PF_INET AF_INET
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_IP 0
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17
#define INADDR_ANY 0x00000000u
#define INADDR_NONE 0xFFFFFFFFu
#define INADDR_LOOPBACK 0x7F000001u

#define SOL_SOCKET 0xffff
#define SO_SNDTIMEO 0x1005
#define SO_RCVTIMEO 0x1006

#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2

#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAENOTSOCK 10038
#define WSAEMSGSIZE 10040
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

struct in_addr {
    union {
        struct {
            UCHAR s_b1, s_b2, s_b3, s_b4;
        } S_un_b;
        struct {
            USHORT s_w1, s_w2;
        } S_un_w;
        ULONG S_addr;
    } S_un;
};
#define s_addr S_un.S_addr

struct sockaddr {
    USHORT sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    USHORT sin_port;
    in_addr sin_addr;
    char sin_zero[8];
};

struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};
#define h_addr h_addr_list[0]

using SOCKADDR = sockaddr;
using SOCKADDR_IN = sockaddr_in;
using LPSOCKADDR = sockaddr*;
using HOSTENT = hostent;
using LPHOSTENT = hostent*;
using IN_ADDR = in_addr;

// The functions carry link names of their own, so they never take the place of the host's
// socket functions of the same names (which other libraries in the process call).
#define QX_WINSOCK_NAME(name) __asm__("qx_winsock_" #name)

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) QX_WINSOCK_NAME(WSAStartup);
int WINAPI WSACleanup() QX_WINSOCK_NAME(WSACleanup);
int WINAPI WSAGetLastError() QX_WINSOCK_NAME(WSAGetLastError);
void WINAPI WSASetLastError(int iError) QX_WINSOCK_NAME(WSASetLastError);

SOCKET WINAPI socket(int af, int type, int protocol) QX_WINSOCK_NAME(socket);
int WINAPI connect(SOCKET s, const sockaddr* name, int namelen) QX_WINSOCK_NAME(connect);
int WINAPI send(SOCKET s, const char* buf, int len, int flags) QX_WINSOCK_NAME(send);
int WINAPI recv(SOCKET s, char* buf, int len, int flags) QX_WINSOCK_NAME(recv);
int WINAPI shutdown(SOCKET s, int how) QX_WINSOCK_NAME(shutdown);
// SOL_SOCKET with SO_RCVTIMEO or SO_SNDTIMEO (a DWORD of milliseconds, 0 for none) only.
int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen)
    QX_WINSOCK_NAME(setsockopt);
int WINAPI closesocket(SOCKET s) QX_WINSOCK_NAME(closesocket);

// Pass the length as an int: the host's gethostname takes a size_t and would be chosen instead.
int WINAPI gethostname(char* name, int namelen) QX_WINSOCK_NAME(gethostname);
// The result lives in per-thread storage until the thread's next call.
hostent* WINAPI gethostbyname(const char* name) QX_WINSOCK_NAME(gethostbyname);
ULONG WINAPI inet_addr(const char* cp) QX_WINSOCK_NAME(inet_addr);
// The text lives in per-thread storage until the thread's next call.
char* WINAPI inet_ntoa(in_addr in) QX_WINSOCK_NAME(inet_ntoa);

USHORT WINAPI htons(USHORT hostshort) QX_WINSOCK_NAME(htons);
USHORT WINAPI ntohs(USHORT netshort) QX_WINSOCK_NAME(ntohs);
ULONG WINAPI htonl(ULONG hostlong) QX_WINSOCK_NAME(htonl);
ULONG WINAPI ntohl(ULONG netlong) QX_WINSOCK_NAME(ntohl);
