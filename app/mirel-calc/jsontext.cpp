// SPDX-License-Identifier: MIT
#include "jsontext.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace MirelCalc {

void JsonText::open(char bracket)
{
    separate();
    out += bracket;
    empty[++depth] = true;
}

void JsonText::close(char bracket)
{
    if (!empty[depth])
        newline(depth - 1);
    --depth;
    out += bracket;
}

void JsonText::key(std::string_view name)
{
    separate();
    string(name);
    out += indent < 0 ? ":" : ": ";
    afterKey = true;
}

void JsonText::separate()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (depth == 0)
        return;
    if (!empty[depth])
        out += ',';
    empty[depth] = false;
    newline(depth);
}

void JsonText::newline(int level)
{
    if (indent < 0)
        return;
    out += '\n';
    out.append(std::size_t(indent * level), ' ');
}

void JsonText::null()
{
    separate();
    out += "null";
}

void JsonText::value(bool v)
{
    separate();
    out += v ? "true" : "false";
}

void JsonText::value(double v)
{
    separate();
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    // nlohmann's own shortest round-trip form (100.28571428571429, 99.0, 1e+20).
    char digits[64];
    out.append(digits, std::size_t(nlohmann::detail::to_chars(digits, digits + sizeof digits, v) - digits));
}

void JsonText::value(std::string_view text)
{
    separate();
    string(text);
}

void JsonText::string(std::string_view text)
{
    const auto plain = [](char c) {
        return static_cast<unsigned char>(c) - 0x20u < 0x60u && c != '"' && c != '\\';
    };
    const std::size_t start = out.size();
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        std::size_t run = i;
        while (run < text.size() && plain(text[run]))
            ++run;
        out.append(text.data() + i, run - i);
        if (run == text.size())
            break;
        const unsigned char c = static_cast<unsigned char>(text[run]);
        if (c >= 0x80) {
            // Beyond ASCII, nlohmann decides what is valid UTF-8 and what it replaces.
            out.resize(start);
            out += nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            return;
        }
        static const char hex[] = "0123456789abcdef";
        switch (c) {
        case '"':
        case '\\':
            out += '\\';
            out += char(c);
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xf];
        }
        i = run + 1;
    }
    out += '"';
}

} // namespace MirelCalc
