#include "imagebuffer/ImageReaders.h"

#include "imagebuffer/DecodeBudget.h"

#include <QColorSpace>
#include <QFile>
#include <QPointF>
#include <cmath>
#include <libheif/heif.h>
#include <memory>
#include <vector>

namespace ImageReaders {

namespace {

using Context = std::unique_ptr<heif_context, decltype(&heif_context_free)>;
using Handle = std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)>;
using Image = std::unique_ptr<heif_image, decltype(&heif_image_release)>;
using Nclx = std::unique_ptr<heif_color_profile_nclx, decltype(&heif_nclx_color_profile_free)>;
using Options = std::unique_ptr<heif_decoding_options, decltype(&heif_decoding_options_free)>;

// Luminance, in nits, that HDR pictures treat as paper white (ITU-R BT.2408).
constexpr double ReferenceWhite = 203;
// The brightest highlight kept apart from white: what HDR photos are mastered to.
constexpr double MasteringPeak = 1000;

enum Transfer : int { Bt709 = 1, Gamma22 = 4, Gamma28 = 5, Linear = 8, Pq = 16, Hlg = 18 };

QString kindOf(const QByteArray &bytes)
{
    const heif_brand2 brand = heif_read_main_brand(reinterpret_cast<const uint8_t *>(bytes.constData()), int(bytes.size()));
    return brand == heif_fourcc_to_brand("avif") || brand == heif_fourcc_to_brand("avis") ? QStringLiteral("AVIF")
                                                                                           : QStringLiteral("HEIF");
}

// What went wrong, in libheif's words, headed by what that means for the picture.
QString failureOf(const heif_error &error, const QString &kind)
{
    const QString detail = QString::fromUtf8(error.message ? error.message : "").simplified();
    if (error.subcode == heif_suberror_End_of_data)
        return QStringLiteral("the file is cut short");
    if (error.code == heif_error_Unsupported_feature || error.code == heif_error_Unsupported_filetype
        || error.subcode == heif_suberror_Unsupported_codec)
        return QStringLiteral("unsupported %1 (%2)").arg(kind, detail);
    if (error.code == heif_error_Memory_allocation_error || error.subcode == heif_suberror_Security_limit_exceeded)
        return QStringLiteral("too large (%1)").arg(detail);
    return QStringLiteral("damaged %1 (%2)").arg(kind, detail);
}

// The file's structure, read without decoding any picture. Every box libheif reads
// lies within `bytes`, which must outlive the context.
struct Opened {
    Context context{nullptr, heif_context_free};
    Handle primary{nullptr, heif_image_handle_release};
    QString failure;
};

Opened open(const QByteArray &bytes, const QString &kind)
{
    Opened opened;
    opened.context.reset(heif_context_alloc());
    if (!opened.context) {
        opened.failure = QStringLiteral("out of memory");
        return opened;
    }
    // libheif refuses larger sides before allocating anything; the pixel count is ours to check.
    heif_context_set_maximum_image_size_limit(opened.context.get(), 65535);
    heif_error error = heif_context_read_from_memory_without_copy(opened.context.get(), bytes.constData(),
                                                                  size_t(bytes.size()), nullptr);
    heif_image_handle *primary = nullptr;
    if (error.code == heif_error_Ok)
        error = heif_context_get_primary_image_handle(opened.context.get(), &primary);
    opened.primary.reset(primary);
    if (error.code != heif_error_Ok)
        opened.failure = failureOf(error, kind);
    return opened;
}

QSize sizeOf(const heif_image_handle *handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// Colour as the file declares it: an ICC profile, or coding-independent code points.
struct Colour {
    QColorSpace space;  // invalid: sRGB
    int transfer = Bt709;
    QPointF white{0.3127, 0.3290}, red{0.64, 0.33}, green{0.30, 0.60}, blue{0.15, 0.06};

    bool hdr() const { return transfer == Pq || transfer == Hlg; }
    QColorSpace linear() const { return QColorSpace(white, red, green, blue, QColorSpace::TransferFunction::Linear); }
};

Colour colourOf(const heif_image_handle *handle)
{
    Colour colour;
    if (const size_t size = heif_image_handle_get_raw_color_profile_size(handle)) {
        QByteArray icc(qsizetype(size), Qt::Uninitialized);
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok)
            colour.space = QColorSpace::fromIccProfile(icc);
        if (colour.space.isValid())
            return colour;
    }
    heif_color_profile_nclx *found = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &found).code != heif_error_Ok)
        return colour;
    const Nclx nclx(found, heif_nclx_color_profile_free);
    colour.transfer = nclx->transfer_characteristics;
    const bool ownPrimaries = nclx->color_primaries != heif_color_primaries_ITU_R_BT_709_5
                              && nclx->color_primaries != heif_color_primaries_unspecified;
    if (ownPrimaries) {
        colour.white = QPointF(nclx->color_primary_white_x, nclx->color_primary_white_y);
        colour.red = QPointF(nclx->color_primary_red_x, nclx->color_primary_red_y);
        colour.green = QPointF(nclx->color_primary_green_x, nclx->color_primary_green_y);
        colour.blue = QPointF(nclx->color_primary_blue_x, nclx->color_primary_blue_y);
    }
    switch (colour.transfer) {
    case Linear: colour.space = colour.linear(); break;
    case Gamma22:
    case Gamma28:
        colour.space = QColorSpace(colour.white, colour.red, colour.green, colour.blue, QColorSpace::TransferFunction::Gamma,
                                   colour.transfer == Gamma22 ? 2.2f : 2.8f);
        break;
    default:
        // BT.709, BT.601 and sRGB curves differ too little to tell apart on a web page.
        if (ownPrimaries)
            colour.space = QColorSpace(colour.white, colour.red, colour.green, colour.blue,
                                       QColorSpace::TransferFunction::SRgb);
    }
    return colour;
}

