#include "regex/replacement_template.h"

#include <algorithm>

namespace lumaru {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void AppendGroup(std::string_view subject, std::span<const size_t> groups, size_t group,
                 std::string& out) {
    const size_t start = groups[2 * group];
    const size_t end = groups[2 * group + 1];
    if (start != kUnsetOffset && end != kUnsetOffset && start <= end && end <= subject.size()) {
        out.append(subject.substr(start, end - start));
    }
}

}  // namespace

void AppendReplacement(std::string_view subject, std::span<const size_t> groups,
                       std::string_view replacement, std::string& out) {
    const size_t groupCount = groups.size() / 2 - 1;
    const size_t matchStart = std::min(groups[0], subject.size());
    const size_t matchEnd = std::min(groups[1], subject.size());
    size_t at = 0;
    while (at < replacement.size()) {
        const size_t dollar = replacement.find('$', at);
        if (dollar == std::string_view::npos || dollar + 1 == replacement.size()) {
            out.append(replacement.substr(at));
            return;
        }
        out.append(replacement.substr(at, dollar - at));
        const char next = replacement[dollar + 1];
        at = dollar + 2;
        if (next == '$') {
            out += '$';
        } else if (next == '&') {
            AppendGroup(subject, groups, 0, out);
        } else if (next == '`') {
            out.append(subject.substr(0, matchStart));
        } else if (next == '\'') {
            out.append(subject.substr(matchEnd));
        } else if (IsDigit(next)) {
            size_t group = static_cast<size_t>(next - '0');
            if (dollar + 2 < replacement.size() && IsDigit(replacement[dollar + 2])) {
                const size_t twoDigits =
                    group * 10 + static_cast<size_t>(replacement[dollar + 2] - '0');
                if (twoDigits >= 1 && twoDigits <= groupCount) {
                    group = twoDigits;
                    ++at;
                }
            }
            if (group >= 1 && group <= groupCount) {
                AppendGroup(subject, groups, group, out);
            } else {
                out.append(replacement.substr(dollar, at - dollar));
            }
        } else {
            out.append(replacement.substr(dollar, 2));
        }
    }
}

}  // namespace lumaru
