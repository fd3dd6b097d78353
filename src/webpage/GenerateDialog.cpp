#include "webpage/GenerateDialog.h"

#include "imagebuffer/ImageBuffer.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "thumbs/FullSizeWindow.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Numbers.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "ui/Controls.h"
#include "ui/Twips.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>

namespace {

QLabel *label(const char *caption)
{
    return new QLabel(QString::fromUtf8(caption));
}

// Colours are kept as the page keeps them: 24 bits, red in the low byte.
QColor toColor(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

quint32 toPageColour(const QColor &colour)
{
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}

void paintSwatch(QLabel *swatch, quint32 colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, toColor(colour));
    swatch->setPalette(palette);
}

QLabel *swatch(const char *name)
{
    auto *made = Named<QLabel>(name);
    made->setAutoFillBackground(true);
    made->setFrameShape(QFrame::Box);
    made->setFixedSize(Twips::ToPixelsX(495), Twips::ToPixelsY(285));
    return made;
}

QToolButton *colourButton(const char *name)
{
    auto *button = Named<QToolButton>(name);
    button->setIcon(QIcon::fromTheme(QStringLiteral("color-select-symbolic"),
                                     QIcon::fromTheme(QStringLiteral("preferences-desktop-color"))));
    if (button->icon().isNull())
        button->setText(QStringLiteral("..."));
    button->setToolTip(QStringLiteral("Choose a Color"));
    button->setAccessibleName(button->toolTip());
    return button;
}

// A number box with its up-down buttons on one row of a grid.
QLineEdit *numberRow(QGridLayout *grid, int row, const char *caption, const char *boxName, const char *upDownName,
                     int minimum, int maximum)
{
    auto *box = Named<QLineEdit>(boxName);
    box->setMaximumWidth(Twips::ToPixelsX(735));
    grid->addWidget(LabelFor(QString::fromUtf8(caption), box), row, 0);
    grid->addWidget(box, row, 1);
    grid->addWidget(Named<UpDown>(upDownName, box, minimum, maximum), row, 2, Qt::AlignLeft);
    return box;
}

// Controls side by side from the left.
QHBoxLayout *row(std::initializer_list<QWidget *> controls)
{
    auto *layout = new QHBoxLayout;
    for (QWidget *control : controls)
        layout->addWidget(control);
    layout->addStretch();
    return layout;
}

QFrame *tabFrame(const char *name)
{
    auto *frame = Named<QFrame>(name);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

// The HTML font sizes 1 to 7 as the font dialog's point sizes.
int pointSizeOf(const QString &fontSize)
{
    static const QStringList sizes = {"1", "2", "3", "4", "5", "6", "7"};
    static const int points[] = {8, 10, 12, 14, 18, 24, 36};
    const int index = int(sizes.indexOf(fontSize));
    return index < 0 ? 0 : points[index];
}

bool endsWithSeparator(const QString &text)
{
    return text.endsWith(QLatin1Char('/')) || text.endsWith(QLatin1Char('\\'));
}

} // namespace

GenerateDialog::GenerateDialog(const GenerateContext &context, QWidget *parent) : QDialog(parent), context(context)
{
    setObjectName(QStringLiteral("GENERATE"));
    setWindowTitle(QStringLiteral("Generate HTML Code"));
    cmdCode = Named<QPushButton>("cmdCode", QStringLiteral("Generate C&ode"));
    cmdCancel = Named<QPushButton>("cmdCancel", QStringLiteral("&Cancel"));
    cmdCode->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCode);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildParameters());
    layout->addWidget(buildOptions());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QLineEdit *box : findChildren<QLineEdit *>())
        SelectAllText(box);
    for (QLineEdit *box : {txtWebImages, txtSiteThumbs})
        box->installEventFilter(this);
    picBackgroundImage->viewport()->installEventFilter(this);
    picBackgroundImage->installEventFilter(this);
    picBackgroundImage->setFocusPolicy(Qt::StrongFocus);
    connect(cmdCode, &QPushButton::clicked, this, &GenerateDialog::cmdCode_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(TabStrip1, &QTabBar::currentChanged, this, &GenerateDialog::TabStrip1_Click);
    Form_Load();
    connectOptions();
    hscThumb->setValue(1);
    DisplayThumbnail(1);
    DisplayThumbValues(1);
}

