#include "regex/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <climits>
#include <span>
#include <vector>

#include "net/charset_converter.h"
#include "net/text_search.h"
#include "regex/replacement_template.h"
#include "regex/utf8_subject.h"

namespace lumaru {

struct RegexObject::Run {
    std::string pattern;  // GBK, after the quote-marker rewrite
    std::string subject;  // GBK
    bool compiled = false;
    size_t groupCount = 0;
    // Per match, group 0 first: start and end byte offsets into subject, kUnsetOffset for a
    // group that took no part.
    std::vector<size_t> offsets;

    size_t Stride() const { return 2 * (groupCount + 1); }
    size_t MatchCount() const { return offsets.size() / Stride(); }
    std::span<const size_t> Groups(size_t match) const {
        return std::span<const size_t>(offsets).subspan(match * Stride(), Stride());
    }
};

namespace {

// Bounds for one search, so that a pathological pattern or a page of many megabytes ends the
// run early instead of running for minutes or exhausting memory. Matching never uses the
// machine stack: the interpreter keeps its backtracking frames on the heap and the JIT code
// runs on a stack of its own.
constexpr uint32_t kMatchLimit = 20'000'000;
constexpr uint32_t kHeapLimitKib = 256 * 1024;
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 16 * 1024 * 1024;

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackDeleter {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};
using Code = std::unique_ptr<pcre2_code, CodeDeleter>;

struct Options {
    bool ignoreCase;
    bool multiline;
    bool global;
};

Code Compile(std::string_view gbkPattern, const Options& options) {
    std::string pattern;
    ConvertAppend(Charset::kGbk, Charset::kUtf8, gbkPattern, pattern);
    // Never \C (it could stop inside a character) and never Unicode classes (\w \d \s stay
    // ASCII). The other flags give the classic script-engine syntax: \uXXXX, [^] for any
    // character, a backreference to a group that did not take part matching nothing, and $
    // only at the very end outside multiline mode.
    uint32_t flags = PCRE2_UTF | PCRE2_NEVER_BACKSLASH_C | PCRE2_NEVER_UCP | PCRE2_ALT_BSUX |
                     PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF;
    flags |= options.ignoreCase ? PCRE2_CASELESS : 0;
    flags |= options.multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
        pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    // Only a line feed ends a line: the dot matches a carriage return.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    Code code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                            &error, &errorOffset, context.get()));
    if (code) {
        pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);  // without JIT the interpreter runs
    }
    return code;
}

// Collects the matches over the UTF-8 copy, as UTF-8 offsets, group 0 first in each match.
std::vector<size_t> Execute(const pcre2_code* code, std::string_view utf8, size_t stride,
                            bool global) {
    std::vector<size_t> offsets;
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code, nullptr));
    std::unique_ptr<pcre2_match_context, MatchContextDeleter> context(
        pcre2_match_context_create(nullptr));
    if (!data || !context) {
        return offsets;
    }
    pcre2_set_match_limit(context.get(), kMatchLimit);
    pcre2_set_heap_limit(context.get(), kHeapLimitKib);
    std::unique_ptr<pcre2_jit_stack, JitStackDeleter> jitStack(
        pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    if (jitStack) {
        pcre2_jit_stack_assign(context.get(), nullptr, jitStack.get());
    }

    const auto* subject = reinterpret_cast<PCRE2_SPTR>(utf8.data());
    size_t start = 0;
    while (start <= utf8.size()) {
        // The copy is valid UTF-8 by construction; checking it on every search would cost time
        // quadratic in the number of matches.
        const int result = pcre2_match(code, subject, utf8.size(), start, PCRE2_NO_UTF_CHECK,
                                       data.get(), context.get());
        if (result < 0) {
            break;  // no further match, or a limit was hit: keep what was found
        }
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data.get());
        offsets.insert(offsets.end(), vector, vector + stride);
        if (!global) {
            break;
        }
        const size_t matchStart = vector[0];
        const size_t matchEnd = vector[1];
        size_t next = matchEnd;
        // After an empty match the next search begins one character further on.
        if (matchEnd <= matchStart || next <= start) {
            const size_t from = std::max(next, start);
            next = from < utf8.size() ? from + Utf8CharLength(utf8.substr(from)) : from + 1;
        }
        start = next;
    }
    return offsets;
}

