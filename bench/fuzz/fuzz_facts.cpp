// libFuzzer target: the metadata readers on arbitrary bytes, as blocks and as a file.
#include "imagebuffer/PictureFacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    PictureFactsReader::FromExif(bytes);
    PictureFactsReader::TitleFromXmp(bytes);
    PictureFactsReader::CaptionFromPhotoshop(bytes);
    static const QString path = QDir::temp().filePath(QStringLiteral("fuzz_facts_%1").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush()) {
        file.close();
        PictureFactsReader::Read(path);
    }
    return 0;
}
