#include "listing/longestrows.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace LongestRows {

QList<int> among(qsizetype count, const std::function<qsizetype(qsizetype row)>& lengthOf, int wanted)
{
    struct Candidate {
        qsizetype length;
        qsizetype row;
    };
    // Longer first, then the earlier row: the heap's top is the candidate to drop next.
    auto before = [](const Candidate& a, const Candidate& b) {
        return a.length != b.length ? a.length > b.length : a.row < b.row;
    };
    const qsizetype rows = std::min<qsizetype>(count, std::numeric_limits<int>::max());
    std::vector<Candidate> kept;
    kept.reserve(size_t(std::max(wanted, 0)));
    for (qsizetype row = 0; row < rows && wanted > 0; ++row) {
        const Candidate candidate{lengthOf(row), row};
        if (qsizetype(kept.size()) < wanted) {
            kept.push_back(candidate);
            std::push_heap(kept.begin(), kept.end(), before);
        } else if (before(candidate, kept.front())) {
            std::pop_heap(kept.begin(), kept.end(), before);
            kept.back() = candidate;
            std::push_heap(kept.begin(), kept.end(), before);
        }
    }
    std::sort_heap(kept.begin(), kept.end(), before);
    QList<int> result;
    for (const Candidate& candidate : kept)
        result.append(int(candidate.row));
    return result;
}

} // namespace LongestRows
