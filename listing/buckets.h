#pragma once

#include <QtGlobal>

#include <memory>
#include <numeric>
#include <vector>

// The numbers below a count put into numbered buckets, each bucket holding its numbers in
// rising order: bucket b holds items[start[b]] up to, not including, items[start[b + 1]].
// Numbers stand for things kept elsewhere, so that a large list is not copied to be grouped.
struct Buckets {
    std::vector<quint32> start;
    std::unique_ptr<quint32[]> items;

    // Puts every number below count into bucket bucketOf(number), below bucketCount (a
    // counting sort).
    template <typename BucketOf>
    static Buckets of(quint32 count, quint32 bucketCount, BucketOf bucketOf)
    {
        // Each bucket's size is counted two places on, so that the running sum leaves in
        // start[b + 1] where bucket b begins. Placing a number of bucket b moves start[b + 1]
        // on by one, so once all are placed it stands where b ends, which is where b + 1
        // begins: start[b] is then b's first number. The place counted into last goes.
        Buckets buckets{std::vector<quint32>(size_t(bucketCount) + 2, 0),
                        std::make_unique_for_overwrite<quint32[]>(count)};
        for (quint32 number = 0; number < count; ++number) {
            Q_ASSERT(bucketOf(number) < bucketCount);
            ++buckets.start[bucketOf(number) + 2];
        }
        std::partial_sum(buckets.start.begin(), buckets.start.end(), buckets.start.begin());
        for (quint32 number = 0; number < count; ++number)
            buckets.items[buckets.start[bucketOf(number) + 1]++] = number;
        buckets.start.pop_back();
        return buckets;
    }
};
