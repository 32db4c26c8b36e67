// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <Qt>

namespace Utils {

// One port of a module symbol. direction 0 is an input, 1 an output;
// bus marks a multi-bit port; the alignment puts it on the left or right edge.
class PinFigure
{
public:
    PinFigure(const QString &name, int direction, bool bus, Qt::AlignmentFlag alignment);

    QString name() const { return m_name; }
    int direction() const { return m_direction; }
    bool isBus() const { return m_bus; }
    Qt::AlignmentFlag alignment() const { return m_alignment; }
    bool isInput() const { return m_direction == 0; }

    // Width of a bus named like "idsel[5:0]"; 1 for a single wire.
    int width() const;

    bool operator==(const PinFigure &other) const;

private:
    QString m_name;
    int m_direction;
    bool m_bus;
    Qt::AlignmentFlag m_alignment;
};

} // namespace Utils
