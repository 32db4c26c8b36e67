// SPDX-License-Identifier: MIT
#include "pinfigure.h"

#include <QRegularExpression>

namespace Utils {

PinFigure::PinFigure(const QString &name, int direction, bool bus, Qt::AlignmentFlag alignment)
    : m_name(name)
    , m_direction(direction)
    , m_bus(bus)
    , m_alignment(alignment)
{}

int PinFigure::width() const
{
    static const QRegularExpression range(QStringLiteral("\\[(\\d+):(\\d+)\\]$"));
    const QRegularExpressionMatch m = range.match(m_name);
    if (!m.hasMatch())
        return 1;
    return qAbs(m.captured(1).toInt() - m.captured(2).toInt()) + 1;
}

bool PinFigure::operator==(const PinFigure &other) const
{
    return m_name == other.m_name && m_direction == other.m_direction && m_bus == other.m_bus
           && m_alignment == other.m_alignment;
}

} // namespace Utils
