#pragma once
// The program's regular-expression object: it keeps the matches of its last search so they can
// be read long after. Built on PCRE2 (16-bit code units, UTF mode, JIT where available).
#include <memory>

#include "text/text.h"

namespace varneth {

class RegExp;           // a compiled pattern with its settings (shared, immutable once built)
class MatchCollection;  // the matches of one execution (shared, immutable)

class PatternMatcher {
  public:
    PatternMatcher();
    PatternMatcher(const PatternMatcher& other);  // shares the pattern and the matches
    PatternMatcher& operator=(const PatternMatcher& other);
    PatternMatcher(PatternMatcher&&) noexcept;
    PatternMatcher& operator=(PatternMatcher&&) noexcept;
    virtual ~PatternMatcher();

    virtual PatternMatcher Copy() const;
    virtual bool Search(const Text& pattern, const Text& subject, bool caseSensitive = false,
                        bool multiline = true, bool globalSearch = true,
                        bool quotePlaceholder = false);
    virtual int MatchCount() const;
    // 1-based match and group; empty text for any index outside the collection.
    virtual Text SubmatchText(int matchIndex, int submatchIndex, int* position = nullptr) const;
    virtual Text MatchText(int matchIndex) const;
    virtual std::shared_ptr<const RegExp> GetRegExp() const;
    virtual void SetRegExp(std::shared_ptr<const RegExp> regExp);
    virtual bool IsMatch(const Text& subject);
    virtual void Placeholder();
    virtual Text GetPattern() const;
    virtual Text EscapeText(const Text& literalText) const;
    virtual int SubmatchCount() const;
    virtual int ExecuteCount(const Text& subject);
    virtual Text ReplaceMatches(const Text& replacement) const;
    virtual void Reset();

  private:
    std::shared_ptr<const RegExp> regExp_;
    std::shared_ptr<const MatchCollection> matches_;
    Text lastSubject_;
    int storedCount_ = 0;
};

}  // namespace varneth
