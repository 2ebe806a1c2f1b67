#include "net/whole_page_fetch.h"

#include "net/curl_transfer.h"
#include "net/text_search.h"

namespace lumaru {
namespace {

constexpr std::string_view kAgentLine =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: */*\r\n";

std::string WithScheme(std::string_view address) {
    if (StartsWithText(address, "http://", true) || StartsWithText(address, "https://", true)) {
        return std::string(address);
    }
    return "http://" + std::string(address);
}

// Status code of a raw header block's status line ("HTTP/1.1 404 ..."), 0 when unreadable.
int StatusCodeOf(std::string_view headers) {
    const std::size_t space = headers.find(' ');
    if (space == std::string_view::npos || headers.size() < space + 4) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (headers[i] < '0' || headers[i] > '9') {
            return 0;
        }
        code = code * 10 + (headers[i] - '0');
    }
    return code;
}

bool Prepare(CurlTransfer& transfer, std::string_view address, std::string_view verb,
             std::chrono::milliseconds timeout) {
    const std::string url = WithScheme(address);
    return transfer.Valid() && url.find('\0') == std::string::npos &&
           transfer.Set(CURLOPT_URL, url.c_str()) && transfer.SetMethod(verb, nullptr) &&
           transfer.SetHeaderBlock(kAgentLine) && transfer.SetTimeout(timeout);
}

}  // namespace

std::string FetchWholePage(std::string_view address, std::chrono::milliseconds timeout,
                           std::stop_token stop) {
    CurlTransfer transfer;
    if (!Prepare(transfer, address, "GET", timeout) || !transfer.SetFollowRedirects(true)) {
        return {};
    }
    if (transfer.Perform(std::move(stop)) != TransferOutcome::kComplete ||
        StatusCodeOf(transfer.ResponseHeaders()) >= 400) {
        return {};
    }
    return std::move(transfer.Body());
}

bool ProbeAddress(std::string_view address, std::chrono::milliseconds timeout,
                  std::stop_token stop) {
    CurlTransfer transfer;
    if (!Prepare(transfer, address, "HEAD", timeout)) {
        return false;
    }
    const TransferOutcome outcome = transfer.Perform(std::move(stop));
    return outcome == TransferOutcome::kComplete || outcome == TransferOutcome::kBodyCut;
}

}  // namespace lumaru