// Turns UTF-8 offsets into GBK offsets, visiting each match's offsets in the order they mostly
// lie in the text so that the walk over the text only goes forward.
void TranslateOffsets(Utf8Subject& map, std::vector<size_t>& offsets, size_t stride) {
    for (size_t match = 0; match + stride <= offsets.size(); match += stride) {
        size_t* groups = offsets.data() + match;
        if (groups[0] != kUnsetOffset) {
            groups[0] = map.ToGbk(groups[0]);
        }
        for (size_t i = 2; i < stride; ++i) {
            if (groups[i] != kUnsetOffset) {
                groups[i] = map.ToGbk(groups[i]);
            }
        }
        if (groups[1] != kUnsetOffset) {
            groups[1] = map.ToGbk(groups[1]);
        }
    }
}

int PositionOf(size_t offset) {
    return offset == kUnsetOffset || offset > static_cast<size_t>(INT_MAX)
               ? -1
               : static_cast<int>(offset);
}

// The text between a start and an end offset; empty for an unset group.
std::string Slice(const std::string& subject, size_t start, size_t end, int* position) {
    const bool set =
        start != kUnsetOffset && end != kUnsetOffset && start <= end && end <= subject.size();
    if (position) {
        *position = set ? PositionOf(start) : -1;
    }
    return set ? subject.substr(start, end - start) : std::string();
}

}  // namespace

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject&) = default;
RegexObject& RegexObject::operator=(const RegexObject&) = default;
RegexObject::RegexObject(RegexObject&&) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&&) noexcept = default;

bool RegexObject::Create(std::string_view pattern, std::string_view subject,
                         std::optional<bool> caseSensitive, std::optional<bool> multiline,
                         std::optional<bool> global, std::optional<bool> quoteMarker) {
    const Options options{!caseSensitive.value_or(false), multiline.value_or(true),
                          global.value_or(true)};
    run_.reset();
    auto run = std::make_shared<Run>();
    run->pattern = quoteMarker.value_or(false) ? ReplaceAll(pattern, kQuoteMarker, "\"")
                                               : std::string(pattern);
    run->subject = std::string(subject);
    run_ = run;

    const Code code = Compile(run->pattern, options);
    if (!code) {
        return false;
    }
    run->compiled = true;
    uint32_t captures = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    run->groupCount = captures;
    if (run->subject.empty()) {
        return true;  // an empty subject has no match, whatever the pattern
    }

    Utf8Subject utf8(run->subject);
    run->offsets = Execute(code.get(), utf8.Text(), run->Stride(), options.global);
    TranslateOffsets(utf8, run->offsets, run->Stride());
    return true;
}

int RegexObject::MatchCount() const {
    return run_ ? static_cast<int>(std::min<size_t>(run_->MatchCount(), INT_MAX)) : 0;
}

std::string RegexObject::MatchText(int n, int* position) const {
    return GroupText(n, 0, position);
}

std::string RegexObject::SubmatchText(int n, int g, int* position) const {
    return g >= 1 ? GroupText(n, g, position) : GroupText(0, 0, position);
}

std::string RegexObject::GroupText(int n, int g, int* position) const {
    if (!run_ || n < 1 || static_cast<size_t>(n) > run_->MatchCount() || g < 0 ||
        static_cast<size_t>(g) > run_->groupCount) {
        if (position) {
            *position = -1;
        }
        return {};
    }
    const auto groups = run_->Groups(static_cast<size_t>(n - 1));
    return Slice(run_->subject, groups[2 * g], groups[2 * g + 1], position);
}

int RegexObject::GroupCount() const {
    return run_ && run_->MatchCount() > 0 ? static_cast<int>(run_->groupCount) : 0;
}

std::string RegexObject::GetPattern() const {
    return run_ ? run_->pattern : std::string();
}

std::string RegexObject::ReplaceMatches(std::string_view replacement) const {
    if (!run_ || !run_->compiled) {
        return {};
    }
    const std::string_view subject = run_->subject;
    std::string result;
    result.reserve(subject.size());
    size_t copied = 0;
    for (size_t match = 0; match < run_->MatchCount(); ++match) {
        const auto groups = run_->Groups(match);
        if (groups[0] < copied || groups[1] < groups[0] || groups[1] > subject.size()) {
            continue;
        }
        result.append(subject.substr(copied, groups[0] - copied));
        AppendReplacement(subject, groups, replacement, result);
        copied = groups[1];
    }
    result.append(subject.substr(copied));
    return result;
}

RegexObject RegexObject::Copy() const {
    return *this;
}

void RegexObject::Destroy() {
    run_.reset();
}

}  // namespace lumaru
