#include "output/PreferencesDialog.h"

#include "output/Browsers.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "webpage/SiteNames.h"
#include "ui/Controls.h"
#include "ui/FileIcons.h"
#include "ui/Numbers.h"
#include "ui/Paths.h"
#include "ui/Platform.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTreeWidget>

namespace {

const QString PrefixMessage = QStringLiteral(
    "When the Thumbnail Images Are Saved, They Must Possess a Prefix to Adequately Differentiate Them from the "
    "Actual, Full-Sized Images.  Please Provide a Prefix.  This Prefix is Only Applied to Thumbnail Images.");
const QString UnusablePrefixMessage = QStringLiteral(
    "The Prefix May Not Hold a Path Separator, \"..\" or a Control Character: the Thumbnails Would Be Saved "
    "Outside Their Directory.  Please Provide Another Prefix.");

// A box for whole numbers: digits only, at most `digits` of them.
QLineEdit *digitsBox(const char *name, QWidget *parent, int digits = 3)
{
    auto *box = Named<QLineEdit>(name, parent);
    box->setMaxLength(digits);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setMaximumWidth(60);
    SelectAllText(box);
    return box;
}

// The box's number held within the range; an empty box takes the lower end.
void holdWithin(QLineEdit *box, int lowest, int highest)
{
    const double value = Numbers::LeadingNumber(box->text());
    if (value > highest)
        box->setText(QString::number(highest));
    else if (value < lowest)
        box->setText(QString::number(lowest));
}

// The browser list could not be written: nothing changed, and the user is told why.
void reportListFailure(const QString &why)
{
    if (!why.isEmpty())
        Ui::MsgBox(QStringLiteral("The Browser List Could Not Be Saved.\n") + why, Ui::MsgButtons::OK,
                   Ui::MsgIcon::Exclamation, QStringLiteral("Browsers"));
}

QGroupBox *frame(const char *name, const char *caption)
{
    return Named<QGroupBox>(name, QString::fromUtf8(caption));
}

} // namespace

