#include "matcher/reg_exp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <list>
#include <mutex>
#include <utility>

#include "matcher/table_conversion.h"

namespace varneth {
namespace {

// Bounds that keep a hostile pattern from hanging a search or exhausting memory. A listing row
// costs a few thousand steps, so real pages stay far below them (the interpreter would still
// find a row of about a megabyte); a search that reaches one simply ends with the matches
// found so far.
//
// The interpreter counts every backtracking step against kMatchLimit. The compiled code counts
// far fewer events, and between two of them it may scan the whole subject (a pattern such as
// (.*a){20} ran for seconds on 5,000 characters within a million of them), so it gets a much
// smaller budget: it counts about two per character that a single match spans, which lets it
// take rows of some 10 KB. A match that needs more is sought again by the interpreter under the
// full limit, so the result stays the same and only the time a hostile pattern can take shrinks.
constexpr std::uint32_t kMatchLimit = 5'000'000;
constexpr std::uint32_t kJitMatchLimit = 20'000;
constexpr std::uint32_t kDepthLimit = 250'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 4 * 1024 * 1024;

// The dialect of the scripting engine: "." excludes only the line feed, "$" without multi-line
// mode matches only at the very end, \uhhhh and \xhh escapes; \C could split a character.
constexpr std::uint32_t kCompileOptions =
    PCRE2_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX | PCRE2_NEVER_BACKSLASH_C;

struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

// The compiled code's stack: one per thread, made on first use and kept, because mapping and
// unmapping it for every search costs more than searching a small page. Executions on one
// thread never overlap (no callouts), so they can take turns on it.
pcre2_jit_stack* ThreadJitStack() {
    struct Holder {
        pcre2_jit_stack* stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        Holder() = default;
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;
        ~Holder() { pcre2_jit_stack_free(stack); }
    };
    thread_local Holder holder;
    return holder.stack;
}

// What one execution needs besides the compiled pattern. Made per execution, so that a shared
// RegExp can be executed from several threads.
class MatchResources {
  public:
    explicit MatchResources(const pcre2_code* code)
        : context_(pcre2_match_context_create(nullptr)),
          data_(pcre2_match_data_create_from_pattern(code, nullptr)) {
        if (context_ == nullptr)
            return;
        pcre2_set_depth_limit(context_, kDepthLimit);
        pcre2_set_heap_limit(context_, kHeapLimitKiB);
        // Without its own stack the compiled code gets 32 KB from the machine stack.
        if (pcre2_jit_stack* stack = ThreadJitStack(); stack != nullptr)
            pcre2_jit_stack_assign(context_, nullptr, stack);
    }
    ~MatchResources() {
        pcre2_match_data_free(data_);
        pcre2_match_context_free(context_);
    }
    MatchResources(const MatchResources&) = delete;
    MatchResources& operator=(const MatchResources&) = delete;

    [[nodiscard]] bool valid() const { return context_ != nullptr && data_ != nullptr; }
    [[nodiscard]] pcre2_match_context* context() const { return context_; }
    [[nodiscard]] pcre2_match_data* data() const { return data_; }

  private:
    pcre2_match_context* context_;
    pcre2_match_data* data_;
};

struct CompiledPattern {
    std::shared_ptr<const pcre2_code> code;
    int groupCount = 0;
    bool jit = false;  // the compiled code is there; otherwise the interpreter runs it
};

// Compiles a pattern, or hands out the code of an equal one compiled before. Every search
// makes a new RegExp, but a listing load compiles the same pattern for every page, and
// compiling with the JIT costs about as much as searching a small page. The code is immutable
// and may be matched from several threads at once; only the last few patterns are kept.
class PatternCache {
  public:
    CompiledPattern Get(const std::u16string& pattern, std::uint32_t options) {
        {
            std::lock_guard lock(mutex_);
            for (auto it = entries_.begin(); it != entries_.end(); ++it) {
                if (it->options == options && it->pattern == pattern) {
                    entries_.splice(entries_.begin(), entries_, it);
                    return it->compiled;
                }
            }
        }
        CompiledPattern compiled = Compile(pattern, options);
        if (compiled.code == nullptr)
            return compiled;
        std::lock_guard lock(mutex_);
        entries_.push_front({pattern, options, compiled});
        if (entries_.size() > kCapacity)
            entries_.pop_back();
        return compiled;
    }

  private:
    static constexpr std::size_t kCapacity = 8;

    struct Entry {
        std::u16string pattern;
        std::uint32_t options;
        CompiledPattern compiled;
    };

    static CompiledPattern Compile(const std::u16string& pattern, std::uint32_t options) {
        CompiledPattern compiled;
        std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
            pcre2_compile_context_create(nullptr));
        if (context == nullptr)
            return compiled;
        pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        pcre2_code* code =
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                          &error, &errorOffset, context.get());
        if (code == nullptr)
            return compiled;
        // Without the compiler (or out of executable memory) the interpreter does the same
        // work.
        compiled.jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
        std::uint32_t captures = 0;
        pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
        compiled.code = std::shared_ptr<const pcre2_code>(
            code, [](const pcre2_code* c) { pcre2_code_free(const_cast<pcre2_code*>(c)); });
        compiled.groupCount = static_cast<int>(captures);
        return compiled;
    }

    std::mutex mutex_;
    std::list<Entry> entries_;
};

