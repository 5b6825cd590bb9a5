#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

// The row comparison of the sortable list and a sort that stays safe with it.
namespace ListSortRules {

enum class ERule { Number, Date, Text };

// Only the first row's text decides which rule applies.
ERule ChooseRule(QStringView x);

// atoi: leading blanks, a sign, then digits; out-of-range values saturate instead of overflowing.
std::int64_t Atoi(QStringView s);

// Locale-aware text order of the system locale (English when the system gives only "C").
int CompareText(const QString& x, const QString& y);

// -1, 0 or 1. Descending swaps the texts but keeps the rule chosen by a.
int CompareRowTexts(const QString& a, const QString& b, bool ascending);

// Stable bottom-up merge sort driven by a three-way comparison. The row comparison is not a
// strict weak order (the rule depends on the left text), so sorts that assume one may run off
// their range; this one only ever indexes inside its buffers.
template <class T, class Compare> void StableMergeSort(std::vector<T>& items, Compare compare) {
    const size_t n = items.size();
    if (n < 2) return;
    std::vector<T> buffer(items);
    std::vector<T>* from = &items;
    std::vector<T>* to = &buffer;
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n);
            const size_t hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                (*to)[k++] = compare((*from)[j], (*from)[i]) < 0 ? (*from)[j++] : (*from)[i++];
            while (i < mid)
                (*to)[k++] = (*from)[i++];
            while (j < hi)
                (*to)[k++] = (*from)[j++];
        }
        std::swap(from, to);
    }
    if (from != &items) items = *from;
}

} // namespace ListSortRules
