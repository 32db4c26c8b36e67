// SPDX-License-Identifier: MIT
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace MirelCalc {

// JSON text exactly as nlohmann's dump writes it (its spacing, number forms and
// escapes, invalid UTF-8 replaced), appended to a string as the values come, without
// building a document first.
class JsonText
{
public:
    // indent < 0: one line, as dump(-1); otherwise dump(indent).
    JsonText(std::string &out, int indent)
        : out(out)
        , indent(indent)
    {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void key(std::string_view name);

    void null();
    void value(bool v);
    void value(double v);
    void value(std::string_view text);
    void value(const char *text) { value(std::string_view(text)); }
    // A value already in this form.
    void raw(std::string_view json)
    {
        separate();
        out.append(json);
    }
    template<typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    void value(T v)
    {
        separate();
        char digits[24];
        out.append(digits, std::size_t(std::to_chars(digits, digits + sizeof digits, v).ptr - digits));
    }
    template<typename T>
    void value(const std::optional<T> &v)
    {
        if (v)
            value(*v);
        else
            null();
    }

private:
    void open(char bracket);
    void close(char bracket);
    // What goes before a value or a name: nothing after a name, otherwise the comma
    // and, when indented, the line break and indent.
    void separate();
    void newline(int level);
    void string(std::string_view text);

    std::string &out;
    const int indent;
    int depth = 0;
    bool afterKey = false;
    bool empty[8] = {}; // per depth: nothing written inside yet
};

} // namespace MirelCalc