PatternCache& Patterns() {
    static PatternCache cache;
    return cache;
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Length in units of the character at `at`, so that an empty match steps over a whole one.
PCRE2_SIZE CharacterLength(std::u16string_view text, PCRE2_SIZE at) {
    if (at + 1 < text.size() && IsHighSurrogate(text[at]) && IsLowSurrogate(text[at + 1]))
        return 2;
    return 1;
}

bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

void AppendGroup(std::u16string& out, std::u16string_view source, const PCRE2_SIZE* ovector,
                 int pairs, int group) {
    if (group >= pairs)
        return;
    const PCRE2_SIZE start = ovector[2 * group];
    const PCRE2_SIZE end = ovector[2 * group + 1];
    if (start == PCRE2_UNSET || start > end || end > source.size())
        return;
    out.append(source.substr(start, end - start));
}

// Expands `replacement` for one match the way the scripting engine's Replace does.
void AppendReplacement(std::u16string& out, std::u16string_view replacement,
                       std::u16string_view source, const PCRE2_SIZE* ovector, int pairs,
                       int groupCount) {
    const PCRE2_SIZE matchStart = ovector[0];
    const PCRE2_SIZE matchEnd = ovector[1];
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char16_t unit = replacement[i];
        if (unit != u'$' || i + 1 >= replacement.size()) {
            out.push_back(unit);
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out.push_back(u'$');
            ++i;
        } else if (next == u'&') {
            AppendGroup(out, source, ovector, pairs, 0);
            ++i;
        } else if (next == u'`') {
            out.append(source.substr(0, matchStart));
            ++i;
        } else if (next == u'\'') {
            out.append(source.substr(std::min<PCRE2_SIZE>(matchEnd, source.size())));
            ++i;
        } else if (IsDigit(next)) {
            // Two digits name a group when that group exists, else one digit does and the
            // second is literal; a number beyond the groups stays as written.
            const int one = next - u'0';
            const bool hasSecond = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
            const int two = hasSecond ? one * 10 + (replacement[i + 2] - u'0') : 0;
            if (hasSecond && two >= 1 && two <= groupCount) {
                AppendGroup(out, source, ovector, pairs, two);
                i += 2;
            } else if (one >= 1 && one <= groupCount) {
                AppendGroup(out, source, ovector, pairs, one);
                ++i;
            } else {
                out.push_back(u'$');
            }
        } else {
            out.push_back(u'$');
        }
    }
}

}  // namespace

RegExp::RegExp(Text pattern, RegExpSettings settings)
    : pattern_(std::move(pattern)), settings_(settings) {
    std::uint32_t options = kCompileOptions;
    if (settings_.ignoreCase)
        options |= PCRE2_CASELESS;
    if (settings_.multiline)
        options |= PCRE2_MULTILINE;
    CompiledPattern compiled = Patterns().Get(TableLocalToUtf16(pattern_), options);
    code_ = std::move(compiled.code);
    groupCount_ = compiled.groupCount;
    jit_ = compiled.jit;
}

std::shared_ptr<const RegExp> RegExp::Create(const Text& pattern, RegExpSettings settings) {
    return std::shared_ptr<const RegExp>(new RegExp(pattern, settings));
}

template <typename OnMatch>
void RegExp::ForEachMatch(std::u16string_view subject, OnMatch&& onMatch) const {
    MatchResources resources(code_.get());
    if (!resources.valid())
        return;
    const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const PCRE2_SIZE length = subject.size();
    // The first call checks the subject's UTF-16 once; the later ones are told not to, or a
    // global search would check the whole page again for every match.
    std::uint32_t options = 0;
    for (PCRE2_SIZE offset = 0; offset <= length;) {
        pcre2_set_match_limit(resources.context(), jit_ ? kJitMatchLimit : kMatchLimit);
        int rc = pcre2_match(code_.get(), units, length, offset, options, resources.data(),
                             resources.context());
        if (jit_ && (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT)) {
            // The interpreter keeps its backtracking on the heap, under the heap limit, and
            // counts every step (see kJitMatchLimit).
            pcre2_set_match_limit(resources.context(), kMatchLimit);
            rc = pcre2_match(code_.get(), units, length, offset, options | PCRE2_NO_JIT,
                             resources.data(), resources.context());
        }
        options |= PCRE2_NO_UTF_CHECK;
        if (rc <= 0)
            break;  // no further match, or a limit was reached
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(resources.data());
        onMatch(ovector, rc);
        if (!settings_.global)
            break;
        const PCRE2_SIZE start = ovector[0];
        const PCRE2_SIZE end = ovector[1];
        // The next match is sought from the end of this one; an empty match steps over one
        // character, as the scripting engine does.
        if (end > start && end > offset) {
            offset = end;
        } else {
            const PCRE2_SIZE from = std::max(end, offset);
            if (from >= length)
                break;
            offset = from + CharacterLength(subject, from);
        }
    }
}

std::shared_ptr<const MatchCollection> RegExp::Execute(std::u16string subject) const {
    if (!IsValid())
        return nullptr;
    // Offsets are stored in 32 bits; no page comes near that.
    const bool tooLong = subject.size() >= UINT32_MAX;
    auto matches = std::make_shared<MatchCollection>(std::move(subject), groupCount_);
    if (tooLong)
        return matches;
    ForEachMatch(matches->Subject(),
                 [&](const PCRE2_SIZE* ovector, int pairs) { matches->Add(ovector, pairs); });
    return matches;
}

std::optional<std::u16string> RegExp::Replace(std::u16string_view source,
                                              std::u16string_view replacement) const {
    if (!IsValid())
        return std::nullopt;
    std::u16string out;
    out.reserve(source.size());
    PCRE2_SIZE copied = 0;
    ForEachMatch(source, [&](const PCRE2_SIZE* ovector, int pairs) {
        const PCRE2_SIZE start = std::max(ovector[0], copied);
        out.append(source.substr(copied, start - copied));
        AppendReplacement(out, replacement, source, ovector, pairs, groupCount_);
        copied = std::max(ovector[1], start);
    });
    out.append(source.substr(std::min<PCRE2_SIZE>(copied, source.size())));
    return out;
}

}  // namespace varneth
