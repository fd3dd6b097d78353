#pragma once

#include "ScriptedPlatform.h"
#include "TestEnvironment.h"

#include "frame/Commands.h"
#include "frame/MainForm.h"
#include "ui/DocumentArea.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QToolButton>
#include <QMenu>
#include <memory>


// A main window made the way the start procedure makes it, shown and activated, in
// settings of its own, with the scripted platform.
struct Frame {
    TestEnvironment environment;
    Ui::ScriptedPlatformScope scripted;
    std::unique_ptr<MainForm> form;

    explicit Frame(QTime clock = QTime(12, 0))
    {
        scripted->clock = clock;
        form.reset(new MainForm);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        form->show();
    }
    QString stored(const QString &key) const { return environment.raw().value(key).toString(); }
    // The file names of the listing's rows, in order.
    QStringList names() const
    {
        QStringList all;
        for (const QString &path : form->listingRows().keys())
            all << QFileInfo(path).fileName();
        return all;
    }
    QAction *action(const char *name) const { return form->findChild<QAction *>(QString::fromUtf8(name)); }
    QToolButton *button(const char *key) const { return form->findChild<QToolButton *>(QString::fromUtf8(key)); }
    // Whether the toolbar shows the button (in its row or, when too narrow, in its
    // overflow menu).
    bool shown(const char *key) const
    {
        for (QAction *place : form->toolbar()->actions())
            if (form->toolbar()->widgetForAction(place) == button(key))
                return place->isVisible();
        return false;
    }
    void addRow() { form->listingRows().addRow(u"/pictures/a.jpg"_s, u"1K"_s, 0); }
    QMdiSubWindow *child(const QString &title)
    {
        QMdiSubWindow *window = form->mdiArea()->addSubWindow(new QWidget);
        window->setWindowTitle(title);
        window->show();
        return window;
    }
};
