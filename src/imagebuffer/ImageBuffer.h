#pragma once

#include <QImage>
#include <QWidget>

// Holds one picture, shows it, and (in later steps) reads, scales and writes it.
class ImageBuffer : public QWidget {
    Q_OBJECT
public:
    explicit ImageBuffer(QWidget *parent = nullptr);

    const QImage &image() const { return picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage picture;
};
