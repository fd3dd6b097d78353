#include "imagebuffer/ImageWriters.h"

#include "ui/FileWriting.h"

#include <QBuffer>
#include <QImageWriter>
#include <png.h>
#include <vector>

namespace ImageWriters {

namespace {

// The same pixels in a picture that carries nothing else.
QImage pixelsOnly(const QImage &image, QImage::Format format)
{
    const QImage converted = image.convertToFormat(format);
    QImage bare(converted.constBits(), converted.width(), converted.height(), converted.bytesPerLine(),
                converted.format());
    bare.setColorTable(converted.colorTable());
    return bare.copy();
}

void appendToBuffer(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void flushNothing(png_structp) {}

bool encodePng(const QImage &image, bool interlaced, QByteArray &out)
{
    const bool palette = image.format() == QImage::Format_Indexed8;
    const bool alpha = image.format() == QImage::Format_RGBA8888;
    std::vector<png_bytep> rows(size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        rows[size_t(y)] = const_cast<png_bytep>(image.constScanLine(y));
    std::vector<png_color> colours;
    for (QRgb colour : image.colorTable())
        colours.push_back({png_byte(qRed(colour)), png_byte(qGreen(colour)), png_byte(qBlue(colour))});

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // Only plain data lives past this point: libpng reports errors with longjmp.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendToBuffer, flushNothing);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8,
                 palette ? PNG_COLOR_TYPE_PALETTE : alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette)
        png_set_PLTE(png, info, colours.data(), int(colours.size()));
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The file appears complete or not at all.
bool writeFile(const QString &fileName, const QByteArray &data, QString &why)
{
    why = FileWriting::WriteWhole(fileName, data);
    return why.isEmpty();
}

} // namespace

bool WriteJpeg(const QImage &image, const QString &fileName, int quality, bool progressive, QString &why)
{
    const QImage bare = pixelsOnly(image, image.format() == QImage::Format_Grayscale8 ? QImage::Format_Grayscale8
                                                                                       : QImage::Format_RGB32);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(std::clamp(quality, 1, 100));
    writer.setProgressiveScanWrite(progressive);
    writer.setOptimizedWrite(true);
    if (!writer.write(bare)) {
        why = writer.errorString();
        return false;
    }
    return writeFile(fileName, encoded, why);
}

bool WritePng(const QImage &image, const QString &fileName, bool interlaced, QString &why, bool keepTransparency)
{
    const bool palette = image.format() == QImage::Format_Indexed8;
    const bool alpha = keepTransparency && !palette && image.hasAlphaChannel();
    const QImage bare = pixelsOnly(image, palette ? QImage::Format_Indexed8
                                          : alpha ? QImage::Format_RGBA8888
                                                  : QImage::Format_RGB888);
    QByteArray encoded;
    if (!encodePng(bare, interlaced, encoded)) {
        why = QStringLiteral("the PNG encoder failed");
        return false;
    }
    return writeFile(fileName, encoded, why);
}

} // namespace ImageWriters
