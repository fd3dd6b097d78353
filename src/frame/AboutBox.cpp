#include "frame/AboutBox.h"

#include "frame/ToolbarPictures.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ABOUT"));
    setWindowTitle(QStringLiteral("About Quillmere"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel(this);
    picture->setPixmap(ToolbarPictures::ProgramIcon().pixmap(64, 64));
    picture->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(QStringLiteral("<h2>Quillmere</h2>"), this);
    name->setObjectName(QStringLiteral("lblTitle"));
    auto *version = new QLabel(QStringLiteral("Version %1").arg(VersionText()), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto *about = new QLabel(QStringLiteral("Thumbnails and thumbnail web pages for your pictures.\n"
                                            "Fennmoor Software"),
                             this);
    auto *hint = new QLabel(QStringLiteral("<small>Click anywhere to close.</small>"), this);
    for (QLabel *label : {name, version, about, hint}) {
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(about);
    layout->addWidget(hint);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // neither resized, minimised nor maximised
}

QString AboutBox::VersionText()
{
    return QStringLiteral("%1.%2").arg(QUILLMERE_VERSION_MAJOR).arg(QUILLMERE_VERSION_MINOR);
}

void AboutBox::mousePressEvent(QMouseEvent *)
{
    accept();
}
