#include "net/fetch_page_http.h"

#include <array>
#include <chrono>
#include <memory>
#include <utility>

#include "net/cookies.h"
#include "net/curl_transfer.h"
#include "net/page_charset.h"
#include "net/text_encodings.h"
#include "net/text_search.h"

namespace lumaru {
namespace {

constexpr int kDefaultTimeoutSeconds = 30;

struct DefaultLine {
    std::string_view lookFor;
    bool ignoreCase;
    std::string_view line;
};
// Appended, in this order, when the caller's lines lack them.
constexpr std::array<DefaultLine, 6> kDefaultLines = {{
    {"User-Agent: ", true,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
}};

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

// Whether the address has no path: nothing, or a query or fragment, right after the host.
bool HasEmptyPath(std::string_view address) {
    const std::size_t schemeEnd = address.find("://");
    if (schemeEnd == std::string_view::npos) {
        return true;
    }
    const std::size_t hostEnd = address.find_first_of("/?#", schemeEnd + 3);
    return hostEnd == std::string_view::npos || address[hostEnd] != '/';
}

// Splits an http or https address. The object requested is its path and query, or "/" alone
// when the path is empty. A fragment, and a user name or password in the address, never go out.
UrlHandle CrackAddress(std::string_view address) {
    if (address.find('\0') != std::string_view::npos) {
        return nullptr;
    }
    UrlHandle url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, std::string(address).c_str(),
                             CURLU_PATH_AS_IS) != CURLUE_OK) {
        return nullptr;
    }
    char* scheme = nullptr;
    if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
        return nullptr;
    }
    const std::string schemeText = scheme;
    curl_free(scheme);
    if (schemeText != "http" && schemeText != "https") {
        return nullptr;
    }
    const bool cleared = (!HasEmptyPath(address) ||
                          curl_url_set(url.get(), CURLUPART_QUERY, nullptr, 0) == CURLUE_OK) &&
                         curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0) == CURLUE_OK &&
                         curl_url_set(url.get(), CURLUPART_USER, nullptr, 0) == CURLUE_OK &&
                         curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0) == CURLUE_OK;
    return cleared ? std::move(url) : nullptr;
}

bool BothGiven(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    return a && b && !a->empty() && !b->empty();
}

std::string_view VerbOf(std::optional<int> method) {
    switch (method.value_or(0)) {
        case 1:
            return "POST";
        case 2:
            return "HEAD";
        case 3:
            return "PUT";
        default:
            return "GET";
    }
}

std::string HeaderBlock(const FetchPageHttpArgs& args) {
    std::string block;
    if (args.headers && !args.headers->empty()) {
        block = *args.headers + "\r\n";
    }
    for (const DefaultLine& line : kDefaultLines) {
        if (FindText(block, line.lookFor, 1, line.ignoreCase) == 0) {
            block += line.line;
        }
    }
    if (args.cookies != nullptr && !args.cookies->empty() &&
        FindText(block, "Cookie: ", 1, true) == 0) {
        block.append("Cookie: ").append(*args.cookies).append("\r\n");
    }
    return block;
}

// The status line's text after "HTTP/1.1 ": code and reason.
std::string StatusText(std::string_view rawHeaders) {
    if (rawHeaders.size() < 10) {
        return {};
    }
    const std::size_t end = rawHeaders.find("\r\n", 9);
    return end == std::string_view::npos ? std::string()
                                         : std::string(rawHeaders.substr(9, end - 9));
}

}  // namespace

std::string FetchPageHttpMessage(int number) {
    // Written once in UTF-8 here, handed out in GBK like every text of the system.
    static const std::array<std::string, 14> messages = [] {
        const char* const utf8[14] = {
            "700 当前系统不支持WinHttp服务!",
            "701 解析URL地址失败!",
            "702 创建WinHttp会话失败!",
            "703 创建WinHttp连接失败!",
            "704 创建WinHttp请求失败!",
            "705 设置超时时间失败!",
            "",
            "707 设置代理凭证失败!",
            "708 禁止自动设置Cookies失败!",
            "709 重定向设置失败!",
            "710 设置协议头失败!",
            "711 发送请求失败!",
            "712 服务器未响应!",
            "713 读取数据失败!",
        };
        std::array<std::string, 14> gbk;
        for (std::size_t i = 0; i < gbk.size(); ++i) {
            gbk[i] = Utf8ToAnsi(utf8[i]);
        }
        return gbk;
    }();
    return number >= 700 && number <= 713 ? messages[static_cast<std::size_t>(number - 700)]
                                          : std::string();
}

