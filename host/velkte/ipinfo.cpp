// SPDX-License-Identifier: MIT
#include "ipinfo.h"

#include <inputfile.h>
#include <jsonnames.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstring>

namespace IPCore {

QVariantMap processIPInfoSpec(const QString &path)
{
    // A description is a small regular file: a FIFO or a device in its place would stall
    // the read, and a name given twice would lose a value (and leak in Qt's reader).
    QByteArray bytes;
    QString problem;
    if (!FileIO::readInput(path, &bytes, &problem) || !FileIO::repeatedName(bytes).name.isNull())
        return {};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return {};
    return doc.object().toVariantMap();
}

bool checkCommonInfo(const QVariantMap &info)
{
    for (const char *key : {"ipcore.id", "ipcore.name", "ipcore.version"}) {
        if (info.value(QLatin1String(key)).toString().trimmed().isEmpty())
            return false;
    }
    return true;
}

namespace {

bool plainAscii(const QString &text, const char *excluded)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 || std::strchr(excluded, c.toLatin1()))
            return false;
    }
    return true;
}

// A wildcard of '*' and '?' alone against a name, both ASCII without '/': what the
// regular expression below answers, without compiling one (which costs a process that
// asks once far more than the match).
bool globMatches(const QString &pattern, const QString &name)
{
    // Both are ASCII here, so folding A-Z is all QChar::toLower would do, without its
    // Unicode tables.
    const auto same = [](QChar a, QChar b) {
        const auto lower = [](char16_t c) {
            return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        };
        return lower(a.unicode()) == lower(b.unicode());
    };
    int p = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool matches(const QString &pattern, const QString &name)
{
    if (plainAscii(pattern, "[/") && plainAscii(name, "/"))
        return globMatches(pattern, name);
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

} // namespace

static bool matchesAny(const DEV::DeviceArg &device, const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        if (matches(pattern, device.device()) || matches(pattern, device.id()))
            return true;
    }
    return false;
}

bool isSupported(const DEV::DeviceArg &device, const QStringList &unsupported, const QStringList &supported)
{
    if (matchesAny(device, unsupported))
        return false;
    return supported.isEmpty() || matchesAny(device, supported);
}

QVariantMap mergeVariantMaps(const QVariantMap &options, const QVariantMap &settings, bool overwrite)
{
    QVariantMap merged = options;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        if (overwrite || !merged.contains(it.key()))
            merged.insert(it.key(), it.value());
    }
    return merged;
}

} // namespace IPCore
