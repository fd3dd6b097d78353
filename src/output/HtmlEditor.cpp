#include "output/HtmlEditor.h"

#include "output/Browsers.h"
#include "output/HtmlFile.h"
#include "output/ImageCopying.h"
#include "output/PreviewTree.h"
#include "output/ThumbnailSaving.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "ui/Controls.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "ui/Twips.h"
#include "webpage/PageModel.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

const QString HtmlFilter = QStringLiteral(
    "All Files (*.*)|*.*|HTML Documents (*.htm, *.html)|*.htm;*.html|Text Files (*.txt)|*.txt");

// Courier New at 10 points where it exists, else the system's fixed-width face.
QFont editorFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    return fixed;
}

void reportFileFailure(const QString &path, const QString &what, const QString &reason, const QString &title)
{
    Ui::MsgBox(QDir::toNativeSeparators(path) + QStringLiteral(" Could Not Be ") + what + QStringLiteral(".\n") + reason,
               Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation, title);
}

QPushButton *button(const char *name, const char *caption, QWidget *parent)
{
    auto *made = new QPushButton(QString::fromUtf8(caption), parent);
    made->setObjectName(QString::fromUtf8(name));
    made->setAutoDefault(false);
    made->resize(std::max(made->sizeHint().width(), Twips::ToPixelsX(1095)), made->sizeHint().height());
    return made;
}

} // namespace

