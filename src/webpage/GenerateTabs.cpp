#include "webpage/GenerateTabs.h"

#include "imagebuffer/ImageBuffer.h"
#include "thumbs/FullSizeWindow.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Controls.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "ui/Twips.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
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

// The HTML font sizes 1 to 7 as the font dialog's point sizes.
int pointSizeOf(const QString &fontSize)
{
    static const QStringList sizes = {"1", "2", "3", "4", "5", "6", "7"};
    static const int points[] = {8, 10, 12, 14, 18, 24, 36};
    const int index = int(sizes.indexOf(fontSize));
    return index < 0 ? 0 : points[index];
}

} // namespace

GenerateTab::GenerateTab(const char *name, PageEditor &editor) : editor(editor)
{
    setObjectName(QString::fromUtf8(name));
    setFrameShape(QFrame::NoFrame);
}

void GenerateTab::bind(QCheckBox *box, bool PageOptions::*field)
{
    checks.append({box, field});
}

void GenerateTab::bind(QLineEdit *box, QString PageOptions::*field)
{
    boxes.append({box, field});
}

void GenerateTab::showOptions()
{
    const PageOptions &options = editor.editedPage().options;
    for (const auto &[box, field] : checks)
        box->setChecked(options.*field);
    for (const auto &[box, field] : boxes)
        box->setText(options.*field);
    showOtherOptions();
    updateEnabledStates();
}

void GenerateTab::connectOptions()
{
    for (const auto &[box, field] : checks)
        connect(box, &QCheckBox::toggled, this, [this, field = field](bool checked) {
            editor.typed(field, PageOptions::FlagText(checked));
            updateEnabledStates();
        });
    for (const auto &[box, field] : boxes)
        connectBox(box, field);
    connectOtherControls();
}

void GenerateTab::connectBox(QLineEdit *box, QString PageOptions::*field)
{
    connect(box, &QLineEdit::textChanged, this, [this, field](const QString &text) { editor.typed(field, text); });
}

bool GenerateTab::chooseColour(QLabel *swatch, quint32 PageOptions::*colour)
{
    PageOptions &options = editor.editedPage().options;
    const std::optional<QColor> chosen = Ui::platform().chooseColor(toColor(options.*colour));
    if (!chosen)
        return false;
    options.*colour = toPageColour(*chosen);
    paintSwatch(swatch, options.*colour);
    editor.store(colour);
    return true;
}

TablePropertiesTab::TablePropertiesTab(PageEditor &editor) : GenerateTab("fraTableProp", editor)
{
    auto *grid = new QGridLayout(this);
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
    bind(chkBorderColor, &PageOptions::defaultBorderColor);
    bind(txtBorder, &PageOptions::tableBorder);
    bind(txtCellSpacing, &PageOptions::cellSpacing);
    bind(txtCellPadding, &PageOptions::cellPadding);
    bind(txtRows, &PageOptions::tableRows);
    bind(txtColumns, &PageOptions::tableColumns);
}

void TablePropertiesTab::showOtherOptions()
{
    paintSwatch(picBorderColor, editor.editedPage().options.tableBorderColor);
}

void TablePropertiesTab::connectOtherControls()
{
    connect(txtRows, &QLineEdit::textChanged, this, &TablePropertiesTab::DetermineCellAmount);
    connect(txtColumns, &QLineEdit::textChanged, this, &TablePropertiesTab::DetermineCellAmount);
    connect(cmdBorderColor, &QToolButton::clicked, this,
            [this] { chooseColour(picBorderColor, &PageOptions::tableBorderColor); });
}

void TablePropertiesTab::updateEnabledStates()
{
    SetEnabled({picBorderColor, cmdBorderColor}, !chkBorderColor->isChecked());
}

void TablePropertiesTab::DetermineCellAmount()
{
    const PageModel &page = editor.editedPage();
    // The modern page shows every thumbnail in rows as full as the screen allows,
    // however many rows and columns are set.
    txtRows->setEnabled(!page.options.modernStyle);
    txtColumns->setEnabled(!page.options.modernStyle);
    lblCellAmount->setText(page.options.modernStyle
                               ? QStringLiteral("The modern page shows all %1 thumbnails, in rows as wide as the screen.")
                                     .arg(page.PageThumbCount())
                               : ::DetermineCellAmount(txtRows->text(), txtColumns->text(), page.PageThumbCount()));
}

