#pragma once

#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "ThumbnailHostStub.h"

#include "imagebuffer/Picture.h"
#include "output/ImageCopying.h"
#include "output/ThumbnailSaving.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/Thumbnails.h"
#include "webpage/PageModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


inline QByteArray records(const QStringList &lines)
{
    QByteArray all;
    for (const QString &line : lines)
        all += ('"' + line + "\"\r\n").toUtf8();
    return all;
}

// Thumbnails made from real files in a folder, with settings and a program
// directory of their own.
struct Output {
    TestEnvironment environment;
    Ui::ScriptedPlatformScope scripted;
    ThumbnailHostStub host;
    ThumbCollection thumbs;
    ListingModel listing;
    Thumbnails maker{thumbs, listing, Globals::Prefs, host};
    QString appPath = QDir::toNativeSeparators(environment.path(u"app"_s)) + S;

    Output() { QDir().mkpath(appPath); }
    QString source(const QString &relative, int seed = 0)
    {
        const QString path = QDir::toNativeSeparators(environment.path(relative));
        writeFile(path, TestImages::encode(TestImages::photo(80 + seed, 60, seed), "png"));
        Picture picture;
        picture.load(path, ImageFormat::Png);
        maker.CreateThumbnail(picture, path);
        return path;
    }
    QString target(const QString &name) const { return QDir::toNativeSeparators(environment.path(name)) + S; }
    // As the main window's commands name the files: by the page the listing makes.
    void save(const QString &directory)
    {
        SaveThumbnails(directory, thumbs, ListingSiteNames(listing, thumbs, Globals::Prefs), Globals::Prefs, appPath);
    }
    // With a page, as the editor's commands name them.
    void copy(const QString &directory, bool pageOnly, const PageModel *page = nullptr)
    {
        CopyImages(directory, pageOnly, thumbs, page,
                   page ? page->siteNames(Globals::Prefs) : ListingSiteNames(listing, thumbs, Globals::Prefs),
                   Globals::Prefs, appPath);
    }
    QByteArray log(const char *name) const { return contentsOf(appPath + QString::fromUtf8(name)); }
};

// Desktop entries and programs of the test's own: the only applications the program
// finds while it lives.
struct DesktopApplications {
    const TestEnvironment &environment;
    QString data = environment.path(u"data"_s);

    explicit DesktopApplications(const TestEnvironment &environment) : environment(environment)
    {
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_DATA_DIRS", environment.path(u"none"_s).toUtf8());
    }
    ~DesktopApplications()
    {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
    }
    QString program(const QString &name) const
    {
        const QString path = environment.path(name);
        writeFile(path, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    void entry(const QString &name, const QByteArray &body) const
    {
        writeFile(data + u"/applications/"_s + name, "[Desktop Entry]\nType=Application\n" + body);
    }
};
