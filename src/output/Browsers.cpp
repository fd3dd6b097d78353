#include "output/Browsers.h"

#include "output/PreviewTree.h"
#include "output/ProfileFile.h"
#include "settings/CRegistry.h"
#include "ui/FileIcons.h"
#include "ui/Paths.h"
#include "ui/Platform.h"

#include <QBoxLayout>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>

namespace Browsers {

namespace {

const QString None = QStringLiteral("None");

// A value of a key that belongs to another program: read only, never created.
QString machineValue(const QString &key, const QString &name)
{
    try {
        CRegistry registry;
        registry.setAutoCreate(false);
        registry.setRoot(CRegistry::HKEY_LOCAL_MACHINE);
        registry.setKey(key);
        return registry.GetValue(name, None);
    } catch (const RegistryError &) {
        return None;
    }
}

QString withSeparator(const QString &directory)
{
    return directory.endsWith(QDir::separator()) ? directory : directory + QDir::separator();
}

void addIfPresent(QList<BrowserEntry> &found, const QString &name, const QString &program)
{
    if (QFileInfo(program).isFile())
        found << BrowserEntry{name, program};
}

// The program a desktop entry's Exec line starts: its first word, unquoted, looked
// up on the search path when it is not a full path.
QString programOf(const QString &exec)
{
    QString first = exec.trimmed();
    if (first.startsWith(u'"'))
        first = first.mid(1, first.indexOf(u'"', 1) - 1);
    else
        first = first.section(u' ', 0, 0);
    return QFileInfo(first).isAbsolute() ? first : QStandardPaths::findExecutable(first);
}

const QString Entry = QStringLiteral("Desktop Entry");

// Applications that declare they open web pages, each desktop file once (the first
// found in the data directories wins, as on the desktop).
void addDesktopBrowsers(QList<BrowserEntry> &found)
{
    QSet<QString> seen;
    for (const QString &directory : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QStringList files;
        for (QDirIterator it(directory, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next();
        files.sort();
        for (const QString &file : files) {
            const QString id = QDir(directory).relativeFilePath(file);
            if (seen.contains(id))
                continue;
            seen << id;
            const ProfileFile::Contents desktop(file);
            const QStringList types = desktop.value(Entry, QStringLiteral("MimeType"), QString()).split(u';');
            const bool opensPages = types.contains(QStringLiteral("text/html"))
                                    || types.contains(QStringLiteral("x-scheme-handler/http"));
            const bool hidden = desktop.value(Entry, QStringLiteral("Hidden"), QString()) == QLatin1String("true");
            if (!opensPages || hidden)
                continue;
            const QString program = programOf(desktop.value(Entry, QStringLiteral("Exec"), QString()));
            if (!program.isEmpty())
                addIfPresent(found, desktop.value(Entry, QStringLiteral("Name"), QFileInfo(program).fileName()), program);
        }
    }
}

QString browsersFile(const QString &appPath)
{
    return appPath + QStringLiteral("Browsers.txt");
}

} // namespace

QList<BrowserEntry> Detected()
{
    QList<BrowserEntry> found;
    const QString explorer = machineValue(QStringLiteral("SOFTWARE\\Microsoft\\IE4\\Setup"), QStringLiteral("Path"));
    if (explorer != None)
        addIfPresent(found, QStringLiteral("Microsoft Internet Explorer"), withSeparator(explorer) + QStringLiteral("iexplore.exe"));
    const QString navigator = QStringLiteral("SOFTWARE\\Netscape\\Netscape Navigator");
    const QString version = machineValue(navigator, QStringLiteral("CurrentVersion"));
    if (version != None) {
        const QString directory =
            machineValue(navigator + u'\\' + version + QStringLiteral("\\Main"), QStringLiteral("Install Directory"));
        if (directory != None)
            addIfPresent(found, QStringLiteral("Netscape Navigator"),
                         withSeparator(directory) + QDir::toNativeSeparators(QStringLiteral("Program/netscape.exe")));
    }
    addDesktopBrowsers(found);
    return found;
}

QList<BrowserEntry> Added(const QString &appPath)
{
    QList<BrowserEntry> added;
    const ProfileFile::Contents browsers(browsersFile(appPath));
    for (const QString &section : browsers.sectionNames()) {
        const QString path = browsers.value(section, QStringLiteral("Path"), None);
        if (path == None || path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QString name = browsers.value(section, QStringLiteral("Name"), None);
        if (name == None || name.isEmpty())
            name = Paths::FileNameOf(path);
        added << BrowserEntry{name, path};
    }
    return added;
}

namespace {

QString writeBrowser(const QString &appPath, const QString &program, const QString &path, const QString &name)
{
    const QString file = browsersFile(appPath);
    QString why = ProfileFile::WriteString(file, program, QStringLiteral("Path"), path);
    if (why.isEmpty())
        why = ProfileFile::WriteString(file, program, QStringLiteral("Name"), name);
    return why.isEmpty() ? why : QDir::toNativeSeparators(file) + QStringLiteral(": ") + why;
}

} // namespace

QString Add(const QString &appPath, const QString &program)
{
    return writeBrowser(appPath, program, program, Paths::FileNameOf(program));
}

QString Remove(const QString &appPath, const QString &program)
{
    return writeBrowser(appPath, program, QString(), QString());
}

void FillBrowserList(QTreeWidget &list, FileIcons &icons, const QString &appPath)
{
    list.clear();
    for (const BrowserEntry &browser : Detected() + Added(appPath)) {
        auto *row = new QTreeWidgetItem(&list, {browser.name, browser.path});
        row->setIcon(0, icons.icon(icons.GetFileIcon(FileIcons::Small, browser.path, true)));
    }
}

QString ShellExecuteErrorText(double code)
{
    static const QList<QPair<int, const char *>> texts = {
        {0, "The Operating System is Out of Memory or Resources."},
        {2, "The Specified File Was Not Found."},
        {3, "The Specified Path Was Not Found."},
        {5, "The Operating System Denied Access to the Specified File."},
        {8, "There Was Not Enough Memory to Complete the Operation."},
        {11, "The .EXE file is Invalid (non-Win32 .EXE or Error in .EXE Image)."},
        {26, "A Sharing Violation Occurred."},
        {27, "The Filename Association is Incomplete or Invalid."},
        {28, "The DDE Transaction Could Not Be Completed Because the Request Timed Out."},
        {29, "The DDE Transaction Failed."},
        {30, "The DDE Transaction Could Not Be Completed Because Other DDE Transactions Were Being Processed."},
        {31, "There is No Application Associated with the Given Filename Extension."},
        {32, "The Specified Dynamic-Link Library Was Not Found."},
    };
    for (const auto &[known, text] : texts)
        if (code == known)
            return QString::fromUtf8(text);
    return QStringLiteral("An Unknown Error Occurred.");
}

void ReportFailure(int code)
{
    Ui::MsgBox(QStringLiteral("Error# %1; %2").arg(code).arg(ShellExecuteErrorText(code)), Ui::MsgButtons::OK,
               Ui::MsgIcon::Exclamation, QStringLiteral("Browser Failure"));
}

} // namespace Browsers

BrowserSelection::BrowserSelection(const QString &appPath, QWidget *parent, const QString &page)
    : QDialog(parent), appPath(appPath), shownPage(page),
      Label1(new QLabel(QStringLiteral("Select a Browser in which to preview your thumbnail web page:"), this)),
      ListView1(new QTreeWidget(this)), cmdSelect(new QPushButton(QStringLiteral("&Select"), this)),
      cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setObjectName(QStringLiteral("BROWSERS"));
    setWindowTitle(QStringLiteral("Browser Selection"));
    Label1->setObjectName(QStringLiteral("Label1"));
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Registered browsers"));
    cmdSelect->setObjectName(QStringLiteral("cmdSelect"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("Browser"), QStringLiteral("Path")});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSelect);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    resize(520, 300);
    ListView1->header()->resizeSection(0, int(0.6 * 480));
    ListView1->header()->resizeSection(1, int(1.5 * 480));
    connect(cmdSelect, &QPushButton::clicked, this, &BrowserSelection::cmdSelect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &BrowserSelection::ListView1_DblClick);

