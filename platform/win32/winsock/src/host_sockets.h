// The host's socket calls, kept apart from the Winsock declarations (whose structures share
// their names with the host's). Failures give -1 and the Winsock error code in *error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx::winsock {

int OpenSocket(int family, int type, int protocol, int* error);
// address: IPv4 in network order.
int Connect(int fd, std::uint32_t address, std::uint16_t portNetworkOrder, int* error);
long Send(int fd, const char* data, long length, int* error);
long Receive(int fd, char* data, long length, int* error);
int Shutdown(int fd, int how, int* error);
int Close(int fd, int* error);
// A receive (or send) time limit in milliseconds, 0 for none.
int SetTimeout(int fd, bool receive, unsigned milliseconds, int* error);
int HostName(std::string& name, int* error);
// The IPv4 addresses of a name (network order) and its canonical name.
int ResolveHost(const char* name, std::string& canonical, std::vector<std::uint32_t>& addresses, int* error);

} // namespace qx::winsock
