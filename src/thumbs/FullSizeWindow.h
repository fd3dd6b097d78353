#pragma once

#include <QDialog>

class ImageBuffer;

// The picture of a file at its own size, in a window that fits it and scrolls when
// the screen is too small for it. A click anywhere closes it; it comes back where it
// was last closed.
class FullSizeWindow : public QDialog {
    Q_OBJECT
public:
    // How the window fits a picture on a screen: the interior's size and the scroll
    // bars it needs (0 none, 1 horizontal, 2 vertical, 3 both). `frame` is what the
    // window's border adds to its interior; `scrollBar` the width of a scroll bar.
    struct Fit {
        QSize interior;
        int scrollBars = 0;
    };
    static Fit FitOnScreen(QSize picture, QSize screen, QSize frame, int scrollBar);

    explicit FullSizeWindow(QWidget *parent = nullptr);
    ImageBuffer &picture() const { return *picbufLoad; }
    // Closes the window and stores where it was.
    void done(int result) override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restorePosition();
    void storePosition();

    ImageBuffer *picbufLoad;
    bool stored = false;
};

// Shows the picture of a file at full size, modal over `owner`, with the hourglass
// while it loads; says so when no loader can read the file.
void ShowFullSize(const QString &path, QWidget *owner);
