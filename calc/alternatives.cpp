// SPDX-License-Identifier: MIT
#include "alternatives.h"

#include <algorithm>

namespace ModMirel::Calc {

std::vector<Alternative> nearestClkouts(const ClkoutInput &input, int count)
{
    std::vector<Alternative> nearest;
    if (count <= 0)
        return nearest;
    nearest.reserve(std::size_t(count) + 1);
    const auto byError = [](double error, const Alternative &a) {
        return error < a.error;
    };
    // The search's visiting order; a candidate goes in after every listed one with an
    // equal error, so equal errors keep that order. Only a candidate that would enter
    // the list pays for the admissibility test.
    for (int fbdiv = kDividerMin; fbdiv <= kDividerMax; ++fbdiv) {
        for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv) {
            const double f = (double(fbdiv) / idiv) * input.clkin;
            const double error = relativeError(f, input.expected);
            if (int(nearest.size()) == count && !(error < nearest.back().error))
                continue;
            if (!pfdInWindow(input.clkin, idiv, input.limits))
                continue;
            const int odiv = admissibleOdiv(f, input.limits);
            if (odiv == 0)
                continue;
            // Equal ratios of FBDIV to IDIV give bit-identical frequencies and so equal
            // errors; the pair visited first is listed, or was already pushed out.
            const auto at = std::upper_bound(nearest.begin(), nearest.end(), error, byError);
            bool listed = false;
            for (auto it = at; it != nearest.begin() && (it - 1)->error == error && !listed; --it)
                listed = (it - 1)->frequency == f;
            if (listed)
                continue;
            nearest.insert(at, Alternative{f, error, idiv, fbdiv, odiv});
            if (int(nearest.size()) > count)
                nearest.pop_back();
        }
    }
    return nearest;
}

} // namespace ModMirel::Calc
