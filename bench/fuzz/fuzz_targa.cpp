// libFuzzer target: the Targa reader on arbitrary bytes.
#include "imagebuffer/ImageReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ImageReaders::ReadTarga(bytes);
    ImageReaders::Read(ImageFormat::Targa, bytes);
    return 0;
}
