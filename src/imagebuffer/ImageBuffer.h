#pragma once

#include "imagebuffer/ImageFormat.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>

// Holds one picture: reads it from a file as one format, makes blank pictures, scales
// another buffer's picture into its own, reduces colours, writes JPEG and PNG, and
// shows its picture (with scroll bars when the picture is larger than the control).
// A JPEG is decoded only when its pixels are needed, and at a reduced scale when it
// is only copied into a much smaller picture.
class ImageBuffer : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ImageBuffer(QWidget *parent = nullptr);
    ~ImageBuffer() override;

    void setFileName(const QString &name) { fileName = name; }
    QString FileName() const { return fileName; }
    void setFileType(int code) { fileType = code; }
    int FileType() const { return fileType; }

    // Reads FileName as FileType and nothing else. On failure the buffer is empty
    // and LastError says why.
    bool Load();
    // Writes the picture to FileName as JPEG (7) or PNG (9).
    bool Save();
    QString LastError() const { return lastError; }

    void setQuality(int value) { quality = value; }
    int Quality() const { return quality; }
    void setProgressive(int value) { progressive = value; }
    int Progressive() const { return progressive; }

    int ColorDepth() const { return depth; }
    // 24: true colour, transparency flattened onto white; 32: true colour with alpha.
    bool ConvertDepth(int bits);
    // An adaptive palette of at most `count` colours.
    bool ReduceColors(int count, bool dither = false, bool unused1 = false, bool unused2 = false);
    bool CreateImage(int bits, int width, int height, const QColor &fill);

    void setResampleMode(int mode) { resampleMode = mode; }
    int ResampleMode() const { return resampleMode; }
    void setResampleFilter(int filter) { resampleFilter = filter; }
    int ResampleFilter() const { return resampleFilter; }
    // Draws the whole of the source's picture, resampled, into the whole of this one.
    bool CopyScaled(bool unused1, const ImageBuffer &source, bool unused2, int mode);

    void Clear(int what = 0);
    int ImageWidth() const { return pictureSize.width(); }
    int ImageHeight() const { return pictureSize.height(); }
    bool hasImage() const { return pictureSize.isValid() && !pictureSize.isEmpty(); }

    void setAutoSize(bool value);
    bool AutoSize() const { return autoSize; }
    // 0 none, 1 horizontal, 2 vertical, 3 both.
    void setScrollBars(int which);
    int ScrollBars() const { return scrollBars; }
    void setBackColor(const QColor &colour);
    QColor BackColor() const { return backColor; }

    // Takes over a picture made by the platform picture loader.
    void ImportPicture(const QImage &picture);

    // The picture's pixels, decoding a waiting JPEG in full if need be.
    const QImage &image() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void take(const DecodedImage &decoded);
    void pictureChanged();
    void updateScrollBars();
    QImage sourceFor(QSize target) const;

    QString fileName;
    int fileType = 0;
    QString lastError;
    int quality = 75;
    int progressive = 0;
    int resampleMode = 0;
    int resampleFilter = 0;
    bool autoSize = false;
    int scrollBars = 0;
    QColor backColor = Qt::white;

    mutable QImage picture;
    mutable std::shared_ptr<const DeferredJpeg> deferred;
    QSize pictureSize;
    int depth = 0;
};
