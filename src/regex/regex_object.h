#pragma once

// The pattern matcher every scraper uses to pull fields out of fetched HTML.
//
// One object holds one pattern, the subject of its last run and every match of that run. Pattern,
// subject and every returned text are GBK; matching works on characters (the subject is matched as
// Unicode), so a GBK character is never split and a trail byte never matches on its own.
//
// Matching rules: `.` matches anything but a line feed (a carriage return included); \w \d \s are
// ASCII classes; letters ignore case unless asked otherwise; `^` and `$` match at line starts and
// ends by default; a global run collects every non-overlapping match, resuming where the previous
// one ended and one character further on after an empty match.
//
// Match and group numbers are 1-based; a number out of range gives empty text. An object belongs
// to one thread; copies share the results of the run, which never change after Create.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumaru {

class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&);
    RegexObject& operator=(const RegexObject&);
    RegexObject(RegexObject&&) noexcept;
    RegexObject& operator=(RegexObject&&) noexcept;

    // Compiles the pattern and collects its matches over the subject, replacing the previous run.
    // Options left out: case ignored, multiline on, global on, quote marker off. With the quote
    // marker, every kQuoteMarker ("#引号", net/text_search.h) in the pattern stands for a double
    // quote. False when the pattern is rejected; true otherwise, also when nothing matched. An
    // engine limit hit on a huge or pathological subject ends the run with the matches found so
    // far.
    bool Create(std::string_view pattern, std::string_view subject,
                std::optional<bool> caseSensitive = std::nullopt,
                std::optional<bool> multiline = std::nullopt,
                std::optional<bool> global = std::nullopt,
                std::optional<bool> quoteMarker = std::nullopt);

    int MatchCount() const;

    // The text of match n. With position, also its 0-based byte offset in the subject, or -1
    // when there is no such match.
    std::string MatchText(int n, int* position = nullptr) const;

    // The text captured by group g of match n; empty when the group took no part in the match.
    // With position, also its 0-based byte offset in the subject, or -1 when there is no text.
    std::string SubmatchText(int n, int g, int* position = nullptr) const;

    // The number of capture groups, as seen on the first match; 0 when nothing matched.
    int GroupCount() const;

    // The pattern of the last Create, after the quote-marker rewrite; empty before any Create.
    std::string GetPattern() const;

    // The subject with the matches of the last run replaced. The replacement understands $1..$99
    // (group text), $& (the match), $` and $' (the text before and after it) and $$ (a dollar);
    // anything else is copied as it stands. Empty when the last pattern was rejected or there was
    // no run at all.
    std::string ReplaceMatches(std::string_view replacement) const;

    // A new object holding the same run.
    RegexObject Copy() const;

    // Forgets the pattern, the subject and the matches.
    void Destroy();

    struct Run;

private:
    // Group g of match n, group 0 being the whole match.
    std::string GroupText(int n, int g, int* position) const;

    std::shared_ptr<const Run> run_;
};

}  // namespace lumaru