HtmlEditor::HtmlEditor(const EditorContext &context, QWidget *parent)
    : QDialog(parent), context(context), body(new QWidget(this)), txtHTML(new QPlainTextEdit(body)),
      cmdSave(button("cmdSave", "&Save", body)), cmdOpen(button("cmdOpen", "&Open", body)),
      cmdClose(button("cmdClose", "&Close", body)), cmdView(button("cmdView", "&View", body))
{
    setObjectName(QStringLiteral("HTML"));
    setWindowTitle(QStringLiteral("Generated HTML Code"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    txtHTML->setObjectName(QStringLiteral("txtHTML"));
    txtHTML->setAccessibleName(QStringLiteral("HTML code"));
    txtHTML->setFont(editorFont());
    txtHTML->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtHTML->setPlainText(QStringLiteral("Generating HTML Code..."));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QMenuBar(this);
    buildMenus(bar);
    layout->setMenuBar(bar);
    layout->addWidget(body);
    body->installEventFilter(this);
    const int margin = Twips::ToPixelsX(120);
    const int row = cmdSave->sizeHint().height();
    const int buttons = cmdClose->width() + cmdOpen->width() + cmdSave->width() + cmdView->width();
    // The smallest body that holds the button row and a few lines of text.
    body->setMinimumSize(buttons + 5 * margin, row + 3 * margin + 4 * txtHTML->fontMetrics().lineSpacing());
    resize(Twips::ToPixelsX(9600), Twips::ToPixelsY(7200));

    connect(cmdSave, &QPushButton::clicked, this, &HtmlEditor::cmdSave_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &HtmlEditor::cmdOpen_Click);
    connect(cmdView, &QPushButton::clicked, this, &HtmlEditor::cmdView_Click);
    connect(cmdClose, &QPushButton::clicked, this, &HtmlEditor::cmdClose_Click);
}

void HtmlEditor::buildMenus(QMenuBar *bar)
{
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(NamedItem(file, "mnuFileOpen", "&Open", QKeySequence::Open), &QAction::triggered, this,
            &HtmlEditor::cmdOpen_Click);
    connect(NamedItem(file, "mnuFileSave", "&Save", QKeySequence::Save), &QAction::triggered, this,
            &HtmlEditor::cmdSave_Click);
    NamedSeparator(file, "mnuFileSep1");
    connect(NamedItem(file, "mnuFileView", "&View Current"), &QAction::triggered, this, &HtmlEditor::cmdView_Click);
    NamedSeparator(file, "mnuFileSep2");
    connect(NamedItem(file, "mnuFileClose", "&Close"), &QAction::triggered, this, &HtmlEditor::cmdClose_Click);

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    // The text box handles its own editing keys; the items show them.
    mnuEditCut = NamedItem(edit, "mnuEditCut", "Cu&t", QKeySequence::Cut);
    mnuEditCopy = NamedItem(edit, "mnuEditCopy", "&Copy", QKeySequence::Copy);
    mnuEditPaste = NamedItem(edit, "mnuEditPaste", "&Paste", QKeySequence::Paste);
    for (QAction *action : {mnuEditCut, mnuEditCopy, mnuEditPaste})
        action->setShortcutContext(Qt::WidgetShortcut);
    connect(edit, &QMenu::aboutToShow, this, &HtmlEditor::mnuEdit_Click);
    connect(mnuEditCut, &QAction::triggered, this, &HtmlEditor::mnuEditCut_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &HtmlEditor::mnuEditCopy_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &HtmlEditor::mnuEditPaste_Click);
}

void HtmlEditor::setHtml(const QString &text)
{
    lineEnd = text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    txtHTML->setPlainText(text);
}

QString HtmlEditor::html() const
{
    QString text = txtHTML->toPlainText();
    if (lineEnd != QLatin1String("\n"))
        text.replace(QLatin1Char('\n'), lineEnd);
    return text;
}

bool HtmlEditor::pageLoaded() const
{
    return context.page && context.page->GenerateDialogLoaded;
}

void HtmlEditor::SaveHTML()
{
    const QString last = Settings::LastHtmlFilePath.read(StoredSection(Settings::HtmlPreferencesSection), context.appPath);
    const Ui::FileDialogAnswer answer = Ui::platform().saveFile(
        {QStringLiteral("Save HTML Document"), HtmlFilter, 2, last, QStringLiteral("*.htm")});
    if (answer.fileName.isEmpty())
        return;
    const QString path = HtmlFile::WithHtmlExtension(QDir::toNativeSeparators(answer.fileName));
    if (const QString failure = HtmlFile::Write(path, html()); !failure.isEmpty()) {
        reportFileFailure(path, QStringLiteral("Saved"), failure, QStringLiteral("Can't Save"));
        return;
    }
    Settings::LastHtmlFilePath.write(Paths::DirectoryOf(path));
}

void HtmlEditor::cmdSave_Click()
{
    GuardStore([this] {
        if (txtHTML->toPlainText().isEmpty()) {
            Ui::MsgBox(QStringLiteral("There is Nothing to Save!"), Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation,
                       QStringLiteral("Can't Save"));
            return;
        }
        SaveHTML();
        if (!pageLoaded())
            return;
        if (Ui::MsgBox(QStringLiteral("Do You Wish to Save the Thumbnail Images?"), Ui::MsgButtons::YesNo,
                       Ui::MsgIcon::Question, QStringLiteral("Save Thumbnails?"))
            == Ui::MsgResult::Yes)
            SaveThumbnails(QString(), context.thumbs, context.page->siteNames(context.preferences), context.preferences,
                           context.appPath);
        if (Ui::MsgBox(QStringLiteral("Do You Wish to Save the Selected Actual Images in Another Directory?"),
                       Ui::MsgButtons::YesNo, Ui::MsgIcon::Question, QStringLiteral("Copy Full-Sized Images?"))
            == Ui::MsgResult::Yes)
            CopyImages(QString(), true, context.thumbs, context.page, context.page->siteNames(context.preferences),
                       context.preferences, context.appPath);
    });
}

void HtmlEditor::cmdOpen_Click()
{
    const Ui::FileDialogAnswer answer =
        Ui::platform().openFile({QStringLiteral("Specify the HTML Document to Open"), HtmlFilter, 2,
                                 context.preferences.lastOpenDirectory, QStringLiteral("*.htm;*.html")});
    if (answer.fileName.isEmpty())
        return;
    QString text;
    if (const QString failure = HtmlFile::Read(answer.fileName, text); !failure.isEmpty()) {
        reportFileFailure(answer.fileName, QStringLiteral("Opened"), failure, QStringLiteral("Can't Open"));
        return;
    }
    setHtml(text);
}

// Writes the page, and while the Generate dialog is open its thumbnails and
// images, into the preview tree. The page's path, or empty when there is nothing
// to show.
QString HtmlEditor::previewPage()
{
    const PreviewTree tree(context.appPath, context.preferences.siteThumbnailDirectory,
                           context.preferences.siteImageDirectory);
    tree.Create();
    if (txtHTML->toPlainText().isEmpty()) {
        Ui::MsgBox(QStringLiteral("There is No HTML Code to View!"), Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation,
                   QStringLiteral("No File"));
        return QString();
    }
    if (const QString failure = HtmlFile::Write(tree.page(), html()); !failure.isEmpty()) {
        reportFileFailure(tree.page(), QStringLiteral("Written"), failure, QStringLiteral("No File"));
        return QString();
    }
    if (pageLoaded()) {
        const SiteNames names = context.page->siteNames(context.preferences);
        SaveThumbnails(tree.thumbnails(), context.thumbs, names, context.preferences, context.appPath);
        // The page's background image comes along with the pictures.
        CopyImages(tree.images(), true, context.thumbs, context.page, names, context.preferences, context.appPath);
        QPointer<HtmlEditor> self(this);
        Ui::platform().yieldEvents();
        if (!self)
            return QString();
    }
    return tree.page();
}

void HtmlEditor::cmdView_Click()
{
    GuardStore([this] {
        const bool chooseBrowser = Settings::UseSpecificBrowser.read();
        Ui::BusyPointer busy;
        const QString page = previewPage();
        if (page.isEmpty())
            return;
        if (chooseBrowser) {
            BrowserSelection browsers(context.appPath, this);
            Ui::platform().execDialog(browsers);
        } else if (const int result = Ui::platform().openDocument(page); result < 33) {
            Browsers::ReportFailure(result);
        }
    });
}

void HtmlEditor::cmdClose_Click()
{
    reject();
}

void HtmlEditor::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void HtmlEditor::Form_Unload()
{
    if (std::exchange(unloaded, true))
        return;
    PreviewTree(context.appPath, context.preferences.siteThumbnailDirectory, context.preferences.siteImageDirectory)
        .Empty();
}

bool HtmlEditor::textBoxActive() const
{
    return focusWidget() == txtHTML;
}

void HtmlEditor::mnuEdit_Click()
{
    const bool active = textBoxActive();
    const bool selection = active && txtHTML->textCursor().hasSelection();
    mnuEditCut->setEnabled(selection);
    mnuEditCopy->setEnabled(selection);
    mnuEditPaste->setEnabled(active && !QGuiApplication::clipboard()->text().isEmpty());
}

void HtmlEditor::mnuEditCut_Click()
{
    if (textBoxActive())
        txtHTML->cut();
}

void HtmlEditor::mnuEditCopy_Click()
{
    if (textBoxActive())
        txtHTML->copy();
}

void HtmlEditor::mnuEditPaste_Click()
{
    if (textBoxActive())
        txtHTML->paste();
}

bool HtmlEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == body && event->type() == QEvent::Resize)
        Form_Resize();
    return QDialog::eventFilter(watched, event);
}

// The text fills the window above one right-aligned row of buttons: from the right
// Close, Open, Save, View, a margin apart. The body never gets smaller than its
// minimum, so nothing is placed at a negative size.
void HtmlEditor::Form_Resize()
{
    const int margin = Twips::ToPixelsX(120);
    const int marginY = Twips::ToPixelsY(120);
    const int width = std::max(body->width(), body->minimumWidth());
    const int height = std::max(body->height(), body->minimumHeight());
    txtHTML->setGeometry(margin, marginY, width - 2 * margin, height - cmdSave->height() - 3 * marginY);
    const int top = txtHTML->geometry().bottom() + 1 + marginY;
    int right = width - margin;
    for (QPushButton *button : {cmdClose, cmdOpen, cmdSave, cmdView}) {
        button->move(right - button->width(), top);
        right = button->x() - margin;
    }
}
