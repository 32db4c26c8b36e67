// SPDX-License-Identifier: MIT
#include "optioncheck.h"

#include <echo.h>

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace OptionCheck {

namespace {

// Edit distance with adjacent transpositions (CKLOUTD3 is one edit from CLKOUTD3).
int distance(const QString &a, const QString &b)
{
    const int n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (int i = 0; i <= n; ++i)
        d[size_t(i)][0] = i;
    for (int j = 0; j <= m; ++j)
        d[0][size_t(j)] = j;
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int best = std::min({d[size_t(i - 1)][size_t(j)] + 1, d[size_t(i)][size_t(j - 1)] + 1,
                                 d[size_t(i - 1)][size_t(j - 1)] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, d[size_t(i - 2)][size_t(j - 2)] + 1);
            d[size_t(i)][size_t(j)] = best;
        }
    }
    return d[size_t(n)][size_t(m)];
}

QString shortest(double number)
{
    return QLocale::c().toString(number, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QString nearest(const QString &key, const QStringList &known)
{
    QString best;
    // A name a third or more of whose letters differ is no misspelling of it.
    int bestDistance = qMax(1, int(key.size()) / 3) + 1;
    for (const QString &candidate : known) {
        // Lengths far apart cannot come within the cutoff; a long key is not compared letter by letter.
        if (qAbs(candidate.size() - key.size()) >= bestDistance)
            continue;
        const int d = distance(key.toUpper(), candidate.toUpper());
        if (d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

QStringList unknownKeys(const QVariantMap &cfgs, const QVariantMap &options)
{
    QStringList lines;
    for (auto it = cfgs.begin(); it != cfgs.end(); ++it) {
        if (options.contains(it.key()))
            continue;
        QString line = QStringLiteral("ERROR: unknown option '%1'").arg(Utils::echo(it.key()));
        const QString guess = nearest(it.key(), options.keys());
        if (!guess.isEmpty())
            line += QStringLiteral(" (did you mean '%1'?)").arg(guess);
        lines << line;
    }
    return lines;
}

namespace {

// The listed item whose number is `number`, or empty.
QString itemOfValue(double number, const QVariantMap &option)
{
    if (option.value(QStringLiteral("kind")).toString() != QLatin1String("item"))
        return QString();
    const QStringList items = option.value(QStringLiteral("items")).toStringList();
    for (const QString &item : items) {
        bool ok = false;
        if (item.toDouble(&ok) == number && ok)
            return item;
    }
    return QString();
}

} // namespace

QVariant fromJson(const QJsonValue &value, const QVariantMap &option)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (!value.isDouble())
        return fromText(value.toString(), option);
    const double number = value.toDouble();
    const QString kind = option.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("real") || kind == QLatin1String("int"))
        return number;
    const QString item = itemOfValue(number, option);
    return item.isEmpty() ? shortest(number) : item;
}

QVariant fromText(const QString &text, const QVariantMap &option)
{
    const QStringList items = option.value(QStringLiteral("items")).toStringList();
    if (items.contains(text))
        return text;
    // Only a plain decimal number stands for an item: no blanks, signs or exponents.
    static const QRegularExpression decimal(QStringLiteral("\\A[0-9]+(\\.[0-9]*)?\\z"));
    bool ok = false;
    const double number = QLocale::c().toDouble(text, &ok);
    const QString item = ok && decimal.match(text).hasMatch() ? itemOfValue(number, option) : QString();
    return item.isEmpty() ? text : item;
}

} // namespace OptionCheck