QGroupBox *GenerateDialog::buildParameters()
{
    auto *frame = Named<QGroupBox>("fraParameters", QStringLiteral("Parameters"));
    auto *grid = new QGridLayout(frame);
    txtWebImages = Named<QLineEdit>("txtWebImages");
    txtSiteThumbs = Named<QLineEdit>("txtSiteThumbs");
    grid->addWidget(LabelFor(QStringLiteral("Web Site Image Directory:"), txtWebImages), 0, 0);
    grid->addWidget(txtWebImages, 0, 1);
    grid->addWidget(LabelFor(QStringLiteral("Web Site Thumbnail Directory:"), txtSiteThumbs), 1, 0);
    grid->addWidget(txtSiteThumbs, 1, 1);
    return frame;
}

QGroupBox *GenerateDialog::buildOptions()
{
    auto *frame = Named<QGroupBox>("fraOptions", QStringLiteral("Options"));
    frame->setMinimumSize(Twips::ToPixelsX(7155), Twips::ToPixelsY(3615));
    chkPageCode = Named<QCheckBox>("chkPageCode", QStringLiteral("Include Full Page Code when Generating HTML Code"));
    TabStrip1 = Named<QTabBar>("TabStrip1");
    TabStrip1->setUsesScrollButtons(false);
    for (const char *tab : {"Table Properties", "Background", "Font Properties", "Thumbnail Properties"})
        TabStrip1->addTab(QString::fromUtf8(tab));
    frames[0] = buildTableTab();
    frames[1] = buildBackgroundTab();
    frames[2] = buildFontTab();
    frames[3] = buildThumbnailTab();
    // Every tab as large as the largest, so that the dialog keeps its size.
    QSize largest;
    for (QFrame *page : frames)
        largest = largest.expandedTo(page->sizeHint());
    auto *pages = new QGridLayout;
    for (QFrame *page : frames) {
        page->setMinimumSize(largest);
        pages->addWidget(page, 0, 0);
        page->hide();
    }
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(chkPageCode);
    layout->addWidget(TabStrip1);
    layout->addLayout(pages, 1);
    return frame;
}

QFrame *GenerateDialog::buildTableTab()
{
    QFrame *frame = tabFrame("fraTableProp");
    auto *grid = new QGridLayout(frame);
    txtBorder = numberRow(grid, 0, "Border:", "txtBorder", "updBorder", 0, 100);
    txtCellSpacing = numberRow(grid, 1, "Cell Spacing:", "txtCellSpacing", "updCellSpacing", 0, 100);
    txtCellPadding = numberRow(grid, 2, "Cell Paddng:", "txtCellPadding", "updCellPadding", 0, 100);
    txtRows = numberRow(grid, 3, "Rows:", "txtRows", "updRows", 1, 100);
    txtColumns = numberRow(grid, 4, "Columns:", "txtColumns", "updColumns", 1, 100);
    chkBorderColor = Named<QCheckBox>("chkBorderColor", QStringLiteral("Default"));
    picBorderColor = swatch("picBorderColor");
    cmdBorderColor = colourButton("cmdBorderColor");
    grid->addWidget(LabelFor(QStringLiteral("Border Color:"), chkBorderColor), 0, 3);
    grid->addLayout(row({chkBorderColor, picBorderColor, cmdBorderColor}), 0, 4);
    lblCellAmount = Named<QLabel>("lblCellAmount");
    lblCellAmount->setWordWrap(true);
    grid->addWidget(lblCellAmount, 2, 3, 3, 2, Qt::AlignTop);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(5, 1);
    return frame;
}

