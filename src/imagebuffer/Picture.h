#pragma once

#include "imagebuffer/ImageFormat.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

class PictureFile;

// How a picture is resampled when it is drawn into another size: the nearest pixel,
// or smoothly with a Lanczos-3 filter. The numbers are the ones the forms set.
enum class Resampling : int { Nearest = 0, Smooth = 3 };

// How a picture is written: JPEG quality (1 to 100) and progressive JPEG or
// interlaced PNG.
struct SaveOptions {
    int quality = 75;
    bool progressive = false;
    bool keepTransparency = false;  // a PNG keeps the alpha channel of a 32-bit picture
};

// One picture, apart from any widget: reads it from a file as one format, makes
// blank pictures, scales another picture into itself, reduces colours and writes
// JPEG and PNG. A JPEG or HEIF photo is decoded only when its pixels are needed, and
// at a reduced scale (or from the file's own thumbnail) when it is only copied into a
// much smaller picture.
//
// A Picture needs no QApplication and may be used on any thread, one thread at a
// time per object; copies share their pixels until one of them changes.
class Picture {
public:
    // A picture made by another loader; an alpha channel makes it 32 bits deep.
    static Picture fromImage(const QImage &image);

    // Reads the file as `format` and nothing else. On failure the picture is empty
    // and errorString() says why.
    bool load(const QString &path, ImageFormat::Code format);
    // The same from a file opened once for several formats.
    bool load(PictureFile &file, ImageFormat::Code format);
    // Writes the picture as JPEG or PNG, leaving any earlier file intact on failure.
    bool save(const QString &path, ImageFormat::Code format, const SaveOptions &options) const;
    // Why the last load, save or decoding of a waiting photo failed; empty after a
    // successful load.
    QString errorString() const { return lastError; }
    // The size of a picture the last load refused as too large; empty otherwise.
    QSize refusedSize() const { return refused; }

    bool isNull() const { return pictureSize.isEmpty(); }
    QSize size() const { return pictureSize; }
    int width() const { return pictureSize.width(); }
    int height() const { return pictureSize.height(); }
    // Bits per pixel of the picture as read or last converted.
    int depth() const { return bits; }

    // 24: true colour, transparency flattened onto white; 32: true colour with alpha.
    bool convertDepth(int depth);
    // Whether any pixel is less than opaque.
    bool hasTransparency() const;
    // An adaptive palette of at most `count` colours, optionally dithered.
    bool reduceColors(int count, bool dither = false);
    // Replaces the picture by a blank one of that depth and size.
    bool createBlank(int depth, QSize size, const QColor &fill);
    // Draws the whole of the source, resampled, into the whole of this picture.
    bool copyScaled(const Picture &source, Resampling mode);
    void clear();

    // The pixels, decoding a waiting photo in full if need be.
    const QImage &image() const;

private:
    void take(const DecodedImage &decoded);
    QImage pixelsFor(QSize target) const;

    mutable QImage pixels;
    mutable std::shared_ptr<const DeferredPicture> deferred;
    QSize pictureSize{0, 0};
    int bits = 0;
    mutable QString lastError;
    QSize refused;
};