std::string FetchPageHttp(std::string_view address, const FetchPageHttpArgs& args) {
    auto fail = [&](int number) {
        if (args.status != nullptr) {
            *args.status = FetchPageHttpMessage(number);
        }
        return std::string();
    };

    const curl_version_info_data* curl = curl_version_info(CURLVERSION_NOW);
    bool speaksHttp = false;
    for (const char* const* protocol = curl->protocols; protocol != nullptr && *protocol != nullptr;
         ++protocol) {
        speaksHttp = speaksHttp || std::string_view(*protocol) == "http";
    }
    if (!speaksHttp) {
        return fail(700);
    }
    const UrlHandle url = CrackAddress(address);
    if (!url) {
        return fail(701);
    }
    CurlTransfer transfer;
    const bool proxied = args.proxy && !args.proxy->empty();
    if (!transfer.Valid() || (proxied && !transfer.Set(CURLOPT_PROXY, args.proxy->c_str()))) {
        return fail(702);
    }
    if (!transfer.Set(CURLOPT_CURLU, url.get())) {
        return fail(703);
    }
    const std::string_view verb = VerbOf(args.method);
    const std::string noBody;
    const std::string* body = args.postData && !args.postData->empty() ? &*args.postData
                              : verb == "POST" || verb == "PUT"        ? &noBody
                                                                       : nullptr;
    if (!transfer.SetMethod(verb, body)) {
        return fail(704);
    }
    const int seconds =
        args.timeoutSeconds.value_or(0) > 0 ? *args.timeoutSeconds : kDefaultTimeoutSeconds;
    if (!transfer.SetTimeout(std::chrono::milliseconds(std::chrono::seconds(seconds)))) {
        return fail(705);
    }
    if (BothGiven(args.userName, args.password) &&
        !(transfer.Set(CURLOPT_HTTPAUTH, static_cast<unsigned long>(CURLAUTH_BASIC)) &&
          transfer.Set(CURLOPT_USERNAME, args.userName->c_str()) &&
          transfer.Set(CURLOPT_PASSWORD, args.password->c_str()))) {
        return fail(707);
    }
    if (BothGiven(args.proxyUser, args.proxyPassword) &&
        !(transfer.Set(CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC)) &&
          transfer.Set(CURLOPT_PROXYUSERNAME, args.proxyUser->c_str()) &&
          transfer.Set(CURLOPT_PROXYPASSWORD, args.proxyPassword->c_str()))) {
        return fail(707);
    }
    // With the caller's cookies given, a per-call cookie store carries cookies set by a redirect
    // along to its target; without them no cookie is ever sent but the caller's lines.
    if (args.cookies != nullptr && !transfer.Set(CURLOPT_COOKIEFILE, "")) {
        return fail(708);
    }
    if (!transfer.SetFollowRedirects(!args.noRedirect)) {
        return fail(709);
    }
    if (!transfer.SetHeaderBlock(HeaderBlock(args))) {
        return fail(710);
    }

    const TransferOutcome outcome = transfer.Perform(args.stop);
    switch (outcome) {
        case TransferOutcome::kComplete:
            break;
        case TransferOutcome::kBodyCut:
            // Overwritten below by the status text; the bytes read so far are kept.
            fail(713);
            break;
        case TransferOutcome::kNotSent:
            return fail(711);
        case TransferOutcome::kNoResponse:
            return fail(712);
        case TransferOutcome::kStopped:
            return fail(transfer.RequestSent() ? 712 : 711);
    }

    std::string rawHeaders = transfer.ResponseHeaders();
    if (rawHeaders.empty()) {
        return {};
    }
    if (args.status != nullptr) {
        *args.status = StatusText(rawHeaders);
    }
    rawHeaders = ReplaceAll(rawHeaders, "Set-Cookie", "Set-Cookie", true);

    std::string localCookies;
    std::string& freshCookies =
        args.returnedCookies != nullptr ? *args.returnedCookies : localCookies;
    freshCookies = CollectSetCookies(rawHeaders, freshCookies);
    if (args.location != nullptr) {
        for (const std::string& line : SplitText(rawHeaders, "\r\n")) {
            if (StartsWithText(line, "Location: ", true)) {
                *args.location = line.substr(10);
            }
        }
    }
    if (args.cookies != nullptr) {
        MergeCookies(*args.cookies, freshCookies);
    }
    if (args.returnedHeaders != nullptr) {
        *args.returnedHeaders = std::move(rawHeaders);
    }

    std::string bytes = std::move(transfer.Body());
    const std::size_t zero = bytes.find('\0');
    if (zero == std::string::npos && args.body == nullptr) {
        // The page text is the body itself, so one buffer serves as both: DecodePageCharset
        // builds a decoded text apart and only then replaces the page text with it.
        DecodePageCharset(bytes, bytes);
        return bytes;
    }
    std::string page = bytes.substr(0, zero);
    DecodePageCharset(page, bytes);
    if (args.body != nullptr) {
        *args.body = std::move(bytes);
    }
    return page;
}

}  // namespace lumaru
