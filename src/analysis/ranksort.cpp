#include <utility>

#include "analysis/frequency.h"

namespace tidemark {

void RankSort(std::vector<double>& values, int first, int last) {
    // A range reaching outside the array sorts the part that exists.
    if (first < 0) first = 0;
    if (last >= static_cast<int>(values.size())) last = static_cast<int>(values.size()) - 1;
    while (first < last) {
        double pivot = values[static_cast<size_t>(first + (last - first) / 2)];
        int j = first, i = last;
        do {
            while (values[static_cast<size_t>(j)] < pivot && j < last) ++j;
            while (values[static_cast<size_t>(i)] > pivot && i > first) --i;
            if (j > i) break;
            std::swap(values[static_cast<size_t>(j)], values[static_cast<size_t>(i)]);
            ++j;
            --i;
        } while (j <= i);
        // Recurse into the smaller part and loop on the larger, so the depth stays
        // logarithmic whatever the order of the input.
        if (i - first < last - j) {
            RankSort(values, first, i);
            first = j;
        } else {
            RankSort(values, j, last);
            last = i;
        }
    }
}

}  // namespace tidemark
