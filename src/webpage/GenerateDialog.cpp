#include "webpage/GenerateDialog.h"

#include "settings/Preferences.h"
#include "settings/StoredSettings.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/Twips.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QScreen>
#include <QTabBar>

namespace {

bool endsWithSeparator(const QString &text)
{
    return text.endsWith(QLatin1Char('/')) || text.endsWith(QLatin1Char('\\'));
}

} // namespace

// The dialog is its parts: the web site's directories, the options in four tabs and
// the buttons. The options are shown as stored before any control writes one back.
GenerateDialog::GenerateDialog(const GenerateContext &context, QWidget *parent) : QDialog(parent), context(context)
{
    setObjectName(QStringLiteral("GENERATE"));
    setWindowTitle(QStringLiteral("Generate HTML Code"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildParameters());
    layout->addWidget(buildOptions());
    layout->addLayout(buildButtons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (QLineEdit *box : findChildren<QLineEdit *>())
        SelectAllText(box);
    Form_Load();
    connectOptions();
    thumbnailTab->DisplayThumbnail(1);
    thumbnailTab->DisplayThumbValues(1);
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
    for (QLineEdit *box : {txtWebImages, txtSiteThumbs})
        box->installEventFilter(this);
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
    tableTab = new TablePropertiesTab(*this);
    backgroundTab = new BackgroundTab(*this, context.preferences.lastOpenDirectory);
    fontTab = new FontPropertiesTab(*this);
    thumbnailTab = new ThumbnailPropertiesTab(*this, context.thumbs, pageSlots);
    tabs = {tableTab, backgroundTab, fontTab, thumbnailTab};
    // Every tab as large as the largest, so that the dialog keeps its size.
    QSize largest;
    for (GenerateTab *tab : tabs)
        largest = largest.expandedTo(tab->sizeHint());
    auto *pages = new QGridLayout;
    for (GenerateTab *tab : tabs) {
        tab->setMinimumSize(largest);
        pages->addWidget(tab, 0, 0);
        tab->hide();
    }
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(chkPageCode);
    layout->addLayout(buildPageStyle());
    layout->addWidget(TabStrip1);
    layout->addLayout(pages, 1);
    connect(TabStrip1, &QTabBar::currentChanged, this, &GenerateDialog::TabStrip1_Click);
    return frame;
}

// The page's style, title and language, and the modern page's row height and
// picture viewer.
QLayout *GenerateDialog::buildPageStyle()
{
    cboPageStyle = Named<QComboBox>("cboPageStyle");
    cboPageStyle->addItems({QStringLiteral("Classic Table"), QStringLiteral("Modern Gallery")});
    txtPageTitle = Named<QLineEdit>("txtPageTitle");
    chkPictureViewer = Named<QCheckBox>("chkPictureViewer", QStringLiteral("Picture Viewer"));
    chkPictureViewer->setToolTip(QStringLiteral("The modern page opens full-size pictures in an overlay"));
    spnRowHeight = Named<QSpinBox>("spnRowHeight");
    spnRowHeight->setRange(PageOptions::LowestRowHeight, PageOptions::HighestRowHeight);
    spnRowHeight->setSuffix(QStringLiteral(" px"));
    spnRowHeight->setToolTip(QStringLiteral("The height the modern page's rows of pictures aim at"));
    txtPageLanguage = Named<QLineEdit>("txtPageLanguage");
    txtPageLanguage->setToolTip(QStringLiteral("The language the page is written in, such as en or de-CH"));
    txtPageLanguage->setMaximumWidth(txtPageLanguage->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMM")));
    auto *grid = new QGridLayout;
    grid->addWidget(LabelFor(QStringLiteral("Page Style:"), cboPageStyle), 0, 0);
    grid->addWidget(cboPageStyle, 0, 1);
    grid->addWidget(LabelFor(QStringLiteral("Row Height:"), spnRowHeight), 0, 2);
    grid->addWidget(spnRowHeight, 0, 3);
    grid->addWidget(chkPictureViewer, 0, 4);
    grid->addWidget(LabelFor(QStringLiteral("Page Title:"), txtPageTitle), 1, 0);
    grid->addWidget(txtPageTitle, 1, 1, 1, 5);
    grid->addWidget(LabelFor(QStringLiteral("Language:"), txtPageLanguage), 1, 6);
    grid->addWidget(txtPageLanguage, 1, 7);
    grid->setColumnStretch(5, 1);
    return grid;
}

QLayout *GenerateDialog::buildButtons()
{
    cmdCode = Named<QPushButton>("cmdCode", QStringLiteral("Generate C&ode"));
    cmdCancel = Named<QPushButton>("cmdCancel", QStringLiteral("&Cancel"));
    cmdCode->setDefault(true);
    connect(cmdCode, &QPushButton::clicked, this, &GenerateDialog::cmdCode_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCode);
    buttons->addWidget(cmdCancel);
    return buttons;
}

// Each control writes its option as the user changes it: check boxes on click, text
// boxes on every change.
void GenerateDialog::connectOptions()
{
    const auto connectCheck = [this](QCheckBox *box, bool PageOptions::*field) {
        connect(box, &QCheckBox::toggled, this, [this, field](bool checked) { typed(field, PageOptions::FlagText(checked)); });
    };
    connectCheck(chkPageCode, &PageOptions::includePageCode);
    connectCheck(chkPictureViewer, &PageOptions::pictureViewer);
    connect(cboPageStyle, &QComboBox::currentIndexChanged, this, [this](int index) {
        typed(&PageOptions::modernStyle, PageOptions::FlagText(index == 1));
        chkPictureViewer->setEnabled(index == 1);
        spnRowHeight->setEnabled(index == 1);
        tableTab->DetermineCellAmount();
    });
    connect(spnRowHeight, &QSpinBox::valueChanged, this,
            [this](int height) { typed(&PageOptions::modernRowHeight, QString::number(height)); });
    connect(txtPageLanguage, &QLineEdit::textChanged, this,
            [this](const QString &text) { typed(&PageOptions::pageLanguage, text); });
    connect(txtPageTitle, &QLineEdit::textChanged, this,
            [this](const QString &text) { typed(&PageOptions::pageTitle, text); });
    for (GenerateTab *tab : tabs)
        tab->connectOptions();
    connect(txtWebImages, &QLineEdit::textChanged, this,
            [this](const QString &text) { context.preferences.siteImageDirectory = text; });
    connect(txtSiteThumbs, &QLineEdit::textChanged, this,
            [this](const QString &text) { context.preferences.siteThumbnailDirectory = text; });
}

void GenerateDialog::Form_Load()
{
    GuardStore([this] {
        pageSlots = PageOrder(context.listing, context.thumbs);
        model.Load(PageSourcesOf(pageSlots, context.thumbs));
    });
    txtWebImages->setText(context.preferences.siteImageDirectory);
    txtSiteThumbs->setText(context.preferences.siteThumbnailDirectory);
    chkPageCode->setChecked(model.options.includePageCode);
    cboPageStyle->setCurrentIndex(model.options.modernStyle ? 1 : 0);
    txtPageTitle->setText(model.options.pageTitle);
    chkPictureViewer->setChecked(model.options.pictureViewer);
    chkPictureViewer->setEnabled(model.options.modernStyle);
    spnRowHeight->setValue(model.options.rowHeight());
    spnRowHeight->setEnabled(model.options.modernStyle);
    txtPageLanguage->setText(model.options.pageLanguage);
    for (GenerateTab *tab : tabs)
        tab->showOptions();
    GuardStore([this] { model.StoreOptions(); });
    TabStrip1_Click(0);
    tableTab->DetermineCellAmount();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void GenerateDialog::typed(const PageOptions::Field &field, const QString &text)
{
    model.options.set(PageOptions::NameOf(field), text);
    if (PageOptions::IsStored(field))
        store(field);
}

void GenerateDialog::store(const PageOptions::Field &field)
{
    const QString name = PageOptions::NameOf(field);
    GuardStore([this, &name] {
        if (!htmlPreferences)
            htmlPreferences.emplace(Settings::HtmlPreferencesSection);
        htmlPreferences->SetValue(name, model.options.storedText(name));
    });
}

void GenerateDialog::TabStrip1_Click(int index)
{
    for (qsizetype tab = 0; tab < tabs.size(); ++tab)
        tabs[tab]->setVisible(tab == index);
    if (TabStrip1->currentIndex() != index)
        TabStrip1->setCurrentIndex(index);
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

// A web directory is written without its closing separator; one is removed.
bool GenerateDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && (watched == txtWebImages || watched == txtSiteThumbs)) {
        auto *box = static_cast<QLineEdit *>(watched);
        if (endsWithSeparator(box->text()))
            box->setText(box->text().chopped(1));
    }
    return QDialog::eventFilter(watched, event);
}
