// libFuzzer target: the reader of one format code (QUILLMERE_FUZZ_FORMAT) on arbitrary
// bytes, through the same entry the image buffer uses; a JPEG is then decoded too.
#include "imagebuffer/ImageReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedImage decoded = ImageReaders::Read(QUILLMERE_FUZZ_FORMAT, bytes);
    if (decoded.deferred)
        decoded.deferred->decodeForTarget(QSize(93, 97));
    return 0;
}
