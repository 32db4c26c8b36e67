// SPDX-License-Identifier: MIT
#include "figurepanel.h"

#include <QPainter>
#include <QPainterPath>
#include <QVector>

namespace IPCore {

namespace {

constexpr int Margin = 8;
constexpr int PinLength = 26;
constexpr int TitleGap = 6;
constexpr int LabelInset = 6;
constexpr int LabelGap = 12;
constexpr int MinBoxWidth = 100;
constexpr qreal WirePen = 1.0;
constexpr qreal BusPen = 3.0;
constexpr qreal ArrowSize = 4.0;

// A pin aligned right goes on the right edge; without an explicit side, outputs do.
bool onRightEdge(const Utils::PinFigure &pin)
{
    if (pin.alignment() & Qt::AlignRight)
        return true;
    if (pin.alignment() & Qt::AlignLeft)
        return false;
    return !pin.isInput();
}

int rowPitch(const QFontMetrics &fm)
{
    return fm.height() + 10;
}

int titleHeight(const QFontMetrics &fm)
{
    return fm.height() + 4;
}

QFont titleFont(const QFont &base)
{
    QFont font = base;
    font.setBold(true);
    return font;
}

QFont widthFont(const QFont &base)
{
    QFont font = base;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 0.8);
    else if (font.pixelSize() > 0)
        font.setPixelSize(qMax(6, font.pixelSize() * 4 / 5));
    return font;
}

// Signal-flow arrowhead with its tip at `tip`, pointing right when `rightwards`.
void drawArrow(QPainter &p, QPointF tip, bool rightwards)
{
    const qreal dx = rightwards ? -ArrowSize * 1.6 : ArrowSize * 1.6;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() + dx, tip.y() - ArrowSize);
    head.lineTo(tip.x() + dx, tip.y() + ArrowSize);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

} // namespace

FigurePanel::FigurePanel(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void FigurePanel::setPins(const QList<Utils::PinFigure> &pins)
{
    m_pins = pins;
    updateGeometry();
    update();
}

void FigurePanel::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    update();
}

int FigurePanel::rowCount() const
{
    int left = 0;
    int right = 0;
    for (const Utils::PinFigure &pin : m_pins)
        ++(onRightEdge(pin) ? right : left);
    return qMax(qMax(left, right), 1);
}

QSize FigurePanel::sizeHint() const
{
    const QFontMetrics fm(font());
    const int height = Margin + titleHeight(QFontMetrics(titleFont(font()))) + TitleGap
                       + rowPitch(fm) * (rowCount() + 1) + Margin;
    return QSize(Width, height);
}

QSize FigurePanel::minimumSizeHint() const
{
    const QSize hint = sizeHint();
    return QSize(180, hint.height());
}

void FigurePanel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QPalette &pal = palette();
    const QColor ink = pal.color(QPalette::WindowText);
    const QColor accent = pal.color(QPalette::Highlight);
    const QFontMetrics fm(font());
    const QFont boldFont = titleFont(font());
    const QFontMetrics boldFm(boldFont);
    const QFont smallFont = widthFont(font());
    const int pitch = rowPitch(fm);

    // Keep the figure readable when squeezed: pins shorten before the box vanishes.
    const int pinLength = qMin(PinLength, qMax(12, (width() - 2 * Margin) / 6));
    const int available = width() - 2 * (Margin + pinLength);
    if (available <= 2 * LabelInset + LabelGap)
        return;

    // Names sit flush with their own edge, so only a left and a right name on the same
    // row compete for room. The box is as wide as the widest row needs, centred; a row
    // that still does not fit shares its room in proportion and elides.
    QVector<const Utils::PinFigure *> leftPins;
    QVector<const Utils::PinFigure *> rightPins;
    for (const Utils::PinFigure &pin : qAsConst(m_pins))
        (onRightEdge(pin) ? rightPins : leftPins).append(&pin);
    // A pixel of slack: elidedText measures fractionally and may cut an exact fit.
    const auto nameWidth = [&fm](const QVector<const Utils::PinFigure *> &side, int row) {
        return row < side.size() ? fm.horizontalAdvance(side.at(row)->name()) + 2 : 0;
    };
    const auto rowGap = [&](int row) {
        return row < leftPins.size() && row < rightPins.size() ? LabelGap : 0;
    };
    const int rows = rowCount();
    int need = 0;
    for (int row = 0; row < rows; ++row)
        need = qMax(need, nameWidth(leftPins, row) + nameWidth(rightPins, row) + rowGap(row));
    const int boxWidth = qBound(qMin(MinBoxWidth, available), need + 2 * LabelInset, available);
    const int boxLeft = (width() - boxWidth) / 2;
    // Width granted to the name on `row` of one side.
    const auto labelRoom = [&](bool right, int row) {
        const int own = nameWidth(right ? rightPins : leftPins, row);
        const int other = nameWidth(right ? leftPins : rightPins, row);
        const int room = boxWidth - 2 * LabelInset - rowGap(row);
        return own == 0 || own + other <= room ? own : room * own / (own + other);
    };

    // Title centred over the box.
    const int titleTop = Margin;
    const QString title = m_title.trimmed().isEmpty() ? QStringLiteral("module") : m_title.trimmed();
    p.setFont(boldFont);
    p.setPen(ink);
    const QRect titleRect(Margin, titleTop, width() - 2 * Margin, titleHeight(boldFm));
    p.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter,
               boldFm.elidedText(title, Qt::ElideRight, titleRect.width()));

    const int boxTop = titleRect.bottom() + 1 + TitleGap;
    const int boxHeight = pitch * (rows + 1);
    const QRectF box(boxLeft + 0.5, boxTop + 0.5, boxWidth, boxHeight);

    p.setPen(QPen(ink, 1.5));
    p.setBrush(pal.color(QPalette::Base));
    p.drawRoundedRect(box, 4, 4);
    p.setBrush(Qt::NoBrush);

    p.setFont(font());

    int leftRow = 0;
    int rightRow = 0;
    for (const Utils::PinFigure &pin : m_pins) {
        const bool right = onRightEdge(pin);
        const int row = right ? rightRow++ : leftRow++;
        const qreal y = boxTop + pitch * (row + 1) + 0.5;
        const qreal edge = right ? box.right() : box.left();
        const qreal outer = right ? edge + pinLength : edge - pinLength;

        p.setPen(QPen(ink, pin.isBus() ? BusPen : WirePen, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(outer, y), QPointF(edge, y));

        // Signal flows into the box for inputs and out of it for outputs.
        if (pin.isInput())
            drawArrow(p, QPointF(edge, y), !right);
        else
            drawArrow(p, QPointF(outer, y), right);

        if (pin.isBus()) {
            const qreal mid = (outer + edge) / 2.0 + (right ? 3.0 : -3.0);
            p.setPen(QPen(accent, 1.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(mid - 4, y + 5), QPointF(mid + 4, y - 5));
            p.setFont(smallFont);
            const QFontMetrics smallFm(smallFont);
            const QRectF widthRect(mid - 2, y - 5 - smallFm.height(), pinLength / 2.0, smallFm.height());
            p.drawText(widthRect, Qt::AlignLeft | Qt::AlignBottom, QString::number(pin.width()));
            p.setFont(font());
        }

        p.setPen(ink);
        const int labelWidth = labelRoom(right, row);
        const QRectF labelRect(right ? edge - LabelInset - labelWidth : edge + LabelInset, y - pitch / 2.0, labelWidth,
                               pitch);
        p.drawText(labelRect, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                   fm.elidedText(pin.name(), Qt::ElideRight, labelWidth));
    }
}

} // namespace IPCore
