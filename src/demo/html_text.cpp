#include "demo/html_text.h"

namespace lumaru::demo {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

constexpr std::string_view kStyle = R"css(
  body {
    margin: 0; min-height: 100vh; display: flex;
    font-family: "Noto Sans CJK SC", "Noto Sans", sans-serif;
    background: linear-gradient(135deg, #1d2b4c, #3b1d4c) fixed; color: #f2f2f7;
  }
  /* Centred while it fits; a taller card starts at the top and scrolls. */
  .card {
    margin: auto; background: rgba(255, 255, 255, 0.08); border-radius: 16px;
    padding: 20px 32px; max-width: 80%; box-shadow: 0 8px 32px rgba(0, 0, 0, 0.35);
  }
  h1 { margin: 0 0 8px; font-size: 26px; font-weight: 600; }
  .label { color: #b8b8d0; font-size: 15px; margin-top: 10px; }
  .big { font-size: 22px; font-weight: 600; word-break: break-all; color: #ffd479; }
  .note { color: #b8b8d0; font-size: 14px; margin-top: 14px; }
  .player {
    margin-top: 14px; height: 110px; border-radius: 10px; background: #0b0b12;
    display: flex; align-items: center; justify-content: center; font-size: 56px; color: #555;
  }
  a { color: #8fc7ff; }
  ul { padding-left: 1.2em; line-height: 1.8; }
)css";

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string PercentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kDigits[byte >> 4];
            encoded += kDigits[byte & 0x0F];
        }
    }
    return encoded;
}

std::string QueryValue(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name &&
            pair[name.size()] == '=') {
            return std::string(pair.substr(name.size() + 1));
        }
        if (amp == std::string_view::npos) {
            break;
        }
        query.remove_prefix(amp + 1);
    }
    return {};
}

std::string StyledPage(std::string_view title, std::string_view body) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>";
    page += HtmlEscape(title);
    page += "</title><style>";
    page += kStyle;
    page += "</style></head>\n<body><div class=\"card\">";
    page += body;
    page += "</div></body></html>\n";
    return page;
}

}  // namespace lumaru::demo
