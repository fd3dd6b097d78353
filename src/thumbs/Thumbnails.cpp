#include "thumbs/Thumbnails.h"

#include "imagebuffer/ImageBuffer.h"
#include "settings/Preferences.h"
#include "thumbs/FullSizeWindow.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailPipeline.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/Numbers.h"
#include "ui/DocumentArea.h"
#include "ui/Memory.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "ui/Twips.h"

#include <QFileInfo>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSet>
#include <QTimer>

namespace {

// The caption label's height: three lines of its small font.
constexpr int CaptionHeight = 37;

} // namespace

Thumbnails::Thumbnails(ThumbCollection &thumbs, ListingModel &listing, const Preferences &preferences,
                       ThumbnailHost &host, QObject *parent)
    : QObject(parent), thumbs(thumbs), listing(listing), preferences(preferences), host(host)
{
    // A window shows its record's picture, also after a command changed it.
    connect(&thumbs, &ThumbCollection::pictureChanged, this, [&thumbs](int slot) {
        if (ThumbnailWindow *window = ThumbnailIn(thumbs, slot))
            window->showPicture(thumbs.record(slot)->picture);
    });
}

QString Thumbnails::totalText() const
{
    return QStringLiteral("Total Thumbnails:  %1").arg(listing.rowCount());
}

int Thumbnails::giveBack(int slot, int error)
{
    thumbs.release(slot);
    return error;
}

int Thumbnails::CreateThumbnail(Picture &source, const QString &path)
{
    return AddThumbnail(PreparedThumbnail::FromPicture(source, preferences.thumbnailBox, path), path);
}

int Thumbnails::AddThumbnail(const PreparedThumbnail &prepared, const QString &path)
{
    Ui::BusyPointer busy;
    const int slot = thumbs.FindFreeThumb();
    if (FitThumbnail(prepared.box, prepared.sourceSize).isEmpty())
        return giveBack(slot, ErrDivisionByZero);
    if (listing.containsKey(path))
        return giveBack(slot, ErrKeyNotUnique);
    if (!prepared.made)
        return giveBack(slot, ErrOutOfMemory);
    const qint64 bytes = QFileInfo(path).size();
    thumbs.setRecord(slot, {path, ThumbnailCaption(path, prepared.sourceSize, bytes), prepared.thumbnail,
                            prepared.transparent, prepared.sourceSize, prepared.facts});

    auto *window = new ThumbnailWindow;
    // The picture sits at the margin, not at a fixed top, so that the caption's
    // three lines fit in the interior the margins leave.
    window->showRecord(*thumbs.record(slot), std::max(0, preferences.leftMargin), CaptionHeight);
    window->Tag = QString::number(slot);
    thumbs.setWindow(slot, window);
    connect(window, &ThumbnailWindow::unloading, this, [this](ThumbnailWindow *closing) { CloseThumbnail(*closing); });
    connect(window, &ThumbnailWindow::fullSizeRequested, this, &Thumbnails::ViewFullSize);
    connect(window, &ThumbnailWindow::removeRequested, this, [this](ThumbnailWindow *removed) { RemoveThumbnail(*removed); });
    connect(window, &ThumbnailWindow::escapePressed, this, &Thumbnails::stopLoadingRequested);
    connect(window, &ThumbnailWindow::activated, this, [this](const QString &source) {
        currentPath = source;
        host.SetPanelText(2, QStringLiteral("Current Thumbnail:  ") + source);
    });

    // Shown without being activated (a shown window activates itself unless it is
    // disabled): a load moves the activation and the focus once, to its newest
    // window, when it ends.
    window->setEnabled(false);
    DocumentArea &area = host.documentArea();
    area.addSubWindow(window);
    window->resize(window->ownSize());
    if (thumbs.count() == 1)
        flow.restart();  // the first window of an empty area starts in its corner
    window->move(flow.next(window->size(), area.viewport()->width()));
    window->show();
    window->setEnabled(true);
    newestWindow = window;

    listing.addRow(path, FileSizeText(bytes), listing.icons().GetFileIcon(FileIcons::Small, path, false));
    host.SetPanelText(1, totalText());
    return 0;
}

ThumbnailWindow *Thumbnails::newest() const
{
    return newestWindow;
}

void Thumbnails::ViewFullSize(const QString &path)
{
    ShowFullSize(path, host.documentArea().window());
}

