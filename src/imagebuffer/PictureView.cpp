#include "imagebuffer/PictureView.h"

#include <QPainter>
#include <QScrollBar>

PictureView::PictureView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setScrollBars(0);
}

void PictureView::setPicture(const Picture &picture)
{
    shown = picture;
    pictureChanged();
}

void PictureView::setAutoSize(bool value)
{
    autoSize = value;
    pictureChanged();
}

void PictureView::setScrollBars(int which)
{
    scrollBars = which;
    setHorizontalScrollBarPolicy(which & 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(which & 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

void PictureView::setBackColor(const QColor &colour)
{
    backColor = colour;
    viewport()->update();
}

void PictureView::pictureChanged()
{
    if (autoSize && !shown.isNull())
        resize(shown.size());
    updateScrollBars();
    viewport()->update();
}

void PictureView::updateScrollBars()
{
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, shown.width() - visible.width()));
    horizontalScrollBar()->setPageStep(visible.width());
    verticalScrollBar()->setRange(0, std::max(0, shown.height() - visible.height()));
    verticalScrollBar()->setPageStep(visible.height());
}

void PictureView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PictureView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), backColor);
    if (!shown.isNull())
        painter.drawImage(-horizontalScrollBar()->value(), -verticalScrollBar()->value(), shown.image());
}
