#pragma once

// The main window shown, and what the window tests look at in its grids and pictures.

#include "chip_table.h"
#include "main_window.h"
#include "sim_transport.h"
#include "workers.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace kestrel::windowtest {

inline const QString DotAbove = QString(QChar(0x02D9));

inline std::unique_ptr<TForm1> shownForm()
{
    auto form = std::make_unique<TForm1>();
    form->show();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(form.get());
    return form;
}

inline QString hexCell(TForm1& form, int col, int row)
{
    return form.StringGrid1->model()->index(row - 1, col - 1).data().toString();
}

inline QString charCell(TForm1& form, int col, int row)
{
    return form.StringGrid2->model()
        ->index(row - 1, col)
        .data(EepromModel::CharTextRole)
        .toString();
}

inline QString rowLabel(TForm1& form, int row)
{
    return form.StringGrid1->model()->headerData(row - 1, Qt::Vertical).toString();
}

// Every data cell of both grids, rows 1 to rows.
inline bool allCellsFF(TForm1& form, int rows)
{
    for (int row = 1; row <= rows; ++row)
        for (int col = 1; col <= 16; ++col)
            if (hexCell(form, col, row) != QLatin1String("FF") ||
                charCell(form, col - 1, row) != DotAbove)
                return false;
    return true;
}

inline void selectChip(TForm1& form, int index)
{
    // Make sure a change is signalled even for the entry already selected.
    if (form.ComboBox2->currentIndex() == index)
        form.ComboBox2->setCurrentIndex((index + 1) % ChipCount);
    form.ComboBox2->setCurrentIndex(index);
}

// Pixels of `colour` in the bottom three pixel rows of a cell: where the focus frame runs and
// no text reaches.
inline int bottomEdgePixels(GridView& grid, const QImage& shot, int col, int row, QRgb colour)
{
    const QRect r = grid.visualRect(grid.model()->index(row - 1, col - 1));
    int n = 0;
    for (int y = r.bottom() - 3; y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (shot.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

// Where a text of `colour` starts in a rectangle: the top-left of its pixels' bounds.
inline QPoint textOrigin(const QImage& shot, const QRect& r, QRgb colour)
{
    QPoint origin(r.right() + 1, r.bottom() + 1);
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((shot.pixel(x, y) | 0xFF000000u) == colour) {
                origin.setX(std::min(origin.x(), x - r.left()));
                origin.setY(std::min(origin.y(), y - r.top()));
            }
    return origin;
}

inline QRgb cellPixel(GridView& grid, const QImage& shot, int col, int row)
{
    const QRect r = grid.visualRect(grid.model()->index(row - 1, col - 1));
    return shot.pixel(r.right() - 2, r.bottom() - 2) | 0xFF000000u;
}

inline void sendWheel(QWidget* viewport, int delta)
{
    const QPointF pos(20, 40);
    QWheelEvent wheel(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

} // namespace kestrel::windowtest
