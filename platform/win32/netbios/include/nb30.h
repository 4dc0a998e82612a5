// The NetBIOS interface as far as adapter queries go: NCBENUM lists the adapters (one LAN adapter
// number per network interface with a hardware address), NCBRESET prepares one, NCBASTAT answers
// its ADAPTER_STATUS with the interface's hardware address. Other commands are refused.
#pragma once

#include "wintypes.h"

#define NCBNAMSZ 16
#define MAX_LANA 254

#define NCBRESET 0x32
#define NCBASTAT 0x33
#define NCBENUM 0x37
#define ASYNCH 0x80

#define NRC_GOODRET 0x00
#define NRC_BUFLEN 0x01
#define NRC_ILLCMD 0x03
#define NRC_BRIDGE 0x23
#define NRC_INVADDRESS 0x39
#define NRC_SYSTEM 0x40

struct NCB {
    UCHAR ncb_command;
    UCHAR ncb_retcode;
    UCHAR ncb_lsn;
    UCHAR ncb_num;
    UCHAR* ncb_buffer;
    WORD ncb_length;
    UCHAR ncb_callname[NCBNAMSZ];
    UCHAR ncb_name[NCBNAMSZ];
    UCHAR ncb_rto;
    UCHAR ncb_sto;
    void(CALLBACK* ncb_post)(NCB*);
    UCHAR ncb_lana_num;
    UCHAR ncb_cmd_cplt;
    UCHAR ncb_reserve[10];
    HANDLE ncb_event;
};
using PNCB = NCB*;

struct LANA_ENUM {
    UCHAR length;
    UCHAR lana[MAX_LANA + 1];
};

struct ADAPTER_STATUS {
    UCHAR adapter_address[6];
    UCHAR rev_major;
    UCHAR reserved0;
    UCHAR adapter_type;
    UCHAR rev_minor;
    WORD duration;
    WORD frmr_recv;
    WORD frmr_xmit;
    WORD iframe_recv_err;
    WORD xmit_aborts;
    DWORD xmit_success;
    DWORD recv_success;
    WORD iframe_xmit_err;
    WORD recv_buff_unavail;
    WORD t1_timeouts;
    WORD ti_timeouts;
    DWORD reserved1;
    WORD free_ncbs;
    WORD max_cfg_ncbs;
    WORD max_ncbs;
    WORD xmit_buf_unavail;
    WORD max_dgram_size;
    WORD pending_sess;
    WORD max_cfg_sess;
    WORD max_sess;
    WORD max_sess_pkt_size;
    WORD name_count;
};

struct NAME_BUFFER {
    UCHAR name[NCBNAMSZ];
    UCHAR name_num;
    UCHAR name_flags;
};

// Runs the command synchronously; the result is also left in ncb_retcode and ncb_cmd_cplt.
UCHAR APIENTRY Netbios(PNCB pncb);
