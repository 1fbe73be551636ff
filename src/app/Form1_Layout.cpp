// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's controls sit: the design's places at the designed size. The list takes what
// the window gains or gives up in height, the controls below it move with its bottom edge, and
// widths follow the window's.
#include "app/Form1.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTreeView>

#include <algorithm>

namespace qm {

namespace {

constexpr int kListHeightTwips = 2295;
constexpr int kLeastListHeight = 72; // pixels: the header and three rows

QRect designRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace

QSize Form1::designSize()
{
    return QSize(twips(kClientWidthTwips), twips(kClientHeightTwips));
}

QSize Form1::leastSize()
{
    return designSize() - QSize(0, twips(kListHeightTwips) - kLeastListHeight);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void Form1::layOut()
{
    const int dx = width() - designSize().width();
    const int dy = height() - designSize().height();
    // A control as wide as the window, `down` pixels below its design place.
    const auto across = [dx](int left, int top, int w, int h, int down) {
        return designRect(left, top, w, h).adjusted(0, down, dx, down);
    };
    PushButton7->setGeometry(across(120, 120, 7800, 405, 0));
    ListView1->setGeometry(across(120, 630, 7800, kListHeightTwips, 0).adjusted(0, 0, 0, dy));

    // Two buttons a row share the width; the gap between them stays.
    const int half = dx / 2;
    const auto pair = [&](QPushButton *left, QPushButton *right, int top) {
        left->setGeometry(designRect(120, top, 3840, 405).adjusted(0, dy, half, dy));
        right->setGeometry(designRect(4080, top, 3840, 405).adjusted(half, dy, dx, dy));
    };
    pair(PushButton1, PushButton4, 3015);
    pair(PushButton5, PushButton6, 3525);

    Frame1->setGeometry(across(120, 3975, 7800, 800, dy));
    Text1->setGeometry(designRect(240, 300, 6675, 345).adjusted(0, 0, dx, 0));
    PushButton3->setGeometry(designRect(6960, 300, 600, 345).translated(dx, 0));
    PushButton2->setGeometry(across(120, 4890, 7800, 405, dy));
    ProgressBar1->setGeometry(across(120, 5415, 7800, 405, dy));

    Frame2->setGeometry(across(120, 6300, 7800, 1215, dy));
    Option1->setGeometry(designRect(240, 300, 4815, 255));
    Text2->setGeometry(designRect(5160, 265, 2355, 345).adjusted(0, 0, dx, 0));
    Option2->setGeometry(designRect(240, 750, 4695, 255));
    Text3->setGeometry(designRect(5160, 705, 2355, 345).adjusted(0, 0, dx, 0));
}

void Form1::fitListColumn(int oldViewportWidth)
{
    // A path column the user widened past the list keeps its width (the names it reveals); one
    // that spanned the list beside the plan column follows it.
    const int plan = ListView1->columnWidth(1);
    const int spanned = std::max(ListView1->viewport()->width() - plan, plan);
    const int column = ListView1->columnWidth(0);
    if (column < spanned || column == oldViewportWidth - plan)
        ListView1->setColumnWidth(0, spanned);
}

} // namespace qm
