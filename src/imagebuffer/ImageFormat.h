#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <algorithm>
#include <climits>
#include <memory>

// The picture types the image buffer reads, numbered by their format codes.
namespace ImageFormat {

// Heif covers the HEIF family: HEIC photos and AVIF pictures.
enum Code : int { None = 0, Bmp = 1, Gif = 2, Tiff = 3, Targa = 4, Pcx = 5, Icon = 6, Jpeg = 7, Png = 9, Heif = 10 };

// The codes that loading tries, in order.
inline constexpr Code LoadOrder[] = {Bmp, Gif, Tiff, Targa, Pcx, Icon, Jpeg, Png, Heif};

// Pictures up to this many pixels are read; a header that claims more is refused
// before anything is allocated. Generous enough for 200-megapixel photos.
inline constexpr qint64 MaxPixels = 260'000'000;
// Files larger than this are not read into memory at all.
inline constexpr qint64 MaxFileBytes = qint64(1) << 31;

bool SizeAcceptable(qint64 width, qint64 height);
// Whether a picture of that size may be read now: acceptable, and within the memory
// budget for decoding, which is reserved for the thread's decoding scope.
bool Admit(qint64 width, qint64 height);

// A JPEG with more scans than this is refused as damaged: decoding work grows with
// every scan, and no camera or editor writes more than a few dozen.
inline constexpr int MaxJpegScans = 256;

} // namespace ImageFormat

// A picture whose decoding waits until the size wanted is known, so that a large
// photo can be decoded at a fraction of its size, or from a smaller picture its
// file holds, when it is only shown small. Null images mean the decoding failed.
class DeferredPicture {
public:
    virtual ~DeferredPicture() = default;
    // The size it shows at, upright.
    virtual QSize size() const = 0;
    // The whole picture, upright. A null image when it cannot be decoded; `why` then
    // says why, where the format knows better than "out of memory".
    QImage decodeFull(QString *why = nullptr) const { return decodeAt(QSize(), why); }
    // The picture upright, at least `wanted` in each direction where it is that large.
    QImage decodeForTarget(QSize wanted, QString *why = nullptr) const { return decodeAt(wanted, why); }

protected:
    // `wanted` is invalid for the whole picture.
    virtual QImage decodeAt(QSize wanted, QString *why) const = 0;
};

// A JPEG, decoded at a reduced DCT scale when shown small.
class DeferredJpeg : public DeferredPicture {
public:
    // `exifOrientation` (1 to 8) says how the stored pixels are turned to stand upright;
    // `coefficientBytes` is what the decoder holds for the whole picture at any scale.
    DeferredJpeg(QByteArray data, QSize storedSize, int exifOrientation, qint64 coefficientBytes = 0);

    QSize size() const override;

private:
    // Decoded at the smallest DCT scale that still leaves at least twice the wanted
    // size in each direction (so the final filter has enough pixels to average), or
    // in full when no reduction qualifies.
    QImage decodeAt(QSize wanted, QString *why) const override;
    QImage decode(QSize scaledStoredSize) const;

    bool turned() const;

    QByteArray bytes;
    QSize stored;
    int orientation;
    qint64 coefficientBytes;
};

// A picture as a reader made it: either decoded, or ready to decode.
struct DecodedImage {
    QImage image;
    std::shared_ptr<const DeferredPicture> deferred;
    int depth = 0;          // bits per pixel of the file's own pixels
    QString error;          // why reading failed; empty on success
    QSize refusedSize;      // the picture's size, when it was refused as too large

    bool ok() const { return error.isEmpty() && (!image.isNull() || deferred); }
    QSize size() const { return deferred ? deferred->size() : image.size(); }

    static DecodedImage failure(const QString &why)
    {
        DecodedImage result;
        result.error = why;
        return result;
    }
    static DecodedImage tooLarge(qint64 width, qint64 height)
    {
        DecodedImage result = failure(QStringLiteral("too large (%1 x %2 pixels)").arg(width).arg(height));
        result.refusedSize = QSize(int(std::min<qint64>(width, INT_MAX)), int(std::min<qint64>(height, INT_MAX)));
        return result;
    }
};
