#include "imagebuffer/ImageReaders.h"

#include <QColorSpace>
#include <cstring>
#include <png.h>
#include <vector>

namespace ImageReaders {

namespace {

// One reading of a PNG from memory. libpng reports errors with longjmp, so each
// step below runs under its own setjmp and keeps no C++ object of its own: a jump
// back skips no destructor. The session frees libpng's structures when it goes.
struct PngSession {
    const QByteArray &bytes;
    qsizetype at = 0;
    QByteArray error;
    png_structp png = nullptr;
    png_infop info = nullptr;

    explicit PngSession(const QByteArray &data) : bytes(data) {}
    ~PngSession() { png_destroy_read_struct(&png, &info, nullptr); }
    PngSession(const PngSession &) = delete;
    PngSession &operator=(const PngSession &) = delete;
};

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    static_cast<PngSession *>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto *session = static_cast<PngSession *>(png_get_io_ptr(png));
    if (qsizetype(length) > session->bytes.size() - session->at)
        png_error(png, "the file is cut short");
    std::memcpy(out, session->bytes.constData() + session->at, length);
    session->at += qsizetype(length);
}

// What the header says, and what the colour chunks declare.
struct PngHeader {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    bool alpha = false;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    bool srgb = false;
    double gamma = 0;
    bool chromaticities = false;
    double white[2] = {}, red[2] = {}, green[2] = {}, blue[2] = {};
};

// Reads up to the pixels and sets libpng to hand out every pixel as 8-bit RGBA:
// palettes and low bit depths expanded, transparency keys made alpha, 16-bit
// channels scaled (rounded) to 8 bits, interlaced passes combined.
bool readHeader(PngSession &s, PngHeader &h)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_read_info(s.png, s.info);
    int interlace = 0;
    png_get_IHDR(s.png, s.info, &h.width, &h.height, &h.bitDepth, &h.colourType, &interlace, nullptr, nullptr);
    h.alpha = (h.colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(s.png, s.info, PNG_INFO_tRNS);
    png_charp name = nullptr;
    int compression = 0;
    if (png_get_iCCP(s.png, s.info, &name, &compression, &h.profile, &h.profileLength) != PNG_INFO_iCCP)
        h.profile = nullptr;
    int intent = 0;
    h.srgb = png_get_sRGB(s.png, s.info, &intent) == PNG_INFO_sRGB;
    if (png_get_gAMA(s.png, s.info, &h.gamma) != PNG_INFO_gAMA)
        h.gamma = 0;
    h.chromaticities = png_get_cHRM(s.png, s.info, &h.white[0], &h.white[1], &h.red[0], &h.red[1], &h.green[0],
                                    &h.green[1], &h.blue[0], &h.blue[1])
                       == PNG_INFO_cHRM;

    png_set_expand(s.png);
    png_set_scale_16(s.png);
    png_set_gray_to_rgb(s.png);
    if (!h.alpha)
        png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    if (png_get_rowbytes(s.png, s.info) != png_size_t(h.width) * 4)
        png_error(s.png, "unexpected row layout");
    return true;
}

bool readRows(PngSession &s, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_read_image(s.png, rows);
    png_read_end(s.png, nullptr);
    return true;
}

// The colour space the file declares: its ICC profile, else sRGB, else its gamma
// (with its primaries, or sRGB's when it gives none); invalid when it declares none.
QColorSpace colourSpaceOf(const PngHeader &h)
{
    if (h.profile)
        return QColorSpace::fromIccProfile(
            QByteArray::fromRawData(reinterpret_cast<const char *>(h.profile), qsizetype(h.profileLength)));
    if (h.srgb)
        return QColorSpace(QColorSpace::SRgb);
    if (h.gamma <= 0)
        return QColorSpace();
    const float transfer = float(1.0 / h.gamma);
    if (!h.chromaticities)
        return QColorSpace(QColorSpace::Primaries::SRgb, transfer);
    auto point = [](const double xy[2]) { return QPointF(xy[0], xy[1]); };
    return QColorSpace(point(h.white), point(h.red), point(h.green), point(h.blue),
                       QColorSpace::TransferFunction::Gamma, transfer);
}

} // namespace

DecodedImage ReadPng(const QByteArray &bytes)
{
    if (!bytes.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        return DecodedImage::failure(QStringLiteral("not a PNG file"));
    PngSession session(bytes);
    session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, onError, ignoreWarning);
    session.info = session.png ? png_create_info_struct(session.png) : nullptr;
    if (!session.info)
        return DecodedImage::failure(QStringLiteral("out of memory"));
    png_set_read_fn(session.png, &session, readFromMemory);
    png_set_user_limits(session.png, 65535, 65535);

    PngHeader header;
    if (!readHeader(session, header))
        return DecodedImage::failure(QString::fromLatin1(session.error));
    if (!ImageFormat::Admit(header.width, header.height))
        return DecodedImage::tooLarge(header.width, header.height);
    QImage image(int(header.width), int(header.height), QImage::Format_RGBA8888);
    if (image.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    std::vector<png_bytep> rows(header.height);
    for (png_uint_32 y = 0; y < header.height; ++y)
        rows[y] = image.scanLine(int(y));
    if (!readRows(session, rows.data()))
        return DecodedImage::failure(QString::fromLatin1(session.error));

    image.convertTo(header.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);  // in place: no second copy
    image.setColorSpace(colourSpaceOf(header));
    DecodedImage result;
    result.image = InSrgb(image);
    result.depth = PngBitsPerPixel(header.bitDepth, header.colourType);
    return result;
}

} // namespace ImageReaders
