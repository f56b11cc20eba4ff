#include "matcher/pattern_matcher.h"

#include <climits>
#include <string_view>
#include <utility>

#include "matcher/reg_exp.h"
#include "matcher/table_conversion.h"
#include "text/codepage.h"
#include "text/text_ops.h"

namespace varneth {
namespace {

const Text& QuotePlaceholder() {
    static const Text placeholder = Local("#引号");
    return placeholder;
}

// Byte offset in `text` of its character number `characters`, counting a double-byte
// character as one; the end of the text when it has fewer.
std::size_t ByteOffsetOfCharacter(const Text& text, std::size_t characters) {
    std::size_t offset = 0;
    for (; characters > 0 && offset < text.size(); --characters)
        offset += CharLength(text.view(), offset);
    return offset;
}

}  // namespace

// PCRE2 is a plain library: unlike an automation object it needs no per-thread
// initialisation, so construction and Reset have nothing to set up or tear down.
PatternMatcher::PatternMatcher() = default;

PatternMatcher::PatternMatcher(const PatternMatcher& other) = default;
PatternMatcher& PatternMatcher::operator=(const PatternMatcher& other) = default;
PatternMatcher::PatternMatcher(PatternMatcher&&) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&&) noexcept = default;

PatternMatcher::~PatternMatcher() {
    PatternMatcher::Reset();
}

PatternMatcher PatternMatcher::Copy() const {
    return *this;
}

bool PatternMatcher::Search(const Text& pattern, const Text& subject, bool caseSensitive,
                            bool multiline, bool globalSearch, bool quotePlaceholder) {
    regExp_.reset();
    matches_.reset();
    const RegExpSettings settings{!caseSensitive, multiline, globalSearch};
    regExp_ = RegExp::Create(
        quotePlaceholder ? ReplaceAll(pattern, QuotePlaceholder(), Text("\"")) : pattern, settings);
    matches_ = regExp_->Execute(TableLocalToUtf16(subject));
    lastSubject_ = subject;
    return matches_ != nullptr;
}

int PatternMatcher::MatchCount() const {
    return matches_ ? matches_->Count() : 0;
}

Text PatternMatcher::SubmatchText(int matchIndex, int submatchIndex, int* position) const {
    Text value;
    if (matches_ && matchIndex >= 1 && submatchIndex >= 1 &&
        submatchIndex <= matches_->GroupCount()) {
        if (auto group = matches_->Group(matchIndex - 1, submatchIndex))
            value = TableUtf16ToLocal(*group);
    }
    if (position != nullptr) {
        // The match's start counts characters; the search in lastSubject counts bytes, so the
        // start is turned into the byte offset of that character and the result is a 0-based
        // byte position in lastSubject.
        const std::size_t firstIndex =
            (matches_ && matchIndex >= 1) ? matches_->FirstIndex(matchIndex - 1) : 0;
        const std::size_t start = ByteOffsetOfCharacter(lastSubject_, firstIndex);
        const bool ignoreCase = regExp_ && regExp_->Settings().ignoreCase;
        const int found = start >= static_cast<std::size_t>(INT_MAX)
                              ? -1
                              : Find(lastSubject_, value, static_cast<int>(start) + 1, ignoreCase);
        *position = found == -1 ? -2 : found - 1;
    }
    return value;
}

Text PatternMatcher::MatchText(int matchIndex) const {
    if (!matches_ || matchIndex < 1)
        return Text();
    auto match = matches_->Group(matchIndex - 1, 0);
    return match ? TableUtf16ToLocal(*match) : Text();
}

std::shared_ptr<const RegExp> PatternMatcher::GetRegExp() const {
    return regExp_;
}

void PatternMatcher::SetRegExp(std::shared_ptr<const RegExp> regExp) {
    regExp_ = std::move(regExp);
}

bool PatternMatcher::IsMatch(const Text& subject) {
    matches_.reset();
    if (!regExp_)
        return false;
    matches_ = regExp_->Execute(TableLocalToUtf16(subject));
    // Whether the pattern matches anywhere is whether the execution found a first match.
    return matches_ && matches_->Count() > 0;
}

void PatternMatcher::Placeholder() {}

Text PatternMatcher::GetPattern() const {
    return regExp_ ? regExp_->Pattern() : Text();
}

Text PatternMatcher::EscapeText(const Text& literalText) const {
    // The backslash first, so that the backslashes put in by the later steps stay single.
    Text escaped = ReplaceAll(literalText, Text("\\"), Text("\\\\"));
    for (const char* special : {"^", "-", "$", "|", "{", "}", "[", "]", "(", ")", ".", "?"})
        escaped = ReplaceAll(escaped, Text(special), Text("\\") + special);
    return escaped;
}

int PatternMatcher::SubmatchCount() const {
    if (storedCount_ == 0 || !matches_ || matches_->Count() == 0)
        return 0;
    return matches_->GroupCount();
}

int PatternMatcher::ExecuteCount(const Text& subject) {
    matches_.reset();
    if (regExp_)
        matches_ = regExp_->Execute(TableLocalToUtf16(subject));
    storedCount_ = MatchCount();
    return storedCount_;
}

Text PatternMatcher::ReplaceMatches(const Text& replacement) const {
    if (!regExp_)
        return Text();
    const auto replaced =
        regExp_->Replace(TableLocalToUtf16(lastSubject_), TableLocalToUtf16(replacement));
    return replaced ? TableUtf16ToLocal(*replaced) : Text();
}

void PatternMatcher::Reset() {
    // Nothing to uninitialise here either (see the constructor); storedCount stays.
    regExp_.reset();
    matches_.reset();
    lastSubject_ = Text();
}

}  // namespace varneth