PreferencesDialog::PreferencesDialog(Preferences &preferences, const QString &appPath, QWidget *parent)
    : QDialog(parent), preferences(preferences), appPath(appPath)
{
    setObjectName(QStringLiteral("PREFS"));
    setWindowTitle(QStringLiteral("Thumbnail Preferences"));
    cmdClose = Named<QPushButton>("cmdClose", QStringLiteral("&Close"));
    cmdClose->setDefault(true);
    auto *left = new QVBoxLayout;
    left->addWidget(buildThumbnails());
    left->addWidget(buildDirectoryLoad());
    left->addWidget(buildDuplicates());
    left->addWidget(buildAlphaCase());
    left->addWidget(buildWebCopies());
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(buildSave());
    right->addWidget(buildBrowsers());
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    connect(cboSave, &QComboBox::currentIndexChanged, this, &PreferencesDialog::cboSave_Click);
    connect(chkArrange, &QCheckBox::toggled, this, &PreferencesDialog::chkArrange_Click);
    connect(cmdAddBrowser, &QPushButton::clicked, this, &PreferencesDialog::cmdAddBrowser_Click);
    connect(cmdDeleteBrowser, &QPushButton::clicked, this, &PreferencesDialog::cmdDeleteBrowser_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    for (QLineEdit *box : {txtWidth, txtHeight, txtQuality, txtFileNamePrefix, txtLongEdge})
        box->installEventFilter(this);
    GuardStore([this] { Form_Load(); });
}

QWidget *PreferencesDialog::buildThumbnails()
{
    QGroupBox *box = frame("fraThumbnails", "Thumbnails");
    txtWidth = digitsBox("txtWidth", box);
    txtHeight = digitsBox("txtHeight", box);
    auto *grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Maximum Thumbnail Size:")), 0, 0, 1, 3);
    grid->addWidget(LabelFor(QStringLiteral("Width:"), txtWidth), 1, 0);
    grid->addWidget(txtWidth, 1, 1);
    grid->addWidget(Named<UpDown>("UpDown2", txtWidth, 30, 300), 1, 2, Qt::AlignLeft);
    grid->addWidget(LabelFor(QStringLiteral("Height:"), txtHeight), 2, 0);
    grid->addWidget(txtHeight, 2, 1);
    grid->addWidget(Named<UpDown>("UpDown3", txtHeight, 30, 300), 2, 2, Qt::AlignLeft);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget *PreferencesDialog::buildDirectoryLoad()
{
    QGroupBox *box = frame("fraDirLoad", "Directory Thumbnail Load");
    chkArrange = Named<QCheckBox>("chkArrange", QStringLiteral("Automatically Arrange Thumbnails on Directory Load"));
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(chkArrange);
    auto *options = new QHBoxLayout;
    int index = 0;
    for (const char *caption : {"Cascade", "Tile", "Mosaic"}) {
        optArrange[index] = Named<QRadioButton>("optArrange", QString::fromUtf8(caption));
        options->addWidget(optArrange[index++]);
    }
    layout->addLayout(options);
    return box;
}

QWidget *PreferencesDialog::buildDuplicates()
{
    QGroupBox *box = frame("fraDuplicateImages", "Duplicate Images");
    chkDuplicateImages = Named<QCheckBox>("chkDuplicateImages",
                                          QStringLiteral("Pop Up a Notification When a Duplicate Image is Opened"));
    (new QVBoxLayout(box))->addWidget(chkDuplicateImages);
    return box;
}

QWidget *PreferencesDialog::buildAlphaCase()
{
    QGroupBox *box = frame("Frame1", "Files Alpha-Case");
    chkImageCase = Named<QCheckBox>("chkImageCase", QStringLiteral("Convert All Image File Names to Lower Case"));
    chkThumbnailCase =
        Named<QCheckBox>("chkThumbnailCase", QStringLiteral("Convert All Thumbnail File Names to Lower Case"));
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(chkImageCase);
    layout->addWidget(chkThumbnailCase);
    return box;
}

QWidget *PreferencesDialog::buildWebCopies()
{
    QGroupBox *box = frame("fraWebCopies", "Web Copies");
    chkWebReady = Named<QCheckBox>("chkWebReady", QStringLiteral("Copy TIFF, Targa, PCX, Metafiles and HEIC as JPEG or PNG"));
    chkRemoveMetadata = Named<QCheckBox>("chkRemoveMetadata", QStringLiteral("Remove Photo Metadata (EXIF, GPS) from Copies"));
    chkHighDensity = Named<QCheckBox>("chkHighDensity", QStringLiteral("Also Save Thumbnails at Twice the Size (@2x)"));
    txtLongEdge = digitsBox("txtLongEdge", box, 5);
    auto *layout = new QGridLayout(box);
    layout->addWidget(chkWebReady, 0, 0, 1, 3);
    layout->addWidget(LabelFor(QStringLiteral("Longest Edge of Copies:"), txtLongEdge), 1, 0);
    layout->addWidget(txtLongEdge, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("pixels (0 keeps the size)")), 1, 2);
    layout->addWidget(chkRemoveMetadata, 2, 0, 1, 3);
    layout->addWidget(chkHighDensity, 3, 0, 1, 3);
    return box;
}

QWidget *PreferencesDialog::buildSave()
{
    QGroupBox *box = frame("fraSave", "Save Images");
    cboSave = Named<QComboBox>("cboSave");
    txtFileNamePrefix = Named<QLineEdit>("txtFileNamePrefix");
    txtFileNamePrefix->setMaxLength(10);
    SelectAllText(txtFileNamePrefix);
    chkProgressive = Named<QCheckBox>("chkProgressive", QStringLiteral("Progressive Format:"));
    chkProgressive->setLayoutDirection(Qt::RightToLeft);  // the caption before the box
    lblColorDepth = Named<QLabel>("lblColorDepth", QStringLiteral("Color Depth:"));
    cboColorDepth = Named<QComboBox>("cboColorDepth");
    lblQuality = Named<QLabel>("lblQuality", QStringLiteral("Quality (Compression):"));
    txtQuality = digitsBox("txtQuality", box);
    updQuality = Named<UpDown>("updQuality", txtQuality, 5, 100);
    lblColorDepth->setBuddy(cboColorDepth);
    lblQuality->setBuddy(txtQuality);
    auto *grid = new QGridLayout(box);
    grid->addWidget(LabelFor(QStringLiteral("Save Thumbnails as:"), cboSave), 0, 0);
    grid->addWidget(cboSave, 0, 1);
    grid->addWidget(LabelFor(QStringLiteral("File Name Prefix:"), txtFileNamePrefix), 1, 0);
    grid->addWidget(txtFileNamePrefix, 1, 1);
    grid->addWidget(chkProgressive, 2, 0, Qt::AlignLeft);
    grid->addWidget(lblColorDepth, 3, 0);
    grid->addWidget(cboColorDepth, 3, 1);
    grid->addWidget(lblQuality, 4, 0);
    auto *quality = new QHBoxLayout;
    quality->addWidget(txtQuality);
    quality->addWidget(updQuality);
    quality->addStretch();
    grid->addLayout(quality, 4, 1);
    return box;
}

QWidget *PreferencesDialog::buildBrowsers()
{
    QGroupBox *box = frame("fraBrowsers", "Browsers");
    optBrowser[0] = Named<QRadioButton>("optBrowser", QStringLiteral("Use the Default Browser"));
    optBrowser[1] = Named<QRadioButton>("optBrowser", QStringLiteral("Select a Browser/Application upon Viewing Web Page(s)"));
    ListView1 = Named<QTreeWidget>("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setAccessibleName(QStringLiteral("Registered browsers"));
    ListView1->setMinimumWidth(320);
    cmdAddBrowser = Named<QPushButton>("cmdAddBrowser", QStringLiteral("&Add a Browser"));
    cmdDeleteBrowser = Named<QPushButton>("cmdDeleteBrowser", QStringLiteral("&Delete Selected Browser"));
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(optBrowser[0]);
    layout->addWidget(optBrowser[1]);
    layout->addWidget(new QLabel(QStringLiteral("Registered Browsers:")));
    layout->addWidget(ListView1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdAddBrowser);
    buttons->addWidget(cmdDeleteBrowser);
    buttons->addStretch();
    layout->addLayout(buttons);
    return box;
}

void PreferencesDialog::Form_Load()
{
    using namespace Settings;
    const StoredSection section(PreferencesSection);
    cboSave->addItems({QStringLiteral("JPG"), QStringLiteral("PNG")});
    cboColorDepth->addItems({QStringLiteral("24-bit (Millions of Colors)"), QStringLiteral("8-bit (256 Colors)")});
    txtWidth->setText(QString::number(preferences.thumbnailBox.width()));
    txtHeight->setText(QString::number(preferences.thumbnailBox.height()));
    chkArrange->setChecked(AutoArrangeAfterLoad.read(section));
    // A method no option stands for selects none, and is then left as it is.
    if (const int method = AutoArrangeMethod.read(section); method >= 0 && method < 3)
        optArrange[method]->setChecked(true);
    chkDuplicateImages->setChecked(NotifyOfDuplicateImages.read(section));
    cboSave->setCurrentIndex(SavedThumbnailExtension(SaveImageFileType.read(section)) == QLatin1String("png") ? 1 : 0);
    cboSave_Click();  // also when the index did not change
    txtFileNamePrefix->setText(SaveImageFileNamePrefix.read(section));
    chkProgressive->setChecked(SaveImageProgressive.read(section));
    // After the type: a stored 8-bit depth shows even for JPG, where it is disabled.
    cboColorDepth->setCurrentIndex(SaveImageReducedColours.read(section) ? 1 : 0);
    txtQuality->setText(QString::number(SaveImageQuality.read(section)));
    chkArrange_Click();
    optBrowser[UseSpecificBrowser.read(section) ? 1 : 0]->setChecked(true);
    chkThumbnailCase->setChecked(ThumbnailNamesLowerCase.read(section));
    chkImageCase->setChecked(ImageNamesLowerCase.read(section));
    chkWebReady->setChecked(WebReadyImages.read(section));
    txtLongEdge->setText(QString::number(WebImageLongEdge.read(section)));
    chkRemoveMetadata->setChecked(RemovePhotoMetadata.read(section));
    chkHighDensity->setChecked(HighDensityThumbnails.read(section));
    ListView1->setHeaderLabels({QStringLiteral("Browser"), QStringLiteral("Path")});
    const int listWidth = ListView1->minimumWidth();
    ListView1->header()->resizeSection(0, int(0.6 * listWidth));
    ListView1->header()->resizeSection(1, int(1.5 * listWidth));
    refillBrowsers();
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void PreferencesDialog::refillBrowsers()
{
    FileIcons icons;
    Browsers::FillBrowserList(*ListView1, icons, appPath);
}

void PreferencesDialog::cboSave_Click()
{
    const bool jpeg = cboSave->currentText() == QLatin1String("JPG");
    if (jpeg)
        cboColorDepth->setCurrentIndex(0);
    SetEnabled({cboColorDepth, lblColorDepth}, !jpeg);
    SetEnabled({txtQuality, updQuality, lblQuality}, jpeg);
}

void PreferencesDialog::chkArrange_Click()
{
    for (QRadioButton *option : optArrange)
        option->setEnabled(chkArrange->isChecked());
}

void PreferencesDialog::cmdAddBrowser_Click()
{
#ifdef Q_OS_WIN
    const int programs = 2;
    const QString pattern = QStringLiteral("*.exe");
#else
    const int programs = 1;  // programs here have no extension to filter by
    const QString pattern = QStringLiteral("*");
#endif
    const Ui::FileDialogAnswer answer = Ui::platform().openFile(
        {QStringLiteral("Specify the Application/Browser to Add"),
         QStringLiteral("All Files (*.*)|*.*|Programs (*.exe)|*.exe"), programs, preferences.lastOpenDirectory,
         pattern});
    if (answer.fileName.isEmpty())
        return;
    reportListFailure(Browsers::Add(appPath, QDir::toNativeSeparators(answer.fileName)));
    refillBrowsers();
}

void PreferencesDialog::cmdDeleteBrowser_Click()
{
    const QTreeWidgetItem *selected = ListView1->currentItem();
    if (!selected || !selected->isSelected()) {
        Ui::platform().beep();
        return;
    }
    reportListFailure(Browsers::Remove(appPath, selected->text(1)));
    refillBrowsers();
}

void PreferencesDialog::txtWidth_LostFocus()
{
    holdWithin(txtWidth, 30, 300);
}

void PreferencesDialog::txtHeight_LostFocus()
{
    holdWithin(txtHeight, 30, 300);
}

void PreferencesDialog::txtQuality_LostFocus()
{
    holdWithin(txtQuality, 5, 100);
}

void PreferencesDialog::txtLongEdge_LostFocus()
{
    holdWithin(txtLongEdge, Settings::WebImageLongEdge.lowest, Settings::WebImageLongEdge.highest);
}

// An empty prefix, or one that would put thumbnails elsewhere, is refused with a
// message and replaced by the default.
void PreferencesDialog::txtFileNamePrefix_LostFocus()
{
    const QString prefix = txtFileNamePrefix->text();
    if (!prefix.isEmpty() && Paths::UsablePrefix(prefix))
        return;
    Ui::MsgBox(prefix.isEmpty() ? PrefixMessage : UnusablePrefixMessage, Ui::MsgButtons::OK, Ui::MsgIcon::Information,
               QStringLiteral("Thumbnail File Name Prefix"));
    txtFileNamePrefix->setText(QStringLiteral("QM_"));
    txtFileNamePrefix->setFocus();
}

bool PreferencesDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == txtWidth)
            txtWidth_LostFocus();
        else if (watched == txtHeight)
            txtHeight_LostFocus();
        else if (watched == txtQuality)
            txtQuality_LostFocus();
        else if (watched == txtFileNamePrefix)
            txtFileNamePrefix_LostFocus();
        else if (watched == txtLongEdge)
            txtLongEdge_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void PreferencesDialog::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

// Writes every preference back. The number boxes are held within their ranges first,
// as leaving them would: a dialog closed with Esc while a box is being edited must
// not give the thumbnails a size of 0.
void PreferencesDialog::Form_Unload()
{
    if (std::exchange(unloaded, true))
        return;
    txtWidth_LostFocus();
    txtHeight_LostFocus();
    txtQuality_LostFocus();
    txtLongEdge_LostFocus();
    if (txtFileNamePrefix->text().isEmpty() || !Paths::UsablePrefix(txtFileNamePrefix->text()))
        txtFileNamePrefix->setText(QStringLiteral("QM_"));
    preferences.thumbnailBox = QSize(Numbers::RoundHalfEven(Numbers::LeadingNumber(txtWidth->text())),
                                     Numbers::RoundHalfEven(Numbers::LeadingNumber(txtHeight->text())));
    GuardStore([this] {
        using namespace Settings;
        SettingsSection section(PreferencesSection);
        ThumbnailWidth.write(section, preferences.thumbnailBox.width());
        ThumbnailHeight.write(section, preferences.thumbnailBox.height());
        AutoArrangeAfterLoad.write(section, chkArrange->isChecked());
        for (int index = 0; index < 3; ++index)
            if (optArrange[index]->isChecked()) {
                AutoArrangeMethod.write(section, index);
                break;
            }
        NotifyOfDuplicateImages.write(section, chkDuplicateImages->isChecked());
        SaveImageFileType.write(section, cboSave->currentText());
        SaveImageFileNamePrefix.write(section, txtFileNamePrefix->text());
        SaveImageProgressive.write(section, chkProgressive->isChecked());
        SaveImageReducedColours.write(section, cboColorDepth->currentIndex() != 0);
        SaveImageQuality.write(section, Numbers::RoundHalfEven(Numbers::LeadingNumber(txtQuality->text())));
        UseSpecificBrowser.write(section, !optBrowser[0]->isChecked());
        ThumbnailNamesLowerCase.write(section, chkThumbnailCase->isChecked());
        ImageNamesLowerCase.write(section, chkImageCase->isChecked());
        WebReadyImages.write(section, chkWebReady->isChecked());
        WebImageLongEdge.write(section, Numbers::RoundHalfEven(Numbers::LeadingNumber(txtLongEdge->text())));
        RemovePhotoMetadata.write(section, chkRemoveMetadata->isChecked());
        HighDensityThumbnails.write(section, chkHighDensity->isChecked());
    });
}
