// SPDX-License-Identifier: MIT
#include "alternatives.h"

#include <algorithm>

namespace ModMirel::Calc {

QVector<Alternative> nearestClkouts(const ClkoutInput &input, int count)
{
    QVector<Alternative> all;
    if (count <= 0)
        return all;
    all.reserve(kDividerMax * kDividerMax);
    // Same visiting order as the search, so a stable sort leaves equal errors in it.
    for (int fbdiv = kDividerMin; fbdiv <= kDividerMax; ++fbdiv) {
        for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv) {
            if (!pfdInWindow(input.clkin, idiv, input.limits))
                continue;
            const double f = (double(fbdiv) / idiv) * input.clkin;
            const int odiv = admissibleOdiv(f, input.limits);
            if (odiv == 0)
                continue;
            all.append({f, relativeError(f, input.expected), idiv, fbdiv, odiv});
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const Alternative &a, const Alternative &b) {
        return a.error < b.error;
    });

    // Equal ratios of FBDIV to IDIV give bit-identical frequencies and so equal
    // errors: a duplicate can only hide in the run of entries with the same error.
    QVector<Alternative> nearest;
    const auto alreadyListed = [&nearest](const Alternative &a) {
        for (int i = nearest.size() - 1; i >= 0 && nearest.at(i).error == a.error; --i) {
            if (nearest.at(i).frequency == a.frequency)
                return true;
        }
        return false;
    };
    for (const Alternative &a : qAsConst(all)) {
        if (alreadyListed(a))
            continue;
        nearest.append(a);
        if (nearest.size() == count)
            break;
    }
    return nearest;
}

} // namespace ModMirel::Calc
