#include "net/fetch_page.h"

#include "net/cookies.h"
#include "net/curl_transfer.h"
#include "net/text_search.h"
#include "net/url_parts.h"

namespace lumaru {
namespace {

std::string_view VerbOf(std::optional<int> method) {
    switch (method.value_or(0)) {
        case 1:
            return "POST";
        case 2:
            return "HEAD";
        default:
            return "GET";
    }
}

// The agent named by the caller's header lines, or the default one.
std::string AgentOf(const std::string* headers) {
    if (headers == nullptr || FindText(*headers, "User-Agent:", 1, true) == 0) {
        return std::string(kFetchPageAgent);
    }
    std::string agent = Trim(TextBetween(*headers, "User-Agent:", "\r\n"));
    if (agent.empty()) {
        // A single User-Agent line without a line end.
        agent = ValueAfterColon(*headers);
    }
    // The agent goes out as a header line of its own: it must not carry further lines.
    return agent.substr(0, agent.find_first_of("\r\n"));
}

bool HasUserAgentLine(std::string_view block) {
    for (const std::string& line : SplitText(block, "\r\n")) {
        if (StartsWithText(line, "User-Agent:", true)) {
            return true;
        }
    }
    return false;
}

// Completes the caller's header lines with the default ones that are missing.
void CompleteHeaderBlock(std::string& block, std::string_view address, const std::string* cookies) {
    if (block.empty()) {
        block = "Accept: */*";
    } else if (FindText(block, "Accept:") == 0) {
        block += "\r\nAccept: */*";
    }
    if (FindText(block, "Referer:") == 0) {
        block.append("\r\nReferer: ").append(address);
    }
    if (FindText(block, "Accept-Language:") == 0) {
        block += "\r\nAccept-Language: zh-cn";
    }
    if (FindText(block, "Content-Type:") == 0) {
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (cookies != nullptr && !cookies->empty()) {
        block.append("\r\nCookie: ").append(*cookies);
    }
}

}  // namespace

FetchPageTarget TargetOfAddress(std::string_view address) {
    FetchPageTarget target;
    target.secure = StartsWithText(address, "https", true);
    target.host = UrlHost(address);
    // Port 0 (also what a port that is no number reads as) means the scheme's own port.
    target.port = UrlPort(address);
    if (target.port == 0) {
        target.port = target.secure ? 443 : 80;
    }
    target.object = UrlPath(address);
    return target;
}

std::string FetchPage(std::string_view address, const FetchPageArgs& args) {
    if (args.stop.stop_requested()) {
        return {};
    }
    const std::string_view verb = VerbOf(args.method);
    const FetchPageTarget target = TargetOfAddress(address);
    const std::string agent = AgentOf(args.headers);

    CurlTransfer transfer;
    const bool proxied = args.proxy && !args.proxy->empty();
    // The caller's cookies replace the per-call cookie store: without them, cookies set by a
    // redirect go along to its target, as a browser would send them.
    const bool ownCookieStore = args.cookies == nullptr;
    if (!transfer.Valid() || (proxied && !transfer.Set(CURLOPT_PROXY, args.proxy->c_str())) ||
        (ownCookieStore && !transfer.Set(CURLOPT_COOKIEFILE, "")) ||
        !transfer.SetFollowRedirects(!args.noRedirect) || !transfer.SetTimeout(args.timeout)) {
        return {};
    }

    std::string localHeaders;
    std::string& block = args.headers != nullptr ? *args.headers : localHeaders;
    CompleteHeaderBlock(block, address, args.cookies);

    std::string localBody;
    const std::string* body = nullptr;
    if (verb != "GET") {
        std::string& bytes = args.postBytes != nullptr ? *args.postBytes : localBody;
        if (bytes.empty() && args.postData) {
            bytes = *args.postData;
        }
        body = &bytes;
    }

    // A request that cannot go out (no usable host, a malformed header line) reads as a failed
    // send: no body, no response headers.
    const std::string url = JoinUrl(target.secure, target.host, target.port, target.object);
    std::string wireHeaders =
        HasUserAgentLine(block) ? block : "User-Agent: " + agent + "\r\n" + block;
    const bool ready = !url.empty() && transfer.Set(CURLOPT_URL, url.c_str()) &&
                       transfer.SetHeaderBlock(wireHeaders) && transfer.SetMethod(verb, body);
    const TransferOutcome outcome = ready ? transfer.Perform(args.stop) : TransferOutcome::kNotSent;
    if (outcome == TransferOutcome::kStopped) {
        return {};
    }

    std::string rawHeaders =
        ReplaceAll(transfer.ResponseHeaders(), "Set-Cookie", "Set-Cookie", true);
    std::string freshCookies = CollectSetCookies(rawHeaders, "");
    if (args.cookies != nullptr) {
        MergeCookies(*args.cookies, freshCookies);
    }
    if (args.returnedHeaders != nullptr) {
        *args.returnedHeaders = std::move(rawHeaders);
    }
    if (args.returnedCookies != nullptr) {
        *args.returnedCookies = std::move(freshCookies);
    }
    // Without a response there is no page, whatever a redirect on the way carried.
    if (outcome == TransferOutcome::kNotSent || outcome == TransferOutcome::kNoResponse) {
        return {};
    }
    return std::move(transfer.Body());
}

}  // namespace lumaru
