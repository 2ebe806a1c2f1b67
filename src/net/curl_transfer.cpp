#include "net/curl_transfer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace lumaru {
namespace {

constexpr long kMaxRedirects = 10;
// Bigger reads than libcurl's default 16 KiB: fewer callbacks on large pages.
constexpr long kReceiveBufferBytes = 256 * 1024;

void EnsureCurlReady() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool HasHeaderLine(std::string_view headers, std::string_view name) {
    std::size_t start = 0;
    while (start < headers.size()) {
        std::size_t end = headers.find('\n', start);
        if (end == std::string_view::npos) {
            end = headers.size();
        }
        const std::string_view line = headers.substr(start, end - start);
        if (StartsWithIgnoringCase(line, name) && line.size() > name.size() &&
            line[name.size()] == ':') {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// The number after the first space of the status line; 0 when there is none.
long StatusCode(std::string_view headers) {
    const std::size_t space = headers.find(' ');
    long code = 0;
    for (std::size_t i = space + 1; space != std::string_view::npos && i < headers.size() &&
                                    i < space + 4 && headers[i] >= '0' && headers[i] <= '9';
         ++i) {
        code = code * 10 + (headers[i] - '0');
    }
    return code;
}

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The libcurl list entry for one header line, or nothing when the line would break the request.
// A line whose value is empty is written "Name;" because libcurl reads "Name:" as "leave out my
// own Name line" and would send nothing.
std::optional<std::string> CurlHeaderEntry(std::string_view line) {
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    const std::string_view name = line.substr(0, colon);
    if (name.find_first_of(" \t") != std::string_view::npos) {
        return std::nullopt;
    }
    if (IsBlank(line.substr(colon + 1))) {
        return std::string(name) + ";";
    }
    return std::string(line);
}

bool IsHostByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c >= 0x80;
}

bool IsHostName(std::string_view host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        const std::string_view inside = host.substr(1, host.size() - 2);
        return inside.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
    }
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return IsHostByte(static_cast<unsigned char>(c));
    });
}

// Large bodies are written once into fresh memory, page by page; asking for huge pages there
// saves most of the page faults, which dominate the cost of a big download on loopback.
void AdviseHugePages(std::string& buffer) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    if (buffer.capacity() < 2 * kHugePage) {
        return;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + buffer.capacity()) & ~(kHugePage - 1);
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    static_cast<void>(buffer);
#endif
}

// Makes room for more bytes: doubling, with huge pages for large buffers.
void Reserve(std::string& buffer, std::size_t needed) {
    if (needed <= buffer.capacity()) {
        return;
    }
    buffer.reserve(std::max(needed, 2 * buffer.capacity()));
    AdviseHugePages(buffer);
}

}  // namespace

std::string JoinUrl(bool secure, std::string_view host, int port, std::string_view object) {
    if (!IsHostName(host) || port < 1 || port > 65535) {
        return {};
    }
    std::string url = secure ? "https://" : "http://";
    url.append(host).append(":").append(std::to_string(port));
    if (object.empty() || object.front() != '/') {
        url.push_back('/');
    }
    url.append(object);
    return url;
}

CurlTransfer::CurlTransfer() {
    EnsureCurlReady();
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (easy_ == nullptr || multi_ == nullptr) {
        return;
    }
    const bool ok =
        Set(CURLOPT_NOSIGNAL, 1L) && Set(CURLOPT_PROTOCOLS_STR, "http,https") &&
        Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https") &&
        Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
        // An empty proxy means "none", and keeps libcurl from reading proxy variables.
        Set(CURLOPT_PROXY, "") && Set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) &&
        Set(CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE)) &&
        Set(CURLOPT_PATH_AS_IS, 1L) && Set(CURLOPT_MAXREDIRS, kMaxRedirects) &&
        Set(CURLOPT_BUFFERSIZE, kReceiveBufferBytes) &&
        Set(CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody) && Set(CURLOPT_WRITEDATA, this) &&
        Set(CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader) && Set(CURLOPT_HEADERDATA, this) &&
        Set(CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnProgress) &&
        Set(CURLOPT_XFERINFODATA, this) && Set(CURLOPT_NOPROGRESS, 0L) && SetTimeout(timeout_) &&
        SetFollowRedirects(false);
    if (!ok) {
        curl_easy_cleanup(easy_);
        easy_ = nullptr;
    }
}

CurlTransfer::~CurlTransfer() {
    if (multi_ != nullptr) {
        curl_multi_cleanup(multi_);
    }
    if (easy_ != nullptr) {
        curl_easy_cleanup(easy_);
    }
    curl_slist_free_all(headerLines_);
}

bool CurlTransfer::SetHeaderBlock(std::string_view block) {
    std::vector<std::string> entries;
    while (!block.empty()) {
        const std::size_t end = block.find("\r\n");
        const std::string_view line = block.substr(0, end);
        if (!line.empty()) {
            auto entry = CurlHeaderEntry(line);
            if (!entry) {
                return false;
            }
            entries.push_back(std::move(*entry));
        }
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 2);
    }
    // libcurl's own defaults for these are left out; a line of the block still wins.
    entries.insert(entries.end(), {"Accept:", "Expect:", "Content-Type:"});

    curl_slist* list = nullptr;
    for (const std::string& entry : entries) {
        curl_slist* grown = curl_slist_append(list, entry.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            return false;
        }
        list = grown;
    }
    if (!Set(CURLOPT_HTTPHEADER, list)) {
        curl_slist_free_all(list);
        return false;
    }
    curl_slist_free_all(headerLines_);
    headerLines_ = list;
    return true;
}

