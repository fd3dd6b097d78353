#include "imagebuffer/PictureFile.h"

#include "imagebuffer/ImageReaders.h"

PictureFile::PictureFile(const QString &path) : file(path)
{
    if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if (file.size() > ImageFormat::MaxFileBytes)
        why = QStringLiteral("file too large");
    else
        head = file.peek(4096);
}

bool PictureFile::mayBe(ImageFormat::Code format) const
{
    return why.isEmpty() && ImageReaders::Sniff(format, head, file.size());
}

DecodedImage PictureFile::read(ImageFormat::Code format)
{
    if (!mayBe(format))
        return DecodedImage::failure(why.isEmpty() ? QStringLiteral("not of this format") : why);
    if (bytes.isEmpty())
        bytes = file.readAll();
    if (bytes.size() != file.size())
        return DecodedImage::failure(QStringLiteral("could not read the whole file"));
    return ImageReaders::Read(format, bytes);
}
