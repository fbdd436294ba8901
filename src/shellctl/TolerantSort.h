// Sorting with a comparison that may not be a strict weak order: the shell's CompareIDs can fail
// (which counts as "equal") or contradict itself. A natural merge sort merges the runs that are in
// order already, so a list nearly in order costs few comparisons; it only ever compares and moves
// elements inside the range, and ends after at most n log n comparisons whatever the answers; with
// a consistent comparison it is a stable sort.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace shellctl {

// compare(a, b) answers negative when a goes first, positive when b does, 0 when either may.
template <class T, class Compare>
void TolerantStableSort(std::vector<T>& values, Compare compare) {
    const std::size_t count = values.size();
    if (count < 2) return;
    // An element goes before an earlier one only when it is strictly first: equal elements keep
    // their order.
    const auto before = [&compare](const T& a, const T& b) { return compare(a, b) < 0; };
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < count; ++i)
        if (before(values[i], values[i - 1])) runs.push_back(i);
    std::vector<T> buffer(count);
    while (runs.size() > 1) {
        std::vector<std::size_t> merged;
        for (std::size_t r = 0; r < runs.size(); r += 2) {
            const std::size_t low = runs[r];
            const std::size_t middle = r + 1 < runs.size() ? runs[r + 1] : count;
            const std::size_t high = r + 2 < runs.size() ? runs[r + 2] : count;
            std::merge(std::make_move_iterator(values.begin() + low),
                       std::make_move_iterator(values.begin() + middle),
                       std::make_move_iterator(values.begin() + middle),
                       std::make_move_iterator(values.begin() + high), buffer.begin() + low,
                       before);
            merged.push_back(low);
        }
        values.swap(buffer);
        runs.swap(merged);
    }
}

}  // namespace shellctl
