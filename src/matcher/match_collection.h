#pragma once
// The matches of one execution. They are kept as offsets into one UTF-16 copy of the subject,
// so that a search over a large page stores a few integers per match and a group becomes Text
// only when someone reads it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varneth {

class MatchCollection {
  public:
    MatchCollection(std::u16string subject, int groupCount);

    [[nodiscard]] int Count() const;
    // The number of capture groups of the pattern, the same for every match.
    [[nodiscard]] int GroupCount() const { return groupCount_; }
    // Group 0 is the whole match, 1 to GroupCount() the capture groups; match is 0-based.
    // Empty for an index outside the collection and for a group that took no part.
    [[nodiscard]] std::optional<std::u16string_view> Group(int match, int group) const;
    // Start of the match in UTF-16 units; 0 for a match that does not exist.
    [[nodiscard]] std::size_t FirstIndex(int match) const;
    [[nodiscard]] const std::u16string& Subject() const { return subject_; }

    // Records one match: `pairs` start/end pairs as the engine reports them, at most
    // GroupCount() + 1; missing ones and unset ones mean the group took no part.
    void Add(const std::size_t* ovector, int pairs);

  private:
    static constexpr std::uint32_t kUnset = UINT32_MAX;

    std::u16string subject_;
    int groupCount_;
    std::vector<std::uint32_t> offsets_;  // (groupCount_ + 1) start/end pairs per match
};

}  // namespace varneth
