#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

// The picture types the image buffer reads, numbered by their format codes.
namespace ImageFormat {

enum Code : int { None = 0, Bmp = 1, Gif = 2, Tiff = 3, Targa = 4, Pcx = 5, Icon = 6, Jpeg = 7, Png = 9 };

// The codes that loading tries, in order.
inline constexpr Code LoadOrder[] = {Bmp, Gif, Tiff, Targa, Pcx, Icon, Jpeg, Png};

// Pictures up to this many pixels are read; a header that claims more is refused
// before anything is allocated. Generous enough for 200-megapixel photos.
inline constexpr qint64 MaxPixels = 260'000'000;
// Files larger than this are not read into memory at all.
inline constexpr qint64 MaxFileBytes = qint64(1) << 31;

bool SizeAcceptable(qint64 width, qint64 height);

} // namespace ImageFormat

// A JPEG whose decoding waits until the size wanted is known, so that a large photo
// can be decoded at a fraction of its size when it is only shown small.
class DeferredJpeg {
public:
    // `exifOrientation` (1 to 8) says how the stored pixels are turned to stand upright.
    DeferredJpeg(QByteArray data, QSize storedSize, int exifOrientation);

    // The size it shows at, upright.
    QSize size() const;
    // The whole picture, upright.
    QImage decodeFull() const;
    // The picture upright, decoded at the smallest DCT scale that still leaves at
    // least twice the wanted size in each direction (so the final filter has enough
    // pixels to average), or in full when no reduction qualifies.
    QImage decodeForTarget(QSize wanted) const;

private:
    QImage decode(QSize scaledStoredSize) const;

    bool turned() const;

    QByteArray bytes;
    QSize stored;
    int orientation;
};

// A picture as a reader made it: either decoded, or a JPEG ready to decode.
struct DecodedImage {
    QImage image;
    std::shared_ptr<const DeferredJpeg> deferred;
    int depth = 0;          // bits per pixel of the file's own pixels
    QString error;          // why reading failed; empty on success

    bool ok() const { return error.isEmpty() && (!image.isNull() || deferred); }
    QSize size() const { return deferred ? deferred->size() : image.size(); }

    static DecodedImage failure(const QString &why)
    {
        DecodedImage result;
        result.error = why;
        return result;
    }
};
