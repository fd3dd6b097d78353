#pragma once

#include <QMdiSubWindow>
#include <QStringList>

class ImageBuffer;
class QLabel;
class QMenu;
class ThumbCollection;

// One thumbnail: a child window of the main window showing the scaled picture and,
// under it, a three-line caption (file name, pixel size, size in kilobytes). Its
// slot number and source path travel with it, as the other windows find it by them.
class ThumbnailWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit ThumbnailWindow(QWidget *parent = nullptr);

    ImageBuffer &picture() const { return *picThumb; }
    QLabel &caption() const { return *lblCaption; }

    // The slot number as text ("Tag"); empty until the window is filled.
    QString Tag;
    // The full path of the source image (the caption label's tag), also the
    // window's tooltip.
    QString sourcePath() const { return path; }
    void setSourcePath(const QString &source);

    // The caption's three lines as they are: the label shows the file name cut in
    // the middle when the window is too narrow for it.
    QString captionText() const { return captionLines; }
    void setCaptionText(const QString &text);

    // Lays out the interior: the picture `margin` from the top, the caption below it
    // after another margin, the interior as large as both with a margin either side
    // of the picture. A wider interior keeps the picture in its middle.
    void arrange(int margin, int captionHeight);
    // The window's size when it is made and after a mosaic: its interior with the
    // frame, but never so narrow that its title bar's buttons overlap.
    QSize ownSize() const;

    // The context menu of the picture and the caption.
    QMenu &popup();

signals:
    // The window is closing, whoever closed it: its thumbnail leaves the collection.
    void unloading(ThumbnailWindow *window);
    // The user asked for the picture at full size, or for the thumbnail's removal.
    void fullSizeRequested(const QString &path);
    void removeRequested(ThumbnailWindow *window);
    // ESC: a running folder load is to stop.
    void escapePressed();
    // The window became the active one.
    void activated(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Interior;
    void layoutInterior();

    Interior *interior;
    ImageBuffer *picThumb;
    QLabel *lblCaption;
    QMenu *mnuPopup = nullptr;
    QString path;
    QString captionLines;
    int margin = 0;
    bool unloaded = false;
};

// The thumbnail window of a slot in use; null for a free slot or one without a window.
ThumbnailWindow *ThumbnailIn(const ThumbCollection &thumbs, int slot);
// The source paths of every thumbnail, in slot order.
QStringList SourcePaths(const ThumbCollection &thumbs);
