// Limits of the downloads over the network. Tests shorten them to see a silent server fail.
#pragma once

#include <chrono>

namespace qx::net {

struct TransferLimits {
    std::chrono::milliseconds connect{30000}; // to set up the connection
    std::chrono::milliseconds stall{60000};   // with no byte arriving while a reader waits
    long maxRedirects = 10;
};

void SetTransferLimits(const TransferLimits& limits);
TransferLimits GetTransferLimits();

} // namespace qx::net
