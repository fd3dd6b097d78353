#include "imagebuffer/ImageBuffer.h"

#include <QPainter>

ImageBuffer::ImageBuffer(QWidget *parent) : QWidget(parent) {}

void ImageBuffer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}
