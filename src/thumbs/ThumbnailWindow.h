#pragma once

#include <QMdiSubWindow>
#include <QStringList>

class ImageBuffer;
class Picture;
class QLabel;
class QMenu;
class ThumbCollection;
struct ThumbnailRecord;

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
    // Shows a thumbnail: its picture, its caption (the file name cut in the middle
    // when the window is too narrow for it), its file's name as the title and its
    // path as the tooltip. The interior is then laid out: the picture `margin` from
    // the top, the caption below it after another margin, the interior as large as
    // both with a margin either side of the picture. A wider interior keeps the
    // picture in its middle.
    void showRecord(const ThumbnailRecord &record, int margin, int captionHeight);
    // The full path of the source image (the caption label's tag).
    QString sourcePath() const { return path; }
    // The caption's three lines as they are.
    QString captionText() const { return captionLines; }
    // Shows another picture of the same size.
    void showPicture(const Picture &picture);
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
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Interior;
    void arrange(int margin, int captionHeight);
    void layoutInterior();
    void keepCostsFlat();

    Interior *interior;
    ImageBuffer *picThumb;
    QLabel *lblCaption;
    QMenu *mnuPopup = nullptr;
    QString path;
    QString captionLines;
    int captionCutFor = -1;  // the interior width the caption's file name was cut for
    int margin = 0;
    bool unloaded = false;
};

// The thumbnail window of a slot in use; null for a free slot or one without a window.
ThumbnailWindow *ThumbnailIn(const ThumbCollection &thumbs, int slot);
