#include "thumbs/ThumbnailWindow.h"

#include "imagebuffer/ImageBuffer.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>

// The window's interior, as large as the picture and the caption with their margins.
class ThumbnailWindow::Interior : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return wanted; }
    QSize wanted;
};

namespace {

// "Small Fonts" where the system has it, else a small sans-serif face.
QFont captionFont()
{
    QFont font = QFontDatabase::hasFamily(QStringLiteral("Small Fonts"))
                     ? QFont(QStringLiteral("Small Fonts"))
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(7);
    return font;
}

} // namespace

ThumbnailWindow::ThumbnailWindow(QWidget *parent)
    : QMdiSubWindow(parent), interior(new Interior), picThumb(new ImageBuffer(interior)),
      lblCaption(new QLabel(interior))
{
    setObjectName(QStringLiteral("THUMBNAIL"));
    setWindowTitle(QStringLiteral("Loading..."));
    setAttribute(Qt::WA_DeleteOnClose);
    picThumb->setObjectName(QStringLiteral("picThumb"));
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    lblCaption->setFont(captionFont());
    lblCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    picThumb->hide();
    lblCaption->hide();
    setWidget(interior);
}

void ThumbnailWindow::arrange(int margin, int captionHeight)
{
    picThumb->move(margin, margin);
    const int width = picThumb->width() + 2 * margin;
    lblCaption->setGeometry(0, margin + picThumb->height() + margin, width, captionHeight);
    interior->wanted = QSize(width, lblCaption->geometry().bottom() + 1);
    interior->resize(interior->wanted);
}

void ThumbnailWindow::closeEvent(QCloseEvent *event)
{
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && !std::exchange(unloaded, true))
        emit unloading(this);
}
