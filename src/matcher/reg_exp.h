#pragma once
// A compiled pattern with its settings: what a search creates anew each time and what
// PatternMatcher::GetRegExp hands out. Immutable once built, so copies of a matcher (and other
// threads) can share it.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "matcher/match_collection.h"
#include "text/text.h"

struct pcre2_real_code_16;

namespace varneth {

struct RegExpSettings {
    bool ignoreCase = false;
    bool multiline = false;
    bool global = false;
};

class RegExp {
  public:
    // Always yields an object, as the pattern is only a property of it; an invalid pattern
    // gives one whose executions produce nothing.
    static std::shared_ptr<const RegExp> Create(const Text& pattern, RegExpSettings settings);

    [[nodiscard]] bool IsValid() const { return code_ != nullptr; }
    [[nodiscard]] const Text& Pattern() const { return pattern_; }
    [[nodiscard]] const RegExpSettings& Settings() const { return settings_; }
    [[nodiscard]] int GroupCount() const { return groupCount_; }

    // The matches, left to right (only the first unless global); nullptr when the pattern is
    // invalid. A match limit that is hit ends the collection there.
    [[nodiscard]] std::shared_ptr<const MatchCollection> Execute(std::u16string subject) const;

    // `source` with its matches replaced; `replacement` understands $1 to $99, $&, $`, $' and
    // $$. Nothing when the pattern is invalid.
    [[nodiscard]] std::optional<std::u16string> Replace(std::u16string_view source,
                                                        std::u16string_view replacement) const;

  private:
    RegExp(Text pattern, RegExpSettings settings);

    // Calls onMatch(ovector, pairs) for each match as Execute finds them.
    template <typename OnMatch>
    void ForEachMatch(std::u16string_view subject, OnMatch&& onMatch) const;

    Text pattern_;
    RegExpSettings settings_;
    std::shared_ptr<const pcre2_real_code_16> code_;  // shared with equal patterns, see .cpp
    int groupCount_ = 0;
    bool jit_ = false;
};

}  // namespace varneth
