#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Flashes the caption of the window in Globals::FlashTarget ten times, a toggle every
// 250 ms, then gives it the keyboard focus. Picking another window meanwhile starts
// the count again for that one.
class CaptionFlasher : public QObject {
    Q_OBJECT
public:
    explicit CaptionFlasher(QObject *parent = nullptr);

    // Starts flashing Globals::FlashTarget.
    void start();
    QTimer &timer() { return tmrFlash; }
    int count() const { return counter; }

    // Switches a window's caption between its active and its inactive look.
    static void ToggleCaptionLook(QWidget *window);
    static bool LooksToggled(const QWidget *window);

public slots:
    void tmrFlash_Timer();

private:
    QTimer tmrFlash;
    int counter = 0;
    QPointer<QWidget> lastFlashed;
};