// Display light relative to paper white, from a PQ or HLG signal (0 to 1).
double relativeLight(double signal, int transfer)
{
    if (transfer == Pq) {
        constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128, c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32,
                         c3 = 2392.0 / 4096 * 32;
        const double p = std::pow(signal, 1 / m2);
        return 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1) / ReferenceWhite;
    }
    constexpr double a = 0.17883277, b = 0.28466892, c = 0.55991073;
    const double scene = signal <= 0.5 ? signal * signal / 3 : (std::exp((signal - c) / a) + b) / 12;
    return MasteringPeak * std::pow(scene, 1.2) / ReferenceWhite;  // the reference display's system gamma
}

// Keeps light up to a knee as it is and rolls the highlights above it off smoothly
// towards the mastering peak, so that paper white stays near white and bright skies
// keep their shape instead of clipping.
double toneMapped(double light)
{
    constexpr double knee = 0.8, peak = MasteringPeak / ReferenceWhite;
    if (light <= knee)
        return light;
    const double x = (light - knee) / (1 - knee), w = (peak - knee) / (1 - knee);
    return std::min(1.0, knee + (1 - knee) * x * (1 + x / (w * w)) / (1 + x));
}

// An HDR picture brought into the range of an ordinary screen: each channel's signal
// becomes linear light, tone-mapped, in the picture's primaries.
QImage fromHdr(const heif_image *image, const Colour &colour)
{
    int stride = 0;
    const uint8_t *plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    const int bits = heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved);
    if (!plane || bits < 9 || bits > 16)
        return QImage();
    const int top = (1 << bits) - 1;
    std::vector<quint16> light(size_t(top) + 1);
    for (int value = 0; value <= top; ++value)
        light[size_t(value)] = quint16(std::lround(65535 * toneMapped(relativeLight(double(value) / top, colour.transfer))));
    QImage linear(width, height, QImage::Format_RGBA64);
    if (linear.isNull())
        return QImage();
    for (int y = 0; y < height; ++y) {
        const auto *in = reinterpret_cast<const quint16 *>(plane + qsizetype(y) * stride);
        auto *out = reinterpret_cast<quint16 *>(linear.scanLine(y));
        for (int x = 0; x < 4 * width; x += 4) {
            for (int channel = 0; channel < 3; ++channel)
                out[x + channel] = light[std::min<size_t>(in[x + channel], size_t(top))];
            out[x + 3] = quint16(std::min<int>(in[x + 3], top) * 65535 / top);
        }
    }
    linear.setColorSpace(colour.linear());
    return linear;
}

