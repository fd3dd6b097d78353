#pragma once

#include "imagebuffer/Picture.h"

#include <QAbstractScrollArea>

// Shows one picture, with scroll bars when it is larger than the control; with
// AutoSize the control takes the picture's size.
class PictureView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PictureView(QWidget *parent = nullptr);

    const Picture &picture() const { return shown; }
    void setPicture(const Picture &picture);

    void setAutoSize(bool value);
    bool AutoSize() const { return autoSize; }
    // 0 none, 1 horizontal, 2 vertical, 3 both.
    void setScrollBars(int which);
    int ScrollBars() const { return scrollBars; }
    void setBackColor(const QColor &colour);
    QColor BackColor() const { return backColor; }

protected:
    // For the operations that change the picture in place; they call
    // pictureChanged() afterwards.
    Picture &editablePicture() { return shown; }
    void pictureChanged();

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateScrollBars();

    Picture shown;
    bool autoSize = false;
    int scrollBars = 0;
    QColor backColor = Qt::white;
};
