#pragma once

#include "settings/SettingsSection.h"
#include "webpage/PageModel.h"

#include <QDialog>
#include <functional>
#include <optional>

class ImageBuffer;
class ListingModel;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabBar;
class QToolButton;
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
class GenerateDialog : public QDialog {
    Q_OBJECT
public:
    explicit GenerateDialog(const GenerateContext &context, QWidget *parent = nullptr);

    const PageModel &page() const { return model; }

    void DetermineCellAmount();
    void DisplayThumbnail(int position);
    void DisplayThumbValues(int position);
    void SetBackgroundImage();

public slots:
    void TabStrip1_Click(int index);
    void cmdCode_Click();
    void cmdBackgroundColor_Click();
    void cmdBorderColor_Click();
    void cmdFontColor_Click();
    void cmdBackgroundImage_Click();
    void cmdFontType_Click();
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QGroupBox *buildParameters();
    QGroupBox *buildOptions();
    QFrame *buildTableTab();
    QFrame *buildBackgroundTab();
    QFrame *buildFontTab();
    QFrame *buildThumbnailTab();
    void connectOptions();
    void Form_Load();
    void Form_Unload();
    void showOptions();
    void updateEnabledStates();
    void typed(const QString &name, const QString &text);
    void store(const QString &name);
    void chooseColour(QLabel *swatch, quint32 PageOptions::*colour, const QString &name);
    ThumbPageValues *currentRecord();

    GenerateContext context;
    PageModel model;
    QList<int> pageSlots;  // the thumbnail window at each page position
    std::optional<SettingsSection> htmlPreferences;  // opened once, written as options change
    bool unloaded = false;

    QLineEdit *txtWebImages;
    QLineEdit *txtSiteThumbs;
    QCheckBox *chkPageCode;
    QTabBar *TabStrip1;
    QFrame *frames[4];
    QPushButton *cmdCode;
    QPushButton *cmdCancel;

    QLineEdit *txtBorder;
    QLineEdit *txtCellSpacing;
    QLineEdit *txtCellPadding;
    QLineEdit *txtRows;
    QLineEdit *txtColumns;
    QCheckBox *chkBorderColor;
    QLabel *picBorderColor;
    QToolButton *cmdBorderColor;
    QLabel *lblCellAmount;

    QCheckBox *chkDefaultBackgroundColor;
    QLabel *lblBackgroundColor;
    QLabel *picBackgroundColor;
    QToolButton *cmdBackgroundColor;
    QCheckBox *chkBackgroundImage;
    QLineEdit *txtBackgroundImage;
    QPushButton *cmdBackgroundImage;
    ImageBuffer *picBackgroundImage;
    QLabel *lblImageFile;

    QCheckBox *chkFontColorDefault;
    QLabel *picFontColor;
    QToolButton *cmdFontColor;
    QCheckBox *chkDefaultFontType;
    QLabel *lblOtherFontType;
    QPushButton *cmdFontType;
    QCheckBox *chkFontBold;
    QLineEdit *txtFontSize;
    QCheckBox *chkDisplayFileName;
    QCheckBox *chkDisplayImageSize;
    QCheckBox *chkDisplayFileSize;

    QScrollBar *hscThumb;
    QFrame *picContainer;
    ImageBuffer *picDisplayThumb;
    QLabel *lblThumbPosition;
    QLineEdit *txtCaption;
    QLineEdit *txtLink;
    QLineEdit *txtDefaultFrame;
    QLineEdit *txtThumbBorder;
    QLineEdit *txtHorzSpacing;
    QLineEdit *txtVertSpacing;
};
