// SPDX-License-Identifier: MIT
#include "jsonnames.h"

#include <QSet>

#include <cstring>
#include <vector>

namespace FileIO {

namespace {

struct Frame
{
    bool object = false;
    bool atName = false; // an object's next string is a name
    QSet<QString> names;
    QSet<QString> cutNames; // names written without escapes that hold a NUL, as Qt compares them
};

QChar unescaped(char c)
{
    switch (c) {
    case 'b':
        return QChar(u'\b');
    case 'f':
        return QChar(u'\f');
    case 'n':
        return QChar(u'\n');
    case 'r':
        return QChar(u'\r');
    case 't':
        return QChar(u'\t');
    default:
        return QChar::fromLatin1(c);
    }
}

// The string starting after the quote at `p`, its escapes decoded; `p` ends past its closing quote.
QString readString(const char *&p, const char *end, bool *escaped)
{
    QString text;
    const char *run = p;
    *escaped = false;
    while (p < end && *p != '"') {
        if (*p != '\\' || end - p < 2) {
            ++p;
            continue;
        }
        text += QString::fromUtf8(run, int(p - run));
        *escaped = true;
        if (p[1] == 'u' && end - p >= 6) {
            text += QChar(ushort(QByteArray(p + 2, 4).toUShort(nullptr, 16)));
            p += 6;
        } else {
            text += unescaped(p[1]);
            p += 2;
        }
        run = p;
    }
    text += QString::fromUtf8(run, int(p - run));
    if (p < end)
        ++p;
    return text;
}

// Past the string starting after the quote at `p`, as readString() goes, without decoding it.
void skipString(const char *&p, const char *end)
{
    while (p < end && *p != '"') {
        if (*p != '\\' || end - p < 2)
            ++p;
        else
            p += p[1] == 'u' && end - p >= 6 ? 6 : 2;
    }
    if (p < end)
        ++p;
}

} // namespace

RepeatedName repeatedName(const QByteArray &json)
{
    RepeatedName found;
    std::vector<Frame> frames;
    int values = 0; // outermost values begun
    int item = 0;
    const auto beginValue = [&] {
        if (frames.empty())
            ++values;
    };
    const char *p = json.constData();
    const char *const end = p + json.size();
    while (p < end) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ':') {
            ++p;
        } else if (c == '{' || c == '[') {
            beginValue();
            if (frames.empty() && c == '[')
                item = 1;
            frames.push_back({c == '{', c == '{', {}, {}});
            ++p;
        } else if (c == '}' || c == ']') {
            if (!frames.empty())
                frames.pop_back();
            ++p;
        } else if (c == ',') {
            if (!frames.empty() && frames.back().object)
                frames.back().atName = true;
            else if (frames.size() == 1)
                ++item;
            ++p;
        } else if (c == '"') {
            const char *const start = ++p;
            // Only names are compared; a value is passed over.
            if (frames.empty() || !frames.back().atName) {
                skipString(p, end);
                beginValue();
            } else {
                bool escaped = false;
                const QString text = readString(p, end, &escaped);
                Frame &frame = frames.back();
                frame.atName = false;
                // Qt keeps a name written without escapes as its bytes and compares two such names
                // only up to a NUL, then by length: "a\0b" and "a\0c" are one name to it.
                const int nul = escaped ? -1 : text.indexOf(QChar(0));
                const QString cut = nul < 0 ? QString() : text.left(nul + 1) + QString::number(p - start);
                if (found.name.isNull() && (frame.names.contains(text) || (nul >= 0 && frame.cutNames.contains(cut)))) {
                    found.name = text;
                    found.item = frames.front().object ? 0 : item;
                }
                frame.names.insert(text);
                if (nul >= 0)
                    frame.cutNames.insert(cut);
            }
        } else {
            // A number, a literal or a stray byte (NUL included), up to the next delimiter.
            beginValue();
            static const char delimiters[] = " \t\n\r,:[]{}\"";
            do
                ++p;
            while (p < end && !std::memchr(delimiters, *p, sizeof delimiters - 1));
        }
    }
    found.single = values <= 1;
    return found;
}

} // namespace FileIO
