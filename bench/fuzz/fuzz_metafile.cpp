// libFuzzer target: the last-resort picture loader (the metafile player first) on
// arbitrary bytes. Text needs fonts, so a headless application is made once.
#include "imagebuffer/MetafilePlayer.h"
#include "imagebuffer/PictureLoader.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (MetafilePlayer::IsMetafile(bytes))
        MetafilePlayer::Render(bytes);
    return 0;
}
