// Reaching what a browser shows: page addresses as the user types them, downloads of a page that
// end on the message queue, and the blocking reads of the files a page names (scripts, images).
#pragma once

#include "wtypes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qx::html::browser {

// "about:blank" in any case, and the empty address, which shows the same empty page.
bool IsBlankAddress(std::u16string_view url);
// An address as the browser keeps it: a local path becomes a file: URL, anything with a scheme
// stays as it is.
std::u16string CanonicalAddress(std::u16string_view url);
// `relative` read against the page's address.
std::u16string ResolveAddress(std::u16string_view base, std::u16string_view relative);
// The bytes behind an address (file:, res:, http(s):); nothing when it cannot be read.
std::optional<std::string> ReadAddress(std::u16string_view url);

// What a POST sends: the body and header lines ("Content-Type: ...", CR LF after each).
struct PostData {
    std::string body;
    std::u16string headers;
};

// One download of a page. The callback runs once, on the thread that started it, while that
// thread pumps its messages: with S_OK and the body, or the failure. Cancel (or destroying the
// request) stops the download and the callback never runs.
class NavigationRequest {
public:
    using Done = std::function<void(HRESULT result, std::string body)>;
    ~NavigationRequest();
    NavigationRequest(const NavigationRequest&) = delete;
    NavigationRequest& operator=(const NavigationRequest&) = delete;

    // E_INVALIDARG for an address no download can start for. With post data, http(s) gets a POST
    // with the body and the headers; other addresses are read as they are.
    static HRESULT Start(const std::u16string& url, const PostData* post, Done done,
                         std::unique_ptr<NavigationRequest>* request);
    void Cancel();

    struct Callback;

private:
    NavigationRequest() = default;
    Callback* callback_ = nullptr; // the binding's callback; one reference
};

} // namespace qx::html::browser
