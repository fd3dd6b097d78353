#include "frame/BuildSiteDialog.h"

#include "frame/BatchBuild.h"
#include "output/Browsers.h"
#include "settings/StoredSettings.h"
#include "ui/Controls.h"
#include "ui/Platform.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Build Site");

// Tells the dialog, on its own thread, how the build on the worker goes.
class DialogObserver : public BatchBuild::BuildObserver {
public:
    DialogObserver(QObject *dialog, std::function<void(QString, int, int)> progressed,
                   std::function<void(QString)> told, const std::atomic<bool> &cancel)
        : dialog(dialog), progressed(std::move(progressed)), told(std::move(told)), cancel(cancel)
    {
    }
    // The calls carry their own copies: the observer may be gone when they run.
    void progress(const QString &stage, int done, int total) override
    {
        QMetaObject::invokeMethod(dialog, [call = progressed, stage, done, total] { call(stage, done, total); },
                                  Qt::QueuedConnection);
    }
    void line(const QString &text) override
    {
        QMetaObject::invokeMethod(dialog, [call = told, text] { call(text); }, Qt::QueuedConnection);
    }
    bool cancelled() const override { return cancel; }

private:
    QObject *dialog;
    std::function<void(QString, int, int)> progressed;
    std::function<void(QString)> told;
    const std::atomic<bool> &cancel;
};

QString folderText(const QString &typed)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(typed.trimmed()))) + QDir::separator();
}

} // namespace

BuildSiteDialog::BuildSiteDialog(const QString &appPath, QWidget *parent) : QDialog(parent), appPath(appPath)
{
    setObjectName(QStringLiteral("BUILDSITE"));
    setWindowTitle(Title);
    txtPictures = Named<QLineEdit>("txtPictures", Settings::BuildPicturesFolder.read());
    txtOutput = Named<QLineEdit>("txtOutput", Settings::BuildOutputFolder.read());
    auto *cmdPictures = Named<QPushButton>("cmdPictures", QStringLiteral("&Browse..."));
    auto *cmdOutput = Named<QPushButton>("cmdOutput", QStringLiteral("B&rowse..."));
    chkAlbums = Named<QCheckBox>("chkAlbums", QStringLiteral("&Albums from the folders below"));
    chkAlbums->setChecked(Settings::BuildAlbums.read());
    cboSort = Named<QComboBox>("cboSort");
    cboSort->addItems({QStringLiteral("By Name"), QStringLiteral("By Date Taken")});
    cboSort->setCurrentIndex(Settings::BuildByDate.read() ? 1 : 0);
    prgBuild = Named<QProgressBar>("prgBuild");
    prgBuild->setAccessibleName(QStringLiteral("Progress"));
    lblProgress = Named<QLabel>("lblProgress");
    txtReport = Named<QPlainTextEdit>("txtReport");
    txtReport->setReadOnly(true);
    txtReport->setAccessibleName(QStringLiteral("Problems and summary"));
    cmdBuild = Named<QPushButton>("cmdBuild", QStringLiteral("&Build"));
    cmdCancel = Named<QPushButton>("cmdCancel", QStringLiteral("&Close"));
    cmdBuild->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(LabelFor(QStringLiteral("&Pictures Folder:"), txtPictures), 0, 0);
    grid->addWidget(txtPictures, 0, 1);
    grid->addWidget(cmdPictures, 0, 2);
    grid->addWidget(LabelFor(QStringLiteral("&Output Folder:"), txtOutput), 1, 0);
    grid->addWidget(txtOutput, 1, 1);
    grid->addWidget(cmdOutput, 1, 2);
    grid->addWidget(LabelFor(QStringLiteral("&Order of Pictures:"), cboSort), 2, 0);
    grid->addWidget(cboSort, 2, 1, Qt::AlignLeft);
    grid->addWidget(chkAlbums, 3, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdBuild);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(prgBuild);
    layout->addWidget(lblProgress);
    layout->addWidget(txtReport, 1);
    layout->addLayout(buttons);
    resize(560, 380);

    connect(cmdPictures, &QPushButton::clicked, this,
            [this] { chooseFolder(txtPictures, QStringLiteral("Choose the Folder of Pictures")); });
    connect(cmdOutput, &QPushButton::clicked, this,
            [this] { chooseFolder(txtOutput, QStringLiteral("Choose the Folder the Site Is Built In")); });
    connect(cmdBuild, &QPushButton::clicked, this, &BuildSiteDialog::cmdBuild_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &BuildSiteDialog::cmdCancel_Click);
}

