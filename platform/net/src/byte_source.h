// Where the bytes of one opened URL come from: a file, a resource, a web server.
#pragma once

#include "wintypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qx::net {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes, waiting for at least one unless the body has ended: S_OK with
    // *count > 0, S_FALSE with *count = 0 at the end, or the failure of the transfer.
    virtual HRESULT Read(BYTE* buffer, ULONG size, ULONG* count) = 0;
    // True when it is already known, without waiting, that no byte follows.
    virtual bool AtEnd() const = 0;
    // The body's length when it is known; -1 otherwise.
    virtual std::int64_t Length() const { return -1; }
    // From any thread: a Read that waits, and every later one, fails with E_ABORT.
    virtual void Cancel() {}
};

// What a request sends besides its address: a body sent with POST, and header lines ("Name:
// value", CR LF after each). Only http(s) sends them; a file or resource is read as it stands.
struct RequestData {
    bool post = false;
    std::string body;
    std::string headers;
};

// Opens the URL (ANSI text, as the system passes it) far enough to know that its body can be
// read: the file is open, the resource found, the server has answered with success.
HRESULT OpenByteSource(const std::string& url, std::unique_ptr<ByteSource>& source,
                       const RequestData& request = {});

// The schemes' own openers.
HRESULT OpenFileSource(const std::string& ansiPath, std::unique_ptr<ByteSource>& source);
HRESULT OpenResourceSource(const std::string& afterScheme, std::unique_ptr<ByteSource>& source);
HRESULT OpenHttpSource(const std::string& url, std::unique_ptr<ByteSource>& source,
                       const RequestData& request = {});
// A body held in memory (resources).
std::unique_ptr<ByteSource> MakeMemorySource(std::string bytes);

} // namespace qx::net
