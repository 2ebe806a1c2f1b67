#pragma once

// One HTTP exchange over one libcurl easy handle: the plumbing both page fetchers share.
//
// The handle is set up so that what goes on the wire is what the fetcher builds and little
// else: the request line, "Host", the fetcher's own header lines in its order, and
// "Content-Length" when a body is sent (plus "Authorization" lines when credentials are given).
// libcurl's own "Accept" and "Expect: 100-continue" lines are suppressed, HTTP/1.1 is used
// throughout, only http and https are spoken (also when following redirects), and no proxy is
// taken from the environment. The path goes out as given ("/../" stays), except that bytes
// above 0x7F in it are sent percent-escaped, as libcurl always does; the query goes out as is.
//
// Time-outs: one value bounds resolving and connecting together, and then every wait for the
// server: a transfer fails once no byte has moved either way for that long. A stop request
// ends a transfer in flight at once.

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>

namespace lumaru {

// How far a transfer got, in the stages the fetchers tell apart.
enum class TransferOutcome {
    kComplete,    // a whole final response arrived
    kNotSent,     // no connection was made, or the request could not be sent
    kNoResponse,  // the request went out but no complete response header came back
    kBodyCut,     // the final response's headers arrived, its body did not complete
    kStopped,     // a stop request ended the transfer
};

// "http(s)://host:port" followed by object, for a host and port taken apart by the caller;
// empty when the host is no host name or address (it holds a "?", a "/", a space...) or the port
// is outside 1-65535, since libcurl would read such an address differently.
std::string JoinUrl(bool secure, std::string_view host, int port, std::string_view object);

class CurlTransfer {
public:
    // Bodies larger than this are cut off (the transfer ends as kBodyCut).
    static constexpr std::size_t kMaxBodyBytes = std::size_t{1} << 30;
    // Room made up front from a declared Content-Length is capped at this, so that a false
    // length does not claim memory the body never fills.
    static constexpr std::size_t kMaxReserveBytes = std::size_t{1} << 27;

    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // False when libcurl could not make the handle or set its base options.
    bool Valid() const { return easy_ != nullptr && multi_ != nullptr; }
    CURL* Easy() const { return easy_; }

    template <typename T>
    bool Set(CURLoption option, T value) {
        return easy_ != nullptr && curl_easy_setopt(easy_, option, value) == CURLE_OK;
    }

    // The request header lines, separated by "\r\n" (a final line break is allowed; empty
    // lines are skipped). False, with nothing set, when a line has no name followed by a colon
    // or carries a stray CR, LF or zero byte, since such a line would break the request.
    bool SetHeaderBlock(std::string_view block);

    // Resolve plus connect, and then any silence of the server, are each bounded by timeout.
    bool SetTimeout(std::chrono::milliseconds timeout);

    // Redirects followed by libcurl itself (at most 10 in a row).
    bool SetFollowRedirects(bool follow);

    // The verb, and the body when one is given (nullptr: none). A given body goes out even when
    // empty (with "Content-Length: 0"), under any verb but HEAD: libcurl sends HEAD without body
    // and reads no response body for it.
    bool SetMethod(std::string_view verb, const std::string* body);

    // Whether the request went out (at least its head).
    bool RequestSent() const;

    TransferOutcome Perform(std::stop_token stop = {});

    // The body bytes received (of the final response).
    std::string& Body() { return body_; }
    // The raw header block of the final response: status line, header lines and the blank
    // line, each with its line end, as received. Empty when no response arrived.
    const std::string& ResponseHeaders() const { return headers_; }
    CURLcode Code() const { return code_; }

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static int OnProgress(void* self, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                          curl_off_t ulNow);
    bool RedirectWillBeFollowed() const;
    TransferOutcome Classify(bool stopped) const;

    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_slist* headerLines_ = nullptr;
    std::string requestBody_;
    std::string verb_;
    std::chrono::milliseconds timeout_{30000};
    bool followRedirects_ = false;

    std::string body_;
    std::string headers_;
    bool headersComplete_ = false;
    long statusCode_ = 0;
    bool bodyTooLarge_ = false;
    curl_off_t lastTransferred_ = 0;
    std::chrono::steady_clock::time_point lastActivity_;
    CURLcode code_ = CURLE_OK;
};

}  // namespace lumaru