bool CurlTransfer::SetTimeout(std::chrono::milliseconds timeout) {
    timeout_ = std::max(timeout, std::chrono::milliseconds(1));
    return Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout_.count()));
}

bool CurlTransfer::SetFollowRedirects(bool follow) {
    followRedirects_ = follow;
    return Set(CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
}

bool CurlTransfer::SetMethod(std::string_view verb, const std::string* body) {
    verb_ = std::string(verb);
    if (verb == "HEAD") {
        // libcurl sends no body with HEAD and reads no response body.
        return Set(CURLOPT_NOBODY, 1L);
    }
    bool ok = true;
    if (body != nullptr) {
        requestBody_ = *body;
        ok = Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size())) &&
             Set(CURLOPT_POSTFIELDS, requestBody_.c_str());
    }
    if (verb == "POST") {
        return ok;
    }
    if (verb == "GET" && body == nullptr) {
        return Set(CURLOPT_HTTPGET, 1L);
    }
    // The body makes libcurl build a POST; the verb renames it.
    return ok && Set(CURLOPT_CUSTOMREQUEST, verb_.c_str());
}

bool CurlTransfer::RequestSent() const {
    long requestBytes = 0;
    return easy_ != nullptr &&
           curl_easy_getinfo(easy_, CURLINFO_REQUEST_SIZE, &requestBytes) == CURLE_OK &&
           requestBytes > 0;
}

TransferOutcome CurlTransfer::Perform(std::stop_token stop) {
    if (!Valid()) {
        code_ = CURLE_FAILED_INIT;
        return TransferOutcome::kNotSent;
    }
    body_.clear();
    headers_.clear();
    headersComplete_ = false;
    statusCode_ = 0;
    bodyTooLarge_ = false;
    lastTransferred_ = 0;
    lastActivity_ = std::chrono::steady_clock::now();
    code_ = CURLE_OK;

    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
        code_ = CURLE_FAILED_INIT;
        return TransferOutcome::kNotSent;
    }
    bool stopped = false;
    bool silent = false;
    bool driven = true;
    {
        // Wakes the wait below as soon as a stop is requested, from whatever thread.
        std::stop_callback wake(stop, [this] { curl_multi_wakeup(multi_); });
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi_, &running) != CURLM_OK) {
                driven = false;
                break;
            }
            if (running == 0) {
                break;
            }
            if (stop.stop_requested()) {
                stopped = true;
                break;
            }
            const auto idle = std::chrono::steady_clock::now() - lastActivity_;
            if (idle >= timeout_) {
                silent = true;
                break;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(timeout_ - idle).count();
            curl_multi_poll(multi_, nullptr, 0,
                            static_cast<int>(std::clamp<long long>(left, 1, 1000)), nullptr);
        }
    }
    if (!driven) {
        code_ = CURLE_FAILED_INIT;
    } else if (stopped) {
        code_ = CURLE_ABORTED_BY_CALLBACK;
    } else if (silent) {
        code_ = CURLE_OPERATION_TIMEDOUT;
    } else {
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                code_ = message->data.result;
            }
        }
    }
    TransferOutcome outcome = Classify(stopped);
    curl_multi_remove_handle(multi_, easy_);
    return outcome;
}

TransferOutcome CurlTransfer::Classify(bool stopped) const {
    if (stopped) {
        return TransferOutcome::kStopped;
    }
    if (code_ == CURLE_OK) {
        return TransferOutcome::kComplete;
    }
    if (headersComplete_ && statusCode_ >= 200 && !RedirectWillBeFollowed()) {
        return TransferOutcome::kBodyCut;
    }
    if (code_ == CURLE_SEND_ERROR || !RequestSent()) {
        return TransferOutcome::kNotSent;
    }
    return TransferOutcome::kNoResponse;
}

bool CurlTransfer::RedirectWillBeFollowed() const {
    const bool redirectStatus = statusCode_ == 301 || statusCode_ == 302 || statusCode_ == 303 ||
                                statusCode_ == 307 || statusCode_ == 308;
    return followRedirects_ && redirectStatus && HasHeaderLine(headers_, "Location");
}

std::size_t CurlTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    transfer.lastActivity_ = std::chrono::steady_clock::now();
    if (transfer.body_.size() + bytes > kMaxBodyBytes) {
        transfer.bodyTooLarge_ = true;
        return 0;  // ends the transfer with a write error
    }
    try {
        Reserve(transfer.body_, transfer.body_.size() + bytes);
        transfer.body_.append(data, bytes);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return bytes;
}

std::size_t CurlTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    const std::string_view line(data, bytes);
    transfer.lastActivity_ = std::chrono::steady_clock::now();
    try {
        if (line.starts_with("HTTP/")) {
            // A new response begins (after an interim one or a followed redirect): only the
            // last response's headers and body count.
            transfer.headers_.clear();
            transfer.body_.clear();
            transfer.headersComplete_ = false;
            transfer.statusCode_ = 0;
        }
        transfer.headers_.append(line);
        if (line == "\r\n" || line == "\n") {
            transfer.headersComplete_ = true;
            transfer.statusCode_ = StatusCode(transfer.headers_);
            curl_off_t length = -1;
            curl_easy_getinfo(transfer.easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (length > 0) {
                Reserve(transfer.body_,
                        std::min(static_cast<std::size_t>(length), kMaxReserveBytes));
            }
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return bytes;
}

int CurlTransfer::OnProgress(void* self, curl_off_t, curl_off_t dlNow, curl_off_t,
                             curl_off_t ulNow) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    if (dlNow + ulNow != transfer.lastTransferred_) {
        transfer.lastTransferred_ = dlNow + ulNow;
        transfer.lastActivity_ = std::chrono::steady_clock::now();
    }
    return 0;
}

}  // namespace lumaru