bool isHdr(const heif_image_handle *handle, const Colour &colour)
{
    return colour.hdr() && heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
}

// The memory decoding takes at once: libheif's planes, its RGB copy and ours, about
// twelve bytes a pixel; an HDR picture's 16-bit copies take about thirty.
qint64 decodingBytes(const heif_image_handle *handle, bool hdr)
{
    const QSize size = sizeOf(handle);
    return qint64(size.width()) * size.height() * DecodeBudget::BytesPerPixel * (hdr ? 4 : 3) / 2;
}

// One image of the file decoded to 8-bit RGB(A), its geometric transformations
// (rotation, mirroring, cropping) applied once, in sRGB.
DecodedImage decode(const heif_image_handle *handle, const QString &kind)
{
    const QSize size = sizeOf(handle);
    const Colour colour = colourOf(handle);
    const bool hdr = isHdr(handle, colour);
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    if (!ImageFormat::SizeAcceptable(size.width(), size.height()) || !DecodeBudget::Reserve(decodingBytes(handle, hdr)))
        return DecodedImage::tooLarge(size.width(), size.height());
    const Options options(heif_decoding_options_alloc(), heif_decoding_options_free);
    options->convert_hdr_to_8bit = !hdr;
    const heif_chroma chroma = hdr ? heif_chroma_interleaved_RRGGBBAA_LE
                                   : alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    heif_image *decoded = nullptr;
    const heif_error error = heif_decode_image(handle, &decoded, heif_colorspace_RGB, chroma, options.get());
    const Image image(decoded, heif_image_release);
    if (error.code != heif_error_Ok)
        return DecodedImage::failure(failureOf(error, kind));
    QImage pixels;
    if (hdr) {
        pixels = fromHdr(image.get(), colour);
    } else {
        int stride = 0;
        const uint8_t *plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
        if (plane) {
            // A view of libheif's pixels, copied by the conversion before they are released.
            const QImage view(plane, heif_image_get_width(image.get(), heif_channel_interleaved),
                              heif_image_get_height(image.get(), heif_channel_interleaved), stride,
                              alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
            pixels = view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            pixels.setColorSpace(colour.space);
        }
    }
    if (pixels.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    DecodedImage result;
    result.image = InSrgb(pixels).convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    result.depth = alpha ? 32 : 24;
    return result;
}

// The file's smallest thumbnail image that is at least `wanted` in each direction and
// shows the whole picture the same way up; null when none is.
Handle thumbnailFor(const heif_image_handle *primary, QSize wanted)
{
    Handle best(nullptr, heif_image_handle_release);
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || !wanted.isValid())
        return best;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    const QSize whole = sizeOf(primary);
    for (const heif_item_id id : ids) {
        heif_image_handle *found = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &found).code != heif_error_Ok)
            continue;
        Handle candidate(found, heif_image_handle_release);
        const QSize size = sizeOf(found);
        // Its width within rounding (a pixel, or 2 %) of the whole picture's shape.
        const qint64 skew = qint64(size.width()) * whole.height() - qint64(size.height()) * whole.width();
        const bool sameShape = std::abs(skew) <= qint64(whole.height()) * std::max(1, size.width() / 50);
        if (size.width() >= wanted.width() && size.height() >= wanted.height() && sameShape
            && !heif_image_handle_has_alpha_channel(found)
            && (!best || qint64(size.width()) * size.height() < qint64(sizeOf(best.get()).width()) * sizeOf(best.get()).height()))
            best = std::move(candidate);
    }
    return best;
}

