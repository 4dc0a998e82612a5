#include <nb30.h>

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// "aa:bb:cc:dd:ee:ff" of every interface with a non-zero hardware address, loopback excluded.
std::vector<std::string> SysfsAddresses() {
    std::vector<std::string> out;
    DIR* dir = opendir("/sys/class/net");
    if (!dir)
        return out;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::ifstream in("/sys/class/net/" + name + "/address");
        std::string text;
        std::getline(in, text);
        if (text.size() == 17 && text != "00:00:00:00:00:00")
            out.push_back(text);
    }
    closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}

UCHAR RunNcb(NCB& ncb) {
    UCHAR rc = Netbios(&ncb);
    EXPECT_EQ(ncb.ncb_retcode, rc);
    return rc;
}

TEST(Netbios, AdapterStatusGivesEachInterfacesHardwareAddress) {
    LANA_ENUM lanas = {};
    NCB ncb = {};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&lanas);
    ncb.ncb_length = sizeof lanas;
    ASSERT_EQ(RunNcb(ncb), NRC_GOODRET);
    std::vector<std::string> seen;
    for (int i = 0; i < lanas.length; ++i) {
        NCB reset = {};
        reset.ncb_command = NCBRESET;
        reset.ncb_lana_num = lanas.lana[i];
        ASSERT_EQ(RunNcb(reset), NRC_GOODRET);
        ADAPTER_STATUS status = {};
        NCB astat = {};
        astat.ncb_command = NCBASTAT;
        astat.ncb_lana_num = lanas.lana[i];
        std::memcpy(astat.ncb_callname, "*               ", NCBNAMSZ);
        astat.ncb_buffer = reinterpret_cast<UCHAR*>(&status);
        astat.ncb_length = sizeof status;
        ASSERT_EQ(RunNcb(astat), NRC_GOODRET);
        char text[18];
        const UCHAR* a = status.adapter_address;
        std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", a[0], a[1], a[2], a[3], a[4], a[5]);
        seen.push_back(text);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, SysfsAddresses());
}

TEST(Netbios, RefusalsAndShortBuffers) {
    EXPECT_EQ(Netbios(nullptr), NRC_INVADDRESS);
    NCB ncb = {};
    ncb.ncb_command = 0x10; // NCBCALL: no sessions here
    EXPECT_EQ(RunNcb(ncb), NRC_ILLCMD);

    LANA_ENUM lanas = {};
    ncb = {};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&lanas);
    ncb.ncb_length = 1;
    EXPECT_EQ(RunNcb(ncb), NRC_BUFLEN);

    ncb = {};
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = 250; // no such adapter
    ADAPTER_STATUS status;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&status);
    ncb.ncb_length = sizeof status;
    EXPECT_EQ(RunNcb(ncb), NRC_BRIDGE);
    ncb = {};
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = 250;
    EXPECT_EQ(RunNcb(ncb), NRC_BRIDGE);

    if (!SysfsAddresses().empty()) {
        // A buffer that holds only the address gets it, with NRC_BUFLEN for the rest.
        UCHAR address[6] = {};
        ncb = {};
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = 0;
        ncb.ncb_buffer = address;
        ncb.ncb_length = sizeof address;
        EXPECT_EQ(RunNcb(ncb), NRC_BUFLEN);
        EXPECT_EQ(ncb.ncb_length, 6);
    }
}

} // namespace
