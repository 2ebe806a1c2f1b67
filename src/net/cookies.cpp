#include "net/cookies.h"

#include "net/text_search.h"

namespace lumaru {
namespace {

constexpr std::string_view kItemSeparator = "; ";

// Appends item to a cookie text, with a separator unless the text is empty or already ends in
// one. Empty items are no cookies and are skipped.
void AppendItem(std::string& cookies, std::string_view item) {
    if (item.empty()) {
        return;
    }
    const size_t last = cookies.find_last_not_of(' ');
    if (last != std::string::npos && cookies[last] != ';') {
        cookies.append(kItemSeparator);
    } else if (last != std::string::npos && last + 1 == cookies.size()) {
        cookies.push_back(' ');
    }
    cookies.append(item);
}

}  // namespace

std::string CollectSetCookies(std::string_view rawHeaders, std::string_view startText) {
    std::string cookies(startText);
    for (const std::string& line : SplitText(rawHeaders, "\r\n")) {
        if (FindText(line, "Set-Cookie") == 0) {
            continue;
        }
        // The pair before the first attribute; a line without attributes is the pair itself.
        const std::string item = FindText(line, ";") != 0
                                     ? Trim(TextBetween(line, "Set-Cookie:", ";"))
                                     : Trim(ReplaceAll(line, "Set-Cookie:", "", true));
        AppendItem(cookies, item);
    }
    return cookies;
}

std::string MergeCookies(std::string& oldCookies, std::string& freshCookies) {
    oldCookies = RemoveSpaces(oldCookies);
    freshCookies = RemoveSpaces(freshCookies);
    std::vector<std::string> merged;
    for (std::string& item : SplitText(freshCookies, ";")) {
        if (!item.empty()) {
            merged.push_back(std::move(item));
        }
    }
    // Checked against the growing list, so of several old items with one name only the first
    // survives.
    for (std::string& item : SplitText(oldCookies, ";")) {
        if (!item.empty() && !HasCookieName(merged, CookieName(item))) {
            merged.push_back(std::move(item));
        }
    }
    std::string result;
    for (const std::string& item : merged) {
        const bool deleted = item.size() >= 8 && item.compare(item.size() - 8, 8, "=deleted") == 0;
        if (!deleted) {
            if (!result.empty()) {
                result.append(kItemSeparator);
            }
            result.append(item);
        }
    }
    oldCookies = JoinDistinct(result, kItemSeparator);
    return oldCookies;
}

std::string CookieName(std::string_view item) {
    const int equalsAt = FindText(item, "=");
    return Trim(equalsAt == 0 ? item : item.substr(0, equalsAt - 1));
}

bool HasCookieName(const std::vector<std::string>& items, std::string_view name) {
    for (const std::string& item : items) {
        if (CookieName(item) == name) {
            return true;
        }
    }
    return false;
}

std::string JoinDistinct(std::string_view text, std::string_view separator) {
    std::vector<std::string> kept;
    for (std::string& piece : SplitText(text, separator)) {
        if (IndexOfText(kept, piece) == -1) {
            kept.push_back(std::move(piece));
        }
    }
    std::string joined;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            joined.append(separator);
        }
        joined.append(kept[i]);
    }
    return joined;
}

int IndexOfText(const std::vector<std::string>& items, std::string_view text) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

}  // namespace lumaru
