#pragma once

#include <QtGlobal>

#include <limits>
#include <memory>
#include <numeric>
#include <vector>

// Items put into numbered buckets, each bucket keeping the items' order: bucket b holds
// items[start[b]] up to, not including, items[start[b + 1]].
template <typename Item>
struct Buckets {
    std::vector<quint32> start;
    std::unique_ptr<Item[]> items;

    // Puts every item into bucket bucketOf(item), below bucketCount (a counting sort).
    template <typename BucketOf>
    static Buckets of(const std::vector<Item>& all, quint32 bucketCount, BucketOf bucketOf)
    {
        Q_ASSERT(all.size() <= std::numeric_limits<quint32>::max());
        // Each bucket's size is counted two places on, so that the running sum leaves in
        // start[b + 1] where bucket b begins. Placing an item of bucket b moves start[b + 1]
        // on by one, so once all are placed it stands where b ends, which is where b + 1
        // begins: start[b] is then b's first item. The place counted into last goes.
        Buckets buckets{std::vector<quint32>(size_t(bucketCount) + 2, 0),
                        std::make_unique_for_overwrite<Item[]>(all.size())};
        for (const Item& item : all) {
            Q_ASSERT(bucketOf(item) < bucketCount);
            ++buckets.start[bucketOf(item) + 2];
        }
        std::partial_sum(buckets.start.begin(), buckets.start.end(), buckets.start.begin());
        for (const Item& item : all)
            buckets.items[buckets.start[bucketOf(item) + 1]++] = item;
        buckets.start.pop_back();
        return buckets;
    }
};