BackgroundTab::BackgroundTab(PageEditor &editor, const QString &pictureDirectory)
    : GenerateTab("fraTableBackground", editor), pictureDirectory(pictureDirectory)
{
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
    picBackgroundImage->viewport()->installEventFilter(this);
    picBackgroundImage->installEventFilter(this);
    picBackgroundImage->setFocusPolicy(Qt::StrongFocus);
    lblImageFile = Named<QLabel>(
        "lblImageFile",
        QStringLiteral("This Image File Should Be Placed in the Web Site Image Directory For Correct Loading."));
    lblImageFile->setWordWrap(true);
    lblImageFile->hide();

    auto *grid = new QGridLayout(this);
    grid->addWidget(chkDefaultBackgroundColor, 0, 0, 1, 3);
    grid->addLayout(row({lblBackgroundColor, picBackgroundColor, cmdBackgroundColor}), 1, 0, 1, 3);
    grid->addWidget(chkBackgroundImage, 2, 0, 1, 3);
    grid->addWidget(txtBackgroundImage, 3, 0, 1, 2);
    grid->addWidget(cmdBackgroundImage, 3, 2);
    grid->addWidget(picBackgroundImage, 4, 0);
    grid->addWidget(lblImageFile, 4, 1, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    bind(chkDefaultBackgroundColor, &PageOptions::defaultBackgroundColor);
    bind(chkBackgroundImage, &PageOptions::useBackgroundImage);
    bind(txtBackgroundImage, &PageOptions::backgroundImageFile);
}

void BackgroundTab::showOtherOptions()
{
    const PageOptions &options = editor.editedPage().options;
    paintSwatch(picBackgroundColor, options.tableBackgroundColor);
    picBackgroundImage->setBackColor(toColor(options.tableBackgroundColor));
    if (!options.backgroundImageFile.isEmpty())
        SetBackgroundImage();
}

void BackgroundTab::connectOtherControls()
{
    connect(chkBackgroundImage, &QCheckBox::toggled, this, [this] {
        if (!txtBackgroundImage->text().isEmpty())
            SetBackgroundImage();
    });
    connect(txtBackgroundImage, &QLineEdit::textChanged, this, &BackgroundTab::SetBackgroundImage);
    connect(cmdBackgroundColor, &QToolButton::clicked, this, [this] {
        if (chooseColour(picBackgroundColor, &PageOptions::tableBackgroundColor))
            picBackgroundImage->setBackColor(toColor(editor.editedPage().options.tableBackgroundColor));
    });
    connect(cmdBackgroundImage, &QPushButton::clicked, this, &BackgroundTab::cmdBackgroundImage_Click);
}

void BackgroundTab::updateEnabledStates()
{
    SetEnabled({lblBackgroundColor, cmdBackgroundColor, picBackgroundColor}, !chkDefaultBackgroundColor->isChecked());
    SetEnabled({cmdBackgroundImage, txtBackgroundImage, lblImageFile}, chkBackgroundImage->isChecked());
}

// Shows the picture of the background image box. A name that names no file (yet)
// leaves the preview as it was, so typing a path does not flicker through messages.
void BackgroundTab::SetBackgroundImage()
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

void BackgroundTab::cmdBackgroundImage_Click()
{
    const Ui::FileDialogAnswer answer =
        Ui::platform().openFile({QStringLiteral("Choose a Background Image"), QStringLiteral("All Files (*.*)|*.*"), 1,
                                 pictureDirectory, QStringLiteral("*.*")});
    if (!answer.fileName.isEmpty())
        txtBackgroundImage->setText(QDir::toNativeSeparators(answer.fileName));
}

bool BackgroundTab::eventFilter(QObject *watched, QEvent *event)
{
    const auto key = [event] { return static_cast<QKeyEvent *>(event)->key(); };
    const bool asked = (watched == picBackgroundImage->viewport() && event->type() == QEvent::MouseButtonRelease)
                       || (watched == picBackgroundImage && event->type() == QEvent::KeyPress
                           && (key() == Qt::Key_Return || key() == Qt::Key_Enter || key() == Qt::Key_Space));
    if (asked && !picBackgroundImage->picture().isNull())
        ShowFullSize(QDir::toNativeSeparators(txtBackgroundImage->text()), window());
    return GenerateTab::eventFilter(watched, event);
}

FontPropertiesTab::FontPropertiesTab(PageEditor &editor) : GenerateTab("fraFont", editor)
{
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

    auto *grid = new QGridLayout(this);
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
    bind(chkDisplayFileName, &PageOptions::displayFileName);
    bind(chkDisplayImageSize, &PageOptions::displayImageSize);
    bind(chkDisplayFileSize, &PageOptions::displayFileSize);
    bind(chkFontColorDefault, &PageOptions::defaultFontColor);
    bind(chkDefaultFontType, &PageOptions::useDefaultFont);
    bind(chkFontBold, &PageOptions::fontBold);
    bind(txtFontSize, &PageOptions::fontSize);
}

void FontPropertiesTab::showOtherOptions()
{
    const PageOptions &options = editor.editedPage().options;
    lblOtherFontType->setText(options.nonDefaultFont);
    paintSwatch(picFontColor, options.tableFontColor);
}

void FontPropertiesTab::connectOtherControls()
{
    connect(cmdFontColor, &QToolButton::clicked, this, [this] { chooseColour(picFontColor, &PageOptions::tableFontColor); });
    connect(cmdFontType, &QPushButton::clicked, this, &FontPropertiesTab::cmdFontType_Click);
}

void FontPropertiesTab::updateEnabledStates()
{
    SetEnabled({cmdFontColor, picFontColor}, !chkFontColorDefault->isChecked());
    SetEnabled({cmdFontType, lblOtherFontType}, !chkDefaultFontType->isChecked());
}

void FontPropertiesTab::cmdFontType_Click()
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
    editor.editedPage().options.nonDefaultFont = family;
    editor.store(&PageOptions::nonDefaultFont);
}

