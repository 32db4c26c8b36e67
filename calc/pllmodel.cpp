// SPDX-License-Identifier: MIT
#include "pllmodel.h"

#include <cstdio>
#include <cstring>

namespace ModMirel::Calc {

namespace {

// True when the digit at index cut of a digit string is 5 and only zeros follow it.
bool halfway(const char *digits, std::size_t cut)
{
    return std::strlen(digits) > cut && digits[cut] == '5'
           && std::strspn(digits + cut + 1, "0") == std::strlen(digits + cut + 1);
}

} // namespace

std::string formatNumber(double value, char style, int precision)
{
    // The dialog's toolkit rounds a value exactly halfway between two results away
    // from zero, where printf rounds it to even (0.0625 is "0.063", not "0.062").
    // A double's exact expansion ends long before 60 digits near such a tie.
    char exact[400];
    bool tie = false;
    if (style == 'f') {
        std::snprintf(exact, sizeof exact, "%.60f", value);
        const char *point = std::strchr(exact, '.');
        tie = point && halfway(point + 1, std::size_t(precision));
    } else {
        std::snprintf(exact, sizeof exact, "%.60e", value);
        char *mark = std::strchr(exact, 'e');
        char *point = std::strchr(exact, '.');
        if (mark && point) {
            *mark = '\0';
            std::memmove(point, point + 1, std::strlen(point + 1) + 1); // the significant digits alone
            tie = halfway(exact + (exact[0] == '-'), std::size_t(precision > 0 ? precision : 1));
        }
    }
    if (tie)
        value = std::nextafter(value, value < 0.0 ? -HUGE_VAL : HUGE_VAL);
    char text[400];
    std::snprintf(text, sizeof text, style == 'f' ? "%.*f" : "%.*g", precision, value);
    return text;
}

std::string formatMHz(double mhz)
{
    return formatNumber(mhz, 'f', 3);
}

} // namespace ModMirel::Calc
