// SPDX-License-Identifier: MIT
#pragma once

#include <pinfigure.h>

#include <QList>
#include <QWidget>

namespace IPCore {

// Draws the symbol of the module to be generated: a box titled with the module
// name, inputs on the left edge, outputs on the right, buses heavier and labelled
// with their width.
class FigurePanel : public QWidget
{
    Q_OBJECT
public:
    // The panel's fixed width; the frame gives the core's own pages the rest.
    static constexpr int Width = 260;

    explicit FigurePanel(QWidget *parent = nullptr);

    void setPins(const QList<Utils::PinFigure> &pins);
    QList<Utils::PinFigure> pins() const { return m_pins; }
    void setTitle(const QString &title);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Rows of the taller side, at least one so an empty symbol still has a body.
    int rowCount() const;

    QList<Utils::PinFigure> m_pins;
    QString m_title;
};

} // namespace IPCore