    FileIcons icons;
    Browsers::FillBrowserList(*ListView1, icons, appPath);
    if (ListView1->topLevelItemCount() > 0)
        ListView1->setCurrentItem(ListView1->topLevelItem(0));
}

void BrowserSelection::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!std::exchange(activated, true))
        QTimer::singleShot(0, this, &BrowserSelection::Form_Activate);
}

QString BrowserSelection::page() const
{
    return shownPage.isEmpty() ? PreviewTree::PagePath(appPath) : shownPage;
}

// Nothing to choose from: the page opens with the desktop's default browser, and the
// dialog stays for the user to close.
void BrowserSelection::Form_Activate()
{
    if (ListView1->topLevelItemCount() > 0)
        return;
    Ui::MsgBox(QStringLiteral("Quillmere Could Not Detect Any Registered Web Browsers.  "
                              "Your Default Web Browser Will Be Used Instead."),
               Ui::MsgButtons::OK, Ui::MsgIcon::Information, QStringLiteral("No Registered Web Browsers"));
    const int result = Ui::platform().openDocument(page());
    if (result <= 32)
        Browsers::ReportFailure(result);
}

void BrowserSelection::cmdSelect_Click()
{
    const QTreeWidgetItem *chosen = ListView1->currentItem();
    if (!chosen)
        return;  // nothing chosen: nothing to start
    const int result = Ui::platform().startProgram(chosen->text(1), page());
    if (result <= 32)
        Browsers::ReportFailure(result);
    accept();
}

void BrowserSelection::ListView1_DblClick()
{
    if (ListView1->currentItem())
        cmdSelect_Click();
}