void Thumbnails::RemoveThumbnail(ThumbnailWindow &window)
{
    const QString path = window.sourcePath();
    const int row = listing.findByName(Paths::FileNameOf(path));
    listing.selectRow(row);
    if (row < 0 || listing.index(row, ListingModel::PathColumn).data().toString() != Paths::DirectoryOf(path)) {
        Ui::MsgBox(QStringLiteral("The Thumbnail Could Not Be Located.  Please Delete it by Right-Clicking "
                                  "on the Thumbnail Name in the Thumbnail Listing Window."),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation, QStringLiteral("Cannot Find Thumbnail"));
        return;
    }
    window.close();
}

void Thumbnails::CloseThumbnail(ThumbnailWindow &window)
{
    bool numbered = false;
    const int slot = window.Tag.toInt(&numbered);
    if (numbered)
        thumbs.release(slot);
    if (closingInBulk)
        return;  // the rows, the count and the yield follow once for all
    const QString path = window.sourcePath();
    forgetCurrent({path});
    const int row = listing.rowOf(Paths::FileNameOf(path), Paths::DirectoryOf(path));
    if (row >= 0)
        listing.removeRow(row);
    host.SetPanelText(1, totalText());
    host.SetCommandStates(false);
    Ui::platform().yieldEvents();
}

// The status bar names no thumbnail that is gone.
void Thumbnails::forgetCurrent(const QSet<QString> &closed)
{
    if (!closed.contains(currentPath))
        return;
    currentPath.clear();
    host.SetPanelText(2, QStringLiteral("Current Thumbnail:"));
}

ThumbnailWindow *Thumbnails::windowOf(const QString &path) const
{
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot)
        if (ThumbnailWindow *window = ThumbnailIn(thumbs, slot); window && window->sourcePath() == path)
            return window;
    return nullptr;
}

// Closes the thumbnails of the slots in use from `first` to `last`; free slots, and
// slots without a window, are passed over. Their rows go in one pass afterwards, and
// no window is activated in between.
void Thumbnails::closeSlots(int first, int last)
{
    QSet<QString> closed;
    {
        const QScopedValueRollback<bool> bulk(closingInBulk, true);
        const ScrollRangeHeld held(host.documentArea());
        host.documentArea().setActiveSubWindow(nullptr);
        for (int slot = std::max(1, first); slot <= last; ++slot)
            if (ThumbnailWindow *window = ThumbnailIn(thumbs, slot)) {
                closed.insert(window->sourcePath());
                window->close();
            }
    }
    listing.removeKeys(closed);
    forgetCurrent(closed);
    host.SetPanelText(1, totalText());
    host.SetCommandStates(false);
    Ui::platform().yieldEvents();
}

void Thumbnails::ClearThumbnails()
{
    if (Ui::MsgBox(QStringLiteral("Are You Sure You Wish the Remove All Thumbnail Images?"), Ui::MsgButtons::YesNo,
                   Ui::MsgIcon::Question, QStringLiteral("Clear Thumbnails?"))
        != Ui::MsgResult::Yes)
        return;
    if (thumbs.upperBound() >= 1) {
        Ui::BusyPointer busy;
        // The area goes with all its windows at once, without a close event for each.
        thumbs.releaseAll();
        host.emptyDocumentArea();
        forgetCurrent({currentPath});
        host.SetPanelText(1, QStringLiteral("Total Thumbnails:  0"));
        // Once the old windows are deleted, as the event loop runs again.
        QTimer::singleShot(0, this, &ReturnFreedMemory);
    }
    listing.removeRows(0, listing.rowCount());
    host.SetCommandStates(false);
}

void Thumbnails::FreeMemory()
{
    const QString title = QStringLiteral("Free Memory");
    Ui::MsgBox(QStringLiteral("Quillmere Will Now Attempt to Free Some Memory"), Ui::MsgButtons::OK,
               Ui::MsgIcon::Information, title);
    const int upper = thumbs.upperBound();
    if (upper < 1)
        return;
    const int tenth = Numbers::RoundHalfEven(upper * 0.1);
    closeSlots(upper - tenth, upper);
    Ui::MsgBox(QStringLiteral("Some Thumbnails Were Removed in Order to Free Memory"), Ui::MsgButtons::OK,
               Ui::MsgIcon::Information, title);
    listing.selectRow(0);
}