// An opaque HEIF picture waiting to be decoded: from the file's own thumbnail image
// when that serves the size wanted, as phone photos allow, else in full.
class DeferredHeif : public DeferredPicture {
public:
    DeferredHeif(QByteArray bytes, QSize size, QString kind) : bytes(std::move(bytes)), shown(size), kind(std::move(kind)) {}

    QSize size() const override { return shown; }

private:
    QImage decodeAt(QSize wanted, QString *why) const override
    {
        const Opened opened = open(bytes, kind);
        if (!opened.primary) {
            if (why)
                *why = opened.failure;
            return QImage();
        }
        if (const Handle thumbnail = thumbnailFor(opened.primary.get(), wanted)) {
            const DecodedImage small = decode(thumbnail.get(), kind);
            if (small.ok())
                return small.image;
        }
        const DecodedImage whole = decode(opened.primary.get(), kind);
        if (why)
            *why = whole.error;
        return whole.image;
    }

    QByteArray bytes;
    QSize shown;
    QString kind;
};

} // namespace

HeifMetadata ReadHeifMetadata(const QString &path)
{
    HeifMetadata metadata;
    const Context context(heif_context_alloc(), heif_context_free);
    heif_image_handle *found = nullptr;
    if (!context || heif_context_read_from_file(context.get(), QFile::encodeName(path).constData(), nullptr).code != heif_error_Ok
        || heif_context_get_primary_image_handle(context.get(), &found).code != heif_error_Ok)
        return metadata;
    const Handle primary(found, heif_image_handle_release);
    const int count = heif_image_handle_get_number_of_metadata_blocks(primary.get(), nullptr);
    std::vector<heif_item_id> ids(static_cast<size_t>(std::max(0, count)));
    heif_image_handle_get_list_of_metadata_block_IDs(primary.get(), nullptr, ids.data(), count);
    for (const heif_item_id id : ids) {
        const QByteArray type = heif_image_handle_get_metadata_type(primary.get(), id);
        const QByteArray content = heif_image_handle_get_metadata_content_type(primary.get(), id);
        QByteArray *block = type == "Exif" ? &metadata.exif : content == "application/rdf+xml" ? &metadata.xmp : nullptr;
        const size_t size = heif_image_handle_get_metadata_size(primary.get(), id);
        if (!block || !block->isEmpty() || size > 16 * 1024 * 1024)
            continue;
        block->resize(qsizetype(size));
        if (heif_image_handle_get_metadata(primary.get(), id, block->data()).code != heif_error_Ok)
            block->clear();
    }
    return metadata;
}

bool SniffHeif(const QByteArray &head)
{
    if (head.size() < 12)
        return false;
    const heif_filetype_result type = heif_check_filetype(reinterpret_cast<const uint8_t *>(head.constData()), int(head.size()));
    return type == heif_filetype_yes_supported || type == heif_filetype_yes_unsupported;
}

DecodedImage ReadHeif(const QByteArray &bytes)
{
    const QString kind = kindOf(bytes);
    const Opened opened = open(bytes, kind);
    if (!opened.primary)
        return DecodedImage::failure(opened.failure);
    const heif_image_handle *primary = opened.primary.get();
    const QSize size = sizeOf(primary);
    if (!ImageFormat::SizeAcceptable(size.width(), size.height())
        || decodingBytes(primary, isHdr(primary, colourOf(primary))) > DecodeBudget::Total())
        return DecodedImage::tooLarge(size.width(), size.height());
    // Transparency is looked for in every pixel anyway: such a picture is decoded now, once.
    if (heif_image_handle_has_alpha_channel(primary))
        return decode(primary, kind);
    DecodedImage result;
    result.deferred = std::make_shared<DeferredHeif>(bytes, size, kind);
    result.depth = 24;
    return result;
}

} // namespace ImageReaders
