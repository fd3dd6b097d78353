#pragma once

#include "settings/SettingsSection.h"
#include "webpage/GenerateTabs.h"
#include "webpage/PageModel.h"

#include <QDialog>
#include <functional>
#include <optional>

class ListingModel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabBar;
class ThumbCollection;
struct Preferences;

// What the Generate dialog needs of the rest of the program.
struct GenerateContext {
    const ListingModel &listing;
    const ThumbCollection &thumbs;
    Preferences &preferences;  // the web site's directories
    // Shows a generated page in the HTML editor, modal over `owner`.
    std::function<void(const QString &html, const PageModel &page, QWidget *owner)> showCode;
};

// Where the user sets every option of the page, in four tabs, and has the page
// generated. Every option is stored as it changes; the values of each page position
// (caption, link, target frame, border, spacings) live until the dialog closes. It
// needs at least one thumbnail in the listing.
class GenerateDialog : public QDialog, private PageEditor {
    Q_OBJECT
public:
    explicit GenerateDialog(const GenerateContext &context, QWidget *parent = nullptr);

    const PageModel &page() const { return model; }

public slots:
    void TabStrip1_Click(int index);
    void cmdCode_Click();
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PageModel &editedPage() override { return model; }
    void typed(const PageOptions::Field &field, const QString &text) override;
    void store(const PageOptions::Field &field) override;

    QGroupBox *buildParameters();
    QGroupBox *buildOptions();
    QLayout *buildPageStyle();
    QLayout *buildButtons();
    void connectOptions();
    void Form_Load();
    void Form_Unload();

    GenerateContext context;
    PageModel model;
    QList<int> pageSlots;  // the thumbnail's slot at each page position
    std::optional<SettingsSection> htmlPreferences;  // opened once, written as options change
    bool unloaded = false;

    QLineEdit *txtWebImages;
    QLineEdit *txtSiteThumbs;
    QCheckBox *chkPageCode;
    QComboBox *cboPageStyle;
    QLineEdit *txtPageTitle;
    QCheckBox *chkPictureViewer;
    QSpinBox *spnRowHeight;
    QLineEdit *txtPageLanguage;
    QTabBar *TabStrip1;
    TablePropertiesTab *tableTab;
    BackgroundTab *backgroundTab;
    FontPropertiesTab *fontTab;
    ThumbnailPropertiesTab *thumbnailTab;
    QList<GenerateTab *> tabs;  // in the tab bar's order
    QPushButton *cmdCode;
    QPushButton *cmdCancel;
};