QFrame *GenerateDialog::buildBackgroundTab()
{
    QFrame *frame = tabFrame("fraTableBackground");
    chkDefaultBackgroundColor = Named<QCheckBox>("chkDefaultBackgroundColor", QStringLiteral("Use Default Background Color"));
    lblBackgroundColor = Named<QLabel>("lblBackgroundColor", QStringLiteral("Background Color:"));
    picBackgroundColor = swatch("picBackgroundColor");
    cmdBackgroundColor = colourButton("cmdBackgroundColor");
    chkBackgroundImage = Named<QCheckBox>("chkBackgroundImage", QStringLiteral("Use Background Image"));
    txtBackgroundImage = Named<QLineEdit>("txtBackgroundImage");
    txtBackgroundImage->setAccessibleName(QStringLiteral("Background image file"));
    cmdBackgroundImage = Named<QPushButton>("cmdBackgroundImage", QStringLiteral("..."));
    cmdBackgroundImage->setFixedWidth(Twips::ToPixelsX(375));
    picBackgroundImage = Named<ImageBuffer>("picBackgroundImage");
    picBackgroundImage->setFixedSize(Twips::ToPixelsX(2415), Twips::ToPixelsY(1455));
    picBackgroundImage->setToolTip(QStringLiteral("Click to see the image at full size"));
    picBackgroundImage->setAccessibleName(QStringLiteral("Background image preview"));
    picBackgroundImage->setAccessibleDescription(picBackgroundImage->toolTip());
    lblImageFile = Named<QLabel>(
        "lblImageFile",
        QStringLiteral("This Image File Should Be Placed in the Web Site Image Directory For Correct Loading."));
    lblImageFile->setWordWrap(true);
    lblImageFile->hide();

    auto *grid = new QGridLayout(frame);
    grid->addWidget(chkDefaultBackgroundColor, 0, 0, 1, 3);
    grid->addLayout(row({lblBackgroundColor, picBackgroundColor, cmdBackgroundColor}), 1, 0, 1, 3);
    grid->addWidget(chkBackgroundImage, 2, 0, 1, 3);
    grid->addWidget(txtBackgroundImage, 3, 0, 1, 2);
    grid->addWidget(cmdBackgroundImage, 3, 2);
    grid->addWidget(picBackgroundImage, 4, 0);
    grid->addWidget(lblImageFile, 4, 1, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    return frame;
}

QFrame *GenerateDialog::buildFontTab()
{
    QFrame *frame = tabFrame("fraFont");
    chkFontColorDefault = Named<QCheckBox>("chkFontColorDefault");
    picFontColor = swatch("picFontColor");
    cmdFontColor = colourButton("cmdFontColor");
    chkDefaultFontType = Named<QCheckBox>("chkDefaultFontType");
    lblOtherFontType = Named<QLabel>("lblOtherFontType");
    lblOtherFontType->setFrameShape(QFrame::Panel);
    lblOtherFontType->setFrameShadow(QFrame::Sunken);
    lblOtherFontType->setMinimumWidth(Twips::ToPixelsX(1815));
    cmdFontType = Named<QPushButton>("cmdFontType", QStringLiteral("..."));
    cmdFontType->setFixedWidth(Twips::ToPixelsX(375));
    chkFontBold = Named<QCheckBox>("chkFontBold");
    chkDisplayFileName = Named<QCheckBox>("chkDisplayFileName", QStringLiteral("Display File Name"));
    chkDisplayImageSize = Named<QCheckBox>("chkDisplayImageSize", QStringLiteral("Display Image Size"));
    chkDisplayFileSize = Named<QCheckBox>("chkDisplayFileSize", QStringLiteral("Display File Size"));
    auto *otherColour = Named<QLabel>("lblDefaultFontColor", QStringLiteral("Other:"));

    auto *grid = new QGridLayout(frame);
    chkFontColorDefault->setAccessibleName(QStringLiteral("Default font color"));
    chkDefaultFontType->setAccessibleName(QStringLiteral("Default font type"));
    grid->addWidget(label("Font Color:"), 0, 0);
    grid->addWidget(label("Default:"), 0, 1);
    grid->addWidget(chkFontColorDefault, 0, 2);
    grid->addWidget(otherColour, 0, 3);
    grid->addWidget(picFontColor, 0, 4);
    grid->addWidget(cmdFontColor, 0, 5);
    grid->addWidget(label("Font Type:"), 1, 0);
    grid->addWidget(label("Default:"), 1, 1);
    grid->addWidget(chkDefaultFontType, 1, 2);
    grid->addWidget(label("Other:"), 1, 3);
    grid->addWidget(lblOtherFontType, 1, 4);
    grid->addWidget(cmdFontType, 1, 5);
    grid->addWidget(LabelFor(QStringLiteral("Font Bold:"), chkFontBold), 2, 0);
    grid->addWidget(chkFontBold, 2, 2);
    auto *size = new QGridLayout;
    txtFontSize = numberRow(size, 0, "Font Size:", "txtFontSize", "updFontSize", 1, 7);
    grid->addLayout(size, 3, 0, 1, 4, Qt::AlignLeft);
    auto *display = new QVBoxLayout;
    for (QCheckBox *box : {chkDisplayFileName, chkDisplayImageSize, chkDisplayFileSize})
        display->addWidget(box);
    grid->addLayout(display, 2, 4, 2, 2);
    grid->setColumnStretch(6, 1);
    grid->setRowStretch(4, 1);
    return frame;
}

QFrame *GenerateDialog::buildThumbnailTab()
{
    QFrame *frame = tabFrame("fraThumbProp");
    hscThumb = Named<QScrollBar>("hscThumb", Qt::Horizontal);
    hscThumb->setPageStep(1);
    picContainer = Named<QFrame>("picContainer");
    picContainer->setFrameShape(QFrame::NoFrame);
    picContainer->setFixedSize(Twips::ToPixelsX(1275), Twips::ToPixelsY(1455));
    picDisplayThumb = Named<ImageBuffer>("picDisplayThumb", picContainer);
    picDisplayThumb->setFrameShape(QFrame::NoFrame);
    picDisplayThumb->setGeometry(picContainer->rect());
    picDisplayThumb->setBackColor(palette().color(QPalette::Button));
    picDisplayThumb->setAccessibleName(QStringLiteral("Thumbnail of the page position"));
    hscThumb->setAccessibleName(QStringLiteral("Page position"));
    lblThumbPosition = Named<QLabel>("lblThumbPosition");

    auto *grid = new QGridLayout;
    txtCaption = Named<QLineEdit>("txtCaption");
    txtLink = Named<QLineEdit>("txtLink");
    txtDefaultFrame = Named<QLineEdit>("txtDefaultFrame");
    grid->addWidget(LabelFor(QStringLiteral("Caption:"), txtCaption), 0, 0);
    grid->addWidget(txtCaption, 0, 1, 1, 2);
    grid->addWidget(LabelFor(QStringLiteral("Link:"), txtLink), 1, 0);
    grid->addWidget(txtLink, 1, 1, 1, 2);
    grid->addWidget(LabelFor(QStringLiteral("Default Frame:"), txtDefaultFrame), 2, 0);
    grid->addWidget(txtDefaultFrame, 2, 1, 1, 2);
    auto *numbers = new QGridLayout;
    txtThumbBorder = numberRow(numbers, 0, "Border:", "txtThumbBorder", "updThumbBorder", 0, 100);
    txtHorzSpacing = numberRow(numbers, 1, "Horizontal Spacing:", "txtHorzSpacing", "updHorzSpacing", 0, 100);
    txtVertSpacing = numberRow(numbers, 2, "Vertical Spacing:", "txtVertSpacing", "updVertSpacing", 0, 100);
    grid->addLayout(numbers, 3, 0, 1, 3, Qt::AlignLeft);

    auto *row = new QHBoxLayout;
    row->addWidget(picContainer, 0, Qt::AlignTop);
    row->addLayout(grid, 1);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(hscThumb);
    layout->addWidget(lblThumbPosition);
    layout->addLayout(row);
    layout->addStretch();
    return frame;
}

// Each control writes its option as the user changes it: check boxes on click, text
// boxes on every change. The Thumbnail Properties boxes also change the record of
// the position on show.
void GenerateDialog::connectOptions()
{
    const std::pair<QCheckBox *, const char *> checks[] = {
        {chkPageCode, "Include Page Code"},
        {chkDisplayFileName, "Display File Name"},
        {chkDisplayImageSize, "Display Image Size"},
        {chkDisplayFileSize, "Display File Size"},
        {chkBorderColor, "Table Default Border Color"},
        {chkDefaultBackgroundColor, "Default Background Color"},
        {chkFontColorDefault, "Default Font Color"},
        {chkDefaultFontType, "Use Default Font"},
        {chkBackgroundImage, "Use Background Image"},
        {chkFontBold, "Font Bold"},
    };
    for (const auto &[box, name] : checks)
        connect(box, &QCheckBox::toggled, this, [this, name = QString::fromUtf8(name)](bool checked) {
            typed(name, checked ? QStringLiteral("1") : QStringLiteral("0"));
            updateEnabledStates();
        });
    connect(chkBackgroundImage, &QCheckBox::toggled, this, [this] {
        if (!txtBackgroundImage->text().isEmpty())
            SetBackgroundImage();
    });

    const std::pair<QLineEdit *, const char *> boxes[] = {
        {txtBorder, "Table Border"},           {txtCellSpacing, "Table Cell Spacing"},
        {txtCellPadding, "Table Cell Padding"}, {txtFontSize, "Font Size"},
        {txtRows, "Table Rows"},               {txtColumns, "Table Columns"},
        {txtBackgroundImage, "Background Image File"}, {txtDefaultFrame, "Default Target Frame"},
        {txtThumbBorder, "Cell Image Border"}, {txtHorzSpacing, "Image Horizontal Spacing"},
        {txtVertSpacing, "Image Vertical Spacing"},
    };
    for (const auto &[box, name] : boxes)
        connect(box, &QLineEdit::textChanged, this,
                [this, name = QString::fromUtf8(name)](const QString &text) { typed(name, text); });
    connect(txtRows, &QLineEdit::textChanged, this, &GenerateDialog::DetermineCellAmount);
    connect(txtColumns, &QLineEdit::textChanged, this, &GenerateDialog::DetermineCellAmount);
    connect(txtBackgroundImage, &QLineEdit::textChanged, this, &GenerateDialog::SetBackgroundImage);

    // The record of the position the scroll bar shows.
    const auto record = [this](auto edit) {
        return [this, edit](const QString &text) {
            if (ThumbPageValues *values = currentRecord())
                edit(*values, text);
        };
    };
    connect(txtCaption, &QLineEdit::textChanged, this, record([](ThumbPageValues &v, const QString &t) { v.Caption = t; }));
    connect(txtLink, &QLineEdit::textChanged, this, record([](ThumbPageValues &v, const QString &t) { v.Link = t; }));
    connect(txtDefaultFrame, &QLineEdit::textChanged, this,
            record([](ThumbPageValues &v, const QString &t) { v.Target = t; }));
    connect(txtThumbBorder, &QLineEdit::textChanged, this,
            record([](ThumbPageValues &v, const QString &t) { v.Border = RecordNumber(t); }));
    connect(txtHorzSpacing, &QLineEdit::textChanged, this,
            record([](ThumbPageValues &v, const QString &t) { v.HSpace = RecordNumber(t); }));
    connect(txtVertSpacing, &QLineEdit::textChanged, this,
            record([](ThumbPageValues &v, const QString &t) { v.VSpace = RecordNumber(t); }));
    connect(hscThumb, &QScrollBar::valueChanged, this, [this](int position) {
        DisplayThumbnail(position);
        DisplayThumbValues(position);
    });

    connect(txtWebImages, &QLineEdit::textChanged, this,
            [this](const QString &text) { context.preferences.siteImageDirectory = text; });
    connect(txtSiteThumbs, &QLineEdit::textChanged, this,
            [this](const QString &text) { context.preferences.siteThumbnailDirectory = text; });
    connect(cmdBackgroundColor, &QToolButton::clicked, this, &GenerateDialog::cmdBackgroundColor_Click);
    connect(cmdBorderColor, &QToolButton::clicked, this, &GenerateDialog::cmdBorderColor_Click);
    connect(cmdFontColor, &QToolButton::clicked, this, &GenerateDialog::cmdFontColor_Click);
    connect(cmdBackgroundImage, &QPushButton::clicked, this, &GenerateDialog::cmdBackgroundImage_Click);
    connect(cmdFontType, &QPushButton::clicked, this, &GenerateDialog::cmdFontType_Click);
}

void GenerateDialog::Form_Load()
{
    GuardStore([this] {
        pageSlots = PageOrder(context.listing, context.thumbs);
        model.Load(PageSourcesOf(pageSlots, context.thumbs));
    });
    hscThumb->setRange(1, std::max(1, model.PageThumbCount()));
    txtWebImages->setText(context.preferences.siteImageDirectory);
    txtSiteThumbs->setText(context.preferences.siteThumbnailDirectory);
    showOptions();
    GuardStore([this] { model.StoreOptions(); });
    TabStrip1_Click(0);
    DetermineCellAmount();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}

// Puts every option into its control, as the stored values gave them.
void GenerateDialog::showOptions()
{
    const PageOptions &options = model.options;
    const std::pair<QCheckBox *, bool> checks[] = {
        {chkPageCode, options.includePageCode},
        {chkDefaultBackgroundColor, options.defaultBackgroundColor},
        {chkFontColorDefault, options.defaultFontColor},
        {chkBorderColor, options.defaultBorderColor},
        {chkDefaultFontType, options.useDefaultFont},
        {chkBackgroundImage, options.useBackgroundImage},
        {chkDisplayFileName, options.displayFileName},
        {chkDisplayImageSize, options.displayImageSize},
        {chkDisplayFileSize, options.displayFileSize},
        {chkFontBold, options.fontBold},
    };
    for (const auto &[box, checked] : checks)
        box->setChecked(checked);
    const std::pair<QLineEdit *, QString> boxes[] = {
        {txtFontSize, options.fontSize},        {txtBackgroundImage, options.backgroundImageFile},
        {txtColumns, options.tableColumns},     {txtRows, options.tableRows},
        {txtBorder, options.tableBorder},       {txtCellSpacing, options.cellSpacing},
        {txtCellPadding, options.cellPadding},  {txtHorzSpacing, options.horizontalSpacing},
        {txtVertSpacing, options.verticalSpacing}, {txtThumbBorder, options.cellImageBorder},
    };
    for (const auto &[box, text] : boxes)
        box->setText(text);
    lblOtherFontType->setText(options.nonDefaultFont);
    paintSwatch(picBackgroundColor, options.tableBackgroundColor);
    paintSwatch(picBorderColor, options.tableBorderColor);
    paintSwatch(picFontColor, options.tableFontColor);
    picBackgroundImage->setBackColor(toColor(options.tableBackgroundColor));
    updateEnabledStates();
    if (!options.backgroundImageFile.isEmpty())
        SetBackgroundImage();
}

void GenerateDialog::updateEnabledStates()
{
    SetEnabled({picBorderColor, cmdBorderColor}, !chkBorderColor->isChecked());
    SetEnabled({lblBackgroundColor, cmdBackgroundColor, picBackgroundColor}, !chkDefaultBackgroundColor->isChecked());
    SetEnabled({cmdFontColor, picFontColor}, !chkFontColorDefault->isChecked());
    SetEnabled({cmdFontType, lblOtherFontType}, !chkDefaultFontType->isChecked());
    SetEnabled({cmdBackgroundImage, txtBackgroundImage, lblImageFile}, chkBackgroundImage->isChecked());
}

void GenerateDialog::typed(const QString &name, const QString &text)
{
    model.options.set(name, text);
    if (name != QLatin1String("Font Bold"))
        store(name);
}

void GenerateDialog::store(const QString &name)
{
    GuardStore([this, &name] {
        if (!htmlPreferences)
            htmlPreferences.emplace(Settings::HtmlPreferencesSection);
        htmlPreferences->SetValue(name, model.options.storedText(name));
    });
}

ThumbPageValues *GenerateDialog::currentRecord()
{
    const int index = hscThumb->value() - 1;
    return index >= 0 && index < model.PageThumbValues.size() ? &model.PageThumbValues[index] : nullptr;
}

void GenerateDialog::TabStrip1_Click(int index)
{
    for (int tab = 0; tab < 4; ++tab)
        frames[tab]->setVisible(tab == index);
    if (TabStrip1->currentIndex() != index)
        TabStrip1->setCurrentIndex(index);
}

void GenerateDialog::DetermineCellAmount()
{
    lblCellAmount->setText(::DetermineCellAmount(txtRows->text(), txtColumns->text(), model.PageThumbCount()));
}

// The thumbnail of a position, whole and in its own proportions, centred in the
// preview's container.
void GenerateDialog::DisplayThumbnail(int position)
{
    picDisplayThumb->Clear();
    lblThumbPosition->clear();
    if (position < 1 || position > model.PageThumbCount())
        return;
    // Which picture the values below belong to.
    const QString &caption = model.PageSources[position - 1].caption;
    lblThumbPosition->setText(QStringLiteral("Position %1 of %2: %3")
                                  .arg(QString::number(position), QString::number(model.PageThumbCount()),
                                       CaptionFileName(caption)));
    const ThumbnailRecord *record = context.thumbs.record(pageSlots[position - 1]);
    if (!record)
        return;
    const Picture &thumbnail = record->picture;
    const QSize area = picContainer->size();
    const QSize source(std::max(1, thumbnail.width()), std::max(1, thumbnail.height()));
    QSize fitted;
    QPoint place;
    if (double(source.height()) / area.height() > double(source.width()) / area.width()) {
        fitted = QSize(std::max(1, qRound(double(area.height()) * source.width() / source.height())), area.height());
        place = QPoint((area.width() - fitted.width()) / 2, 0);
    } else {
        fitted = QSize(area.width(), std::max(1, qRound(double(area.width()) * source.height() / source.width())));
        place = QPoint(0, (area.height() - fitted.height()) / 2);
    }
    picDisplayThumb->CreateImage(thumbnail.depth(), fitted.width(), fitted.height(), Qt::white);
    picDisplayThumb->setResampleMode(Resampling::Smooth);
    picDisplayThumb->move(place);
    picDisplayThumb->CopyScaled(thumbnail);
}

void GenerateDialog::DisplayThumbValues(int position)
{
    if (position < 1 || position > model.PageThumbValues.size())
        return;
    const ThumbPageValues values = model.PageThumbValues[position - 1];
    txtCaption->setText(values.Caption);
    txtHorzSpacing->setText(QString::number(values.HSpace));
    txtVertSpacing->setText(QString::number(values.VSpace));
    txtThumbBorder->setText(QString::number(values.Border));
    txtLink->setText(values.Link);
    txtDefaultFrame->setText(values.Target);
}

// Shows the picture of the background image box. A name that names no file (yet)
// leaves the preview as it was, so typing a path does not flicker through messages.
void GenerateDialog::SetBackgroundImage()
{
    const QString path = QDir::toNativeSeparators(txtBackgroundImage->text());
    const auto clear = [this] {
        picBackgroundImage->Clear();
        lblImageFile->hide();
    };
    if (Paths::FileNameOf(path).isEmpty()) {
        clear();
        return;
    }
    const QFileInfo file(path);
    if (!file.exists() || file.isDir())
        return;
    Picture picture;
    if (!LoadAnyImageFile(picture, path)) {
        clear();
        Ui::MsgBox(Paths::FileNameOf(path) + QStringLiteral(" Could Not Be Used As A Background Image File."),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Critical, QStringLiteral("Invalid Image File"));
        return;
    }
    picBackgroundImage->setPicture(picture);
    lblImageFile->show();
}

void GenerateDialog::chooseColour(QLabel *swatch, quint32 PageOptions::*colour, const QString &name)
{
    const std::optional<QColor> chosen = Ui::platform().chooseColor(toColor(model.options.*colour));
    if (!chosen)
        return;
    model.options.*colour = toPageColour(*chosen);
    paintSwatch(swatch, model.options.*colour);
    if (swatch == picBackgroundColor)
        picBackgroundImage->setBackColor(*chosen);
    store(name);
}

void GenerateDialog::cmdBackgroundColor_Click()
{
    chooseColour(picBackgroundColor, &PageOptions::tableBackgroundColor, QStringLiteral("Table Background Color"));
}

void GenerateDialog::cmdBorderColor_Click()
{
    chooseColour(picBorderColor, &PageOptions::tableBorderColor, QStringLiteral("Table Border Color"));
}

void GenerateDialog::cmdFontColor_Click()
{
    chooseColour(picFontColor, &PageOptions::tableFontColor, QStringLiteral("Table Font Color"));
}

void GenerateDialog::cmdBackgroundImage_Click()
{
    const Ui::FileDialogAnswer answer =
        Ui::platform().openFile({QStringLiteral("Choose a Background Image"), QStringLiteral("All Files (*.*)|*.*"), 1,
                                 context.preferences.lastOpenDirectory, QStringLiteral("*.*")});
    if (!answer.fileName.isEmpty())
        txtBackgroundImage->setText(QDir::toNativeSeparators(answer.fileName));
}

void GenerateDialog::cmdFontType_Click()
{
    QFont initial;
    if (!lblOtherFontType->text().isEmpty())
        initial.setFamily(lblOtherFontType->text());
    initial.setBold(chkFontBold->isChecked());
    if (const int points = pointSizeOf(txtFontSize->text()))
        initial.setPointSize(points);
    const std::optional<QFont> chosen = Ui::platform().chooseFont(initial);
    if (!chosen)
        return;
    // A family the system lists from two foundries comes as "Nimbus Sans [urw]";
    // browsers know the family by its name alone.
    const QString family = chosen->family().remove(QRegularExpression(QStringLiteral("\\s*\\[[^\\]]*\\]$")));
    lblOtherFontType->setText(family);
    chkFontBold->setChecked(chosen->bold());
    model.options.nonDefaultFont = family;
    store(QStringLiteral("Non-Default Font"));
}

void GenerateDialog::cmdCode_Click()
{
    QString html;
    const bool generated = GuardStore([this, &html] {
        Ui::BusyPointer busy;
        html = GenerateHtml(model.request(context.preferences));
    });
    if (generated && context.showCode)
        context.showCode(html, model, this);
}

void GenerateDialog::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void GenerateDialog::Form_Unload()
{
    if (std::exchange(unloaded, true))
        return;
    GuardStore([this] { model.Unload(context.preferences); });
}

bool GenerateDialog::eventFilter(QObject *watched, QEvent *event)
{
    // A web directory is written without its closing separator; one is removed.
    if (event->type() == QEvent::FocusOut && (watched == txtWebImages || watched == txtSiteThumbs)) {
        auto *box = static_cast<QLineEdit *>(watched);
        if (endsWithSeparator(box->text()))
            box->setText(box->text().chopped(1));
    }
    // A click on the preview, or Enter or Space while it has the focus, shows the
    // background image at full size.
    const auto key = [event] { return static_cast<QKeyEvent *>(event)->key(); };
    const bool asked = (watched == picBackgroundImage->viewport() && event->type() == QEvent::MouseButtonRelease)
                       || (watched == picBackgroundImage && event->type() == QEvent::KeyPress
                           && (key() == Qt::Key_Return || key() == Qt::Key_Enter || key() == Qt::Key_Space));
    if (asked && !picBackgroundImage->picture().isNull())
        ShowFullSize(QDir::toNativeSeparators(txtBackgroundImage->text()), this);
    return QDialog::eventFilter(watched, event);
}