ThumbnailPropertiesTab::ThumbnailPropertiesTab(PageEditor &editor, const ThumbCollection &thumbs,
                                               const QList<int> &pageSlots)
    : GenerateTab("fraThumbProp", editor), thumbs(thumbs), pageSlots(pageSlots)
{
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
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hscThumb);
    layout->addWidget(lblThumbPosition);
    layout->addLayout(row);
    layout->addStretch();
    bind(txtThumbBorder, &PageOptions::cellImageBorder);
    bind(txtHorzSpacing, &PageOptions::horizontalSpacing);
    bind(txtVertSpacing, &PageOptions::verticalSpacing);
}

void ThumbnailPropertiesTab::showOtherOptions()
{
    hscThumb->setRange(1, std::max(1, editor.editedPage().PageThumbCount()));
}

// The boxes are options and values of the position shown at once: a change writes
// both. The target frame box shows the position's value, never the option.
void ThumbnailPropertiesTab::connectOtherControls()
{
    connectBox(txtDefaultFrame, &PageOptions::defaultTargetFrame);
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
}

ThumbPageValues *ThumbnailPropertiesTab::currentRecord()
{
    QList<ThumbPageValues> &values = editor.editedPage().PageThumbValues;
    const int index = hscThumb->value() - 1;
    return index >= 0 && index < values.size() ? &values[index] : nullptr;
}

// The thumbnail of a position, whole and in its own proportions, centred in the
// preview's container.
void ThumbnailPropertiesTab::DisplayThumbnail(int position)
{
    const PageModel &page = editor.editedPage();
    picDisplayThumb->Clear();
    lblThumbPosition->clear();
    if (position < 1 || position > page.PageThumbCount())
        return;
    // Which picture the values below belong to.
    lblThumbPosition->setText(QStringLiteral("Position %1 of %2: %3")
                                  .arg(QString::number(position), QString::number(page.PageThumbCount()),
                                       CaptionFileName(page.PageSources[position - 1].caption)));
    const ThumbnailRecord *record = thumbs.record(pageSlots.value(position - 1));
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

void ThumbnailPropertiesTab::DisplayThumbValues(int position)
{
    const QList<ThumbPageValues> &all = editor.editedPage().PageThumbValues;
    if (position < 1 || position > all.size())
        return;
    const ThumbPageValues values = all[position - 1];
    txtCaption->setText(values.Caption);
    txtHorzSpacing->setText(QString::number(values.HSpace));
    txtVertSpacing->setText(QString::number(values.VSpace));
    txtThumbBorder->setText(QString::number(values.Border));
    txtLink->setText(values.Link);
    txtDefaultFrame->setText(values.Target);
}
