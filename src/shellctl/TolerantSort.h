// Sorting with a comparison that may not be a strict weak order: the shell's CompareIDs can fail
// (which counts as "equal") or contradict itself. A bottom-up merge sort only ever compares and
// moves elements inside the range, and ends after at most n log n comparisons whatever the
// answers; with a consistent comparison it is a stable sort.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace shellctl {

// compare(a, b) answers negative when a goes first, positive when b does, 0 when either may.
template <class T, class Compare>
void TolerantStableSort(std::vector<T>& values, Compare compare) {
    const std::size_t count = values.size();
    if (count < 2) return;
    std::vector<T> buffer(count);
    std::vector<T>* from = &values;
    std::vector<T>* to = &buffer;
    for (std::size_t width = 1; width < count; width *= 2) {
        for (std::size_t start = 0; start < count; start += 2 * width) {
            const std::size_t middle = std::min(start + width, count);
            const std::size_t end = std::min(start + 2 * width, count);
            std::size_t left = start, right = middle, out = start;
            while (left < middle && right < end) {
                // The right element goes first only when it is strictly first: equal elements
                // keep their order.
                if (compare((*from)[right], (*from)[left]) < 0) {
                    (*to)[out++] = std::move((*from)[right++]);
                } else {
                    (*to)[out++] = std::move((*from)[left++]);
                }
            }
            while (left < middle) (*to)[out++] = std::move((*from)[left++]);
            while (right < end) (*to)[out++] = std::move((*from)[right++]);
        }
        std::swap(from, to);
    }
    if (from != &values) values = std::move(*from);
}

}  // namespace shellctl
