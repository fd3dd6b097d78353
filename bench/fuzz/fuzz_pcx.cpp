// libFuzzer target: the PCX reader on arbitrary bytes.
#include "imagebuffer/ImageReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ImageReaders::ReadPcx(bytes);
    ImageReaders::Read(ImageFormat::Pcx, bytes);
    return 0;
}
