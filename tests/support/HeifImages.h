#pragma once

// HEIC and AVIF files made with libheif's own encoders (x265 and AOM), for the
// variants the reader must handle: a rotation, 10 bits, transparency, a colour
// profile, HDR, an embedded thumbnail image.

#include <QByteArray>
#include <QImage>
#include <libheif/heif.h>
#include <memory>

namespace HeifImages {

struct Options {
    heif_compression_format codec = heif_compression_HEVC;
    heif_orientation orientation = heif_orientation_normal;  // written as irot/imir boxes
    int bits = 8;                // 8, or 10 for HEVC Main 10 (Debian's AOM asserts on 10-bit input)
    QByteArray icc;              // an ICC profile to carry
    int primaries = 0;           // nclx code points, written when primaries is set
    int transfer = 13;
    int matrix = 1;
    QImage thumbnail;            // carried as the file's thumbnail image, scaled into the box
    int thumbnailBox = 64;
    QByteArray exif;             // a TIFF structure carried as Exif metadata
    QByteArray xmp;              // an XMP packet
    int quality = 92;
};

// A 16-bit picture's samples keep their top `bits`; an 8-bit one's are widened.
inline heif_image *toHeifImage(const QImage &source, int bits)
{
    const bool alpha = source.hasAlphaChannel();
    const heif_chroma chroma = bits > 8 ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                        : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image *image = nullptr;
    heif_image_create(source.width(), source.height(), heif_colorspace_RGB, chroma, &image);
    heif_image_add_plane(image, heif_channel_interleaved, source.width(), source.height(), bits);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const QImage wide = source.convertToFormat(QImage::Format_RGBA64);
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const quint16 *>(wide.constScanLine(y));
        uint8_t *row = plane + y * stride;
        for (int x = 0; x < source.width(); ++x)
            for (int c = 0; c < channels; ++c) {
                const quint16 sample = in[4 * x + c];
                if (bits > 8)
                    reinterpret_cast<quint16 *>(row)[channels * x + c] = quint16(sample >> (16 - bits));
                else
                    row[channels * x + c] = uint8_t(sample >> 8);
            }
    }
    return image;
}

inline QByteArray encode(const QImage &source, const Options &options = {})
{
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    heif_encoder *encoder = nullptr;
    heif_context_get_encoder_for_format(context.get(), options.codec, &encoder);
    heif_encoder_set_lossy_quality(encoder, options.quality);
    heif_encoding_options *encoding = heif_encoding_options_alloc();
    encoding->image_orientation = options.orientation;
    encoding->macOS_compatibility_workaround_no_nclx_profile = 0;  // code points in a colr box, as cameras write them
    heif_color_profile_nclx *nclx = nullptr;
    if (options.primaries) {
        nclx = heif_nclx_color_profile_alloc();
        heif_nclx_color_profile_set_color_primaries(nclx, uint16_t(options.primaries));
        heif_nclx_color_profile_set_transfer_characteristics(nclx, uint16_t(options.transfer));
        heif_nclx_color_profile_set_matrix_coefficients(nclx, uint16_t(options.matrix));
        nclx->full_range_flag = 1;
        encoding->output_nclx_profile = nclx;
    }
    const auto prepared = [&](const QImage &picture) {
        heif_image *image = toHeifImage(picture, options.bits);
        if (!options.icc.isEmpty())
            heif_image_set_raw_color_profile(image, "prof", options.icc.constData(), size_t(options.icc.size()));
        if (nclx)
            heif_image_set_nclx_color_profile(image, nclx);
        return image;
    };
    heif_image *image = prepared(source);
    heif_image_handle *handle = nullptr;
    heif_context_encode_image(context.get(), image, encoder, encoding, &handle);
    if (!options.thumbnail.isNull()) {
        heif_image *small = prepared(options.thumbnail);
        heif_context_encode_thumbnail(context.get(), small, handle, encoder, encoding, options.thumbnailBox, nullptr);
        heif_image_release(small);
    }
    if (!options.exif.isEmpty()) {
        const QByteArray block = QByteArray(4, '\0') + options.exif;  // no offset to the TIFF header
        heif_context_add_exif_metadata(context.get(), handle, block.constData(), int(block.size()));
    }
    if (!options.xmp.isEmpty())
        heif_context_add_XMP_metadata(context.get(), handle, options.xmp.constData(), int(options.xmp.size()));
    heif_image_handle_release(handle);
    heif_image_release(image);
    heif_encoding_options_free(encoding);
    heif_nclx_color_profile_free(nclx);
    heif_encoder_release(encoder);

    QByteArray bytes;
    heif_writer writer;
    writer.writer_api_version = 1;
    writer.write = [](heif_context *, const void *data, size_t size, void *out) {
        static_cast<QByteArray *>(out)->append(static_cast<const char *>(data), qsizetype(size));
        return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
    };
    heif_context_write(context.get(), &writer, &bytes);
    return bytes;
}

} // namespace HeifImages
