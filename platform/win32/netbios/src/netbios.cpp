// Adapters are the host's network interfaces that have a six-byte hardware address (loopback
// and tunnels have none), in name order; LAN adapter number i is the i-th of them.
#include "nb30.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Adapter {
    std::string name;
    std::array<UCHAR, 6> address;
};

std::vector<Adapter> Adapters() {
    std::vector<Adapter> adapters;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return adapters;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_PACKET || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        auto* link = reinterpret_cast<sockaddr_ll*>(i->ifa_addr);
        if (link->sll_halen != 6)
            continue;
        Adapter a{i->ifa_name, {}};
        std::memcpy(a.address.data(), link->sll_addr, 6);
        if (std::all_of(a.address.begin(), a.address.end(), [](UCHAR b) { return b == 0; }))
            continue;
        adapters.push_back(a);
    }
    freeifaddrs(list);
    std::sort(adapters.begin(), adapters.end(),
              [](const Adapter& x, const Adapter& y) { return x.name < y.name; });
    if (adapters.size() > MAX_LANA)
        adapters.resize(MAX_LANA);
    return adapters;
}

UCHAR Finish(PNCB ncb, UCHAR code) {
    ncb->ncb_retcode = code;
    ncb->ncb_cmd_cplt = code;
    if ((ncb->ncb_command & ASYNCH) && ncb->ncb_post)
        ncb->ncb_post(ncb);
    return code;
}

UCHAR Enumerate(PNCB ncb) {
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(LANA_ENUM))
        return NRC_BUFLEN;
    auto adapters = Adapters();
    LANA_ENUM result{};
    result.length = static_cast<UCHAR>(adapters.size());
    for (size_t i = 0; i < adapters.size(); ++i)
        result.lana[i] = static_cast<UCHAR>(i);
    std::memcpy(ncb->ncb_buffer, &result, sizeof result);
    return NRC_GOODRET;
}

UCHAR Status(PNCB ncb) {
    auto adapters = Adapters();
    if (ncb->ncb_lana_num >= adapters.size())
        return NRC_BRIDGE;
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length == 0)
        return NRC_BUFLEN;
    ADAPTER_STATUS status{};
    std::memcpy(status.adapter_address, adapters[ncb->ncb_lana_num].address.data(), 6);
    status.rev_major = 3;
    status.adapter_type = 0xFE; // Ethernet
    status.max_dgram_size = 1464;
    status.max_sess_pkt_size = 1460;
    // A short buffer gets what fits and NRC_BUFLEN, as the original does.
    size_t length = std::min<size_t>(ncb->ncb_length, sizeof status);
    std::memcpy(ncb->ncb_buffer, &status, length);
    ncb->ncb_length = static_cast<WORD>(length);
    return length < sizeof status ? NRC_BUFLEN : NRC_GOODRET;
}

} // namespace

UCHAR APIENTRY Netbios(PNCB pncb) {
    if (pncb == nullptr)
        return NRC_INVADDRESS;
    switch (pncb->ncb_command & ~ASYNCH) {
    case NCBENUM:
        return Finish(pncb, Enumerate(pncb));
    case NCBRESET:
        return Finish(pncb, pncb->ncb_lana_num < Adapters().size() ? NRC_GOODRET : NRC_BRIDGE);
    case NCBASTAT:
        return Finish(pncb, Status(pncb));
    default:
        return Finish(pncb, NRC_ILLCMD);
    }
}
