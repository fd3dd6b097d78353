#pragma once

#include <QDialog>

// Shows the program's name and version; a click anywhere closes it.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    static QString VersionText();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
