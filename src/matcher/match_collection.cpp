#include "matcher/match_collection.h"

#include <utility>

namespace varneth {

MatchCollection::MatchCollection(std::u16string subject, int groupCount)
    : subject_(std::move(subject)), groupCount_(groupCount < 0 ? 0 : groupCount) {}

int MatchCollection::Count() const {
    return static_cast<int>(offsets_.size() / (2 * (static_cast<std::size_t>(groupCount_) + 1)));
}

void MatchCollection::Add(const std::size_t* ovector, int pairs) {
    const int groups = groupCount_ + 1;
    for (int g = 0; g < groups; ++g) {
        std::size_t start = g < pairs ? ovector[2 * g] : SIZE_MAX;
        std::size_t end = g < pairs ? ovector[2 * g + 1] : SIZE_MAX;
        // The engine marks a group that took no part with its own "unset" value; anything
        // that is not a range inside the subject counts as such.
        if (start > end || end > subject_.size())
            start = end = kUnset;
        offsets_.push_back(static_cast<std::uint32_t>(start));
        offsets_.push_back(static_cast<std::uint32_t>(end));
    }
}

std::optional<std::u16string_view> MatchCollection::Group(int match, int group) const {
    if (match < 0 || match >= Count() || group < 0 || group > groupCount_)
        return std::nullopt;
    const std::size_t at =
        2 * (static_cast<std::size_t>(match) * (static_cast<std::size_t>(groupCount_) + 1) +
             static_cast<std::size_t>(group));
    const std::uint32_t start = offsets_[at];
    const std::uint32_t end = offsets_[at + 1];
    if (start == kUnset)
        return std::nullopt;
    return std::u16string_view(subject_).substr(start, end - start);
}

std::size_t MatchCollection::FirstIndex(int match) const {
    if (match < 0 || match >= Count())
        return 0;
    return offsets_[2 * static_cast<std::size_t>(match) *
                    (static_cast<std::size_t>(groupCount_) + 1)];
}

}  // namespace varneth
