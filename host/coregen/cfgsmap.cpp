// SPDX-License-Identifier: MIT
#include "cfgsmap.h"

#include <echo.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLocale>
#include <QRegularExpression>
#include <QSpinBox>

#include <cmath>
#include <limits>
#include <optional>

namespace IPCore {

namespace {

bool isIntegral(int type)
{
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isFloating(int type)
{
    return type == QMetaType::Double || type == QMetaType::Float;
}

std::optional<QString> textOf(const QVariant &value)
{
    if (value.userType() == QMetaType::QString)
        return value.toString();
    if (value.userType() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return std::nullopt;
}

// Texts are matched whole: no blanks, units or other trailing characters.
std::optional<qlonglong> wholeNumber(const QVariant &value)
{
    const int type = value.userType();
    if (type == QMetaType::ULongLong || type == QMetaType::ULong) {
        const qulonglong v = value.toULongLong();
        if (v > qulonglong(std::numeric_limits<qlonglong>::max()))
            return std::nullopt;
        return qlonglong(v);
    }
    if (isIntegral(type))
        return value.toLongLong();
    if (isFloating(type)) {
        // Numbers read from JSON arrive as doubles; 8.0 is still the whole number 8.
        const double v = value.toDouble();
        if (!std::isfinite(v) || v != std::trunc(v) || std::fabs(v) > 9.0e15)
            return std::nullopt;
        return qlonglong(v);
    }
    if (const auto text = textOf(value)) {
        static const QRegularExpression pattern(QStringLiteral("\\A[+-]?[0-9]+\\z"));
        if (!pattern.match(*text).hasMatch())
            return std::nullopt;
        bool ok = false;
        const qlonglong v = text->toLongLong(&ok, 10);
        if (ok)
            return v;
    }
    return std::nullopt;
}

std::optional<double> realNumber(const QVariant &value)
{
    const int type = value.userType();
    double v = 0;
    if (isIntegral(type) || isFloating(type)) {
        v = value.toDouble();
    } else if (const auto text = textOf(value)) {
        static const QRegularExpression pattern(
                QStringLiteral("\\A[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\z"));
        if (!pattern.match(*text).hasMatch())
            return std::nullopt;
        bool ok = false;
        v = QLocale::c().toDouble(*text, &ok);
        if (!ok)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<bool> flag(const QVariant &value)
{
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    if (const auto text = textOf(value)) {
        if (*text == QLatin1String("true"))
            return true;
        if (*text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

QString shownValue(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

QString legalValues(const QWidget *control)
{
    if (const auto *spin = qobject_cast<const QDoubleSpinBox *>(control))
        return QStringLiteral("%1 to %2")
                .arg(spin->minimum(), 0, 'f', spin->decimals())
                .arg(spin->maximum(), 0, 'f', spin->decimals());
    if (const auto *spin = qobject_cast<const QSpinBox *>(control))
        return QStringLiteral("%1 to %2").arg(spin->minimum()).arg(spin->maximum());
    if (const auto *combo = qobject_cast<const QComboBox *>(control)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(QLatin1String(", "));
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(control); button && button->isCheckable())
        return QStringLiteral("true, false");
    return QString();
}

QString refusalLine(const QVariant &value, const QString &key, const QString &ipName, const QString &legal, Refusal why)
{
    // One arg() call each, so that a '%' in the value cannot pull in the later texts.
    QString line = why == Refusal::NotANumber
                           ? QStringLiteral(
                                     "ERROR: Value '%1' for configuration option '%2' for IP '%3' is not a number.")
                                     .arg(Utils::echo(shownValue(value)), Utils::echo(key), Utils::echo(ipName))
                           : QStringLiteral(
                                     "ERROR: Value '%1' is out of the range for configuration option '%2' for IP '%3'.")
                                     .arg(Utils::echo(shownValue(value)), Utils::echo(key), Utils::echo(ipName));
    if (!legal.isEmpty())
        line += QStringLiteral(" Legal values: %1.").arg(legal);
    return line;
}

bool setValueByCfgsMap(const QString &key, const QVariant &defaultValue, QWidget *control, const QVariantMap &cfgs,
                       const QString &ipName, QStringList &messagelist)
{
    const bool given = cfgs.contains(key);
    const QVariant value = given ? cfgs.value(key) : defaultValue;
    const auto refuse = [&](Refusal why = Refusal::OutOfRange) {
        messagelist << refusalLine(value, key, ipName, legalValues(control), why);
        return false;
    };

    if (auto *spin = qobject_cast<QDoubleSpinBox *>(control)) {
        const auto v = realNumber(value);
        if (!v)
            return refuse(Refusal::NotANumber);
        if (given && (*v < spin->minimum() || *v > spin->maximum()))
            return refuse();
        spin->setValue(*v);
        return true;
    }
    if (auto *spin = qobject_cast<QSpinBox *>(control)) {
        const auto v = wholeNumber(value);
        if (!v && !realNumber(value))
            return refuse(Refusal::NotANumber);
        if (!v || (given && (*v < spin->minimum() || *v > spin->maximum())))
            return refuse();
        spin->setValue(int(qBound<qlonglong>(spin->minimum(), *v, spin->maximum())));
        return true;
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        const auto text = textOf(value);
        const int index = text ? combo->findText(*text, Qt::MatchExactly | Qt::MatchCaseSensitive) : -1;
        if (index < 0)
            return refuse();
        combo->setCurrentIndex(index);
        return true;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(control); button && button->isCheckable()) {
        const auto v = flag(value);
        if (!v)
            return refuse();
        button->setChecked(*v);
        return true;
    }
    return refuse();
}

void insertToCfgsMap(const QString &key, QWidget *control, QVariantMap &map)
{
    if (auto *spin = qobject_cast<QDoubleSpinBox *>(control))
        map.insert(key, spin->value());
    else if (auto *spin = qobject_cast<QSpinBox *>(control))
        map.insert(key, spin->value());
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        map.insert(key, combo->currentText());
    else if (auto *button = qobject_cast<QAbstractButton *>(control); button && button->isCheckable())
        map.insert(key, button->isChecked());
}

} // namespace IPCore