BuildSiteDialog::~BuildSiteDialog()
{
    stopAndWait();
}

void BuildSiteDialog::chooseFolder(QLineEdit *box, const QString &title)
{
    const QString chosen = Ui::platform().chooseFolder({title, box->text()});
    if (!chosen.isEmpty())
        box->setText(QDir::toNativeSeparators(chosen));
}

void BuildSiteDialog::remember() const
{
    Settings::BuildPicturesFolder.write(txtPictures->text().trimmed());
    Settings::BuildOutputFolder.write(txtOutput->text().trimmed());
    Settings::BuildAlbums.write(chkAlbums->isChecked());
    Settings::BuildByDate.write(cboSort->currentIndex() == 1);
}

void BuildSiteDialog::cmdBuild_Click()
{
    if (building())
        return;
    if (txtPictures->text().trimmed().isEmpty() || txtOutput->text().trimmed().isEmpty()) {
        Ui::MsgBox(QStringLiteral("Please Choose the Folder of Pictures and the Folder the Site Is Built In."),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation, Title);
        return;
    }
    remember();
    BatchBuild::SiteRequest request;
    request.folder = folderText(txtPictures->text());
    request.output = folderText(txtOutput->text());
    request.albums = chkAlbums->isChecked();
    request.byDate = cboSort->currentIndex() == 1;
    txtReport->clear();
    prgBuild->setValue(0);
    lblProgress->setText(QStringLiteral("Starting..."));
    SetEnabled({txtPictures, txtOutput, chkAlbums, cboSort, cmdBuild}, false);
    cmdCancel->setText(QStringLiteral("&Cancel"));
    cancelRequested = false;
    worker = std::thread([this, request] {
        DialogObserver observer(
            this, [this](const QString &stage, int done, int total) { showProgress(stage, done, total); },
            [this](const QString &text) { showLine(text); }, cancelRequested);
        int result = BatchBuild::Unusable;
        try {
            result = BatchBuild::Build(request, observer);
        } catch (const std::exception &failure) {
            observer.line(QStringLiteral("The build stopped: %1").arg(QString::fromLocal8Bit(failure.what())));
        }
        QMetaObject::invokeMethod(this, [this, result] { buildEnded(result); }, Qt::QueuedConnection);
    });
}

void BuildSiteDialog::showProgress(const QString &stage, int done, int total)
{
    prgBuild->setMaximum(std::max(1, total));
    prgBuild->setValue(done);
    lblProgress->setText(QStringLiteral("%1: %2 of %3").arg(stage).arg(done).arg(total));
}

void BuildSiteDialog::showLine(const QString &text)
{
    txtReport->appendPlainText(text);
}

void BuildSiteDialog::buildEnded(int result)
{
    if (worker.joinable())
        worker.join();
    SetEnabled({txtPictures, txtOutput, chkAlbums, cboSort, cmdBuild}, true);
    cmdCancel->setText(QStringLiteral("&Close"));
    lblProgress->setText(result == BatchBuild::Cancelled ? QStringLiteral("Cancelled: the next build completes the site.")
                         : result == BatchBuild::Unusable ? QStringLiteral("The site could not be built.")
                                                          : QStringLiteral("The site is built."));
    emit finished(result);
    const QString page = folderText(txtOutput->text()) + QStringLiteral("index.html");
    if ((result == BatchBuild::Complete || result == BatchBuild::SomeSkipped) && QFileInfo::exists(page)
        && Ui::MsgBox(QStringLiteral("The Site Is Built.  Would You Like to Open It in a Browser?"), Ui::MsgButtons::YesNo,
                      Ui::MsgIcon::Question, Title)
               == Ui::MsgResult::Yes) {
        BrowserSelection browsers(appPath, this, page);
        Ui::platform().execDialog(browsers);
    }
}

void BuildSiteDialog::cmdCancel_Click()
{
    if (building())
        cancelRequested = true;
    else
        accept();
}

void BuildSiteDialog::stopAndWait()
{
    cancelRequested = true;
    if (worker.joinable())
        worker.join();
}

// Closing while a build runs cancels it and waits for it to stop.
void BuildSiteDialog::closeEvent(QCloseEvent *event)
{
    stopAndWait();
    QDialog::closeEvent(event);
}

void BuildSiteDialog::reject()
{
    stopAndWait();
    QDialog::reject();
}
