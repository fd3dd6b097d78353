#pragma once

#include "webpage/PageModel.h"

#include <QFrame>

class ImageBuffer;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;
class ThumbCollection;

// What the tabs of the Generate dialog work on: the page being made, and how an
// option the user changed is kept.
class PageEditor {
public:
    virtual ~PageEditor() = default;
    virtual PageModel &editedPage() = 0;
    // Sets an option from its control's text ("1" or "0" for a check box) and keeps it.
    virtual void typed(const PageOptions::Field &field, const QString &text) = 0;
    // Keeps an option already set on the page.
    virtual void store(const PageOptions::Field &field) = 0;
};

// One tab of the dialog: its controls show the options as they are, and write each
// one back as the user changes it.
class GenerateTab : public QFrame {
    Q_OBJECT
public:
    GenerateTab(const char *name, PageEditor &editor);
    // Puts every bound option into its control, then what else the tab shows.
    void showOptions();
    // Connects every bound control, then the tab's other controls; done once the
    // options are shown, so that showing them stores nothing.
    void connectOptions();

protected:
    // A control that shows an option and writes it back as it changes.
    void bind(QCheckBox *box, bool PageOptions::*field);
    void bind(QLineEdit *box, QString PageOptions::*field);
    // A box that writes an option back but shows something else.
    void connectBox(QLineEdit *box, QString PageOptions::*field);
    // Lets the user choose a colour option, shown in `swatch`; false when cancelled.
    bool chooseColour(QLabel *swatch, quint32 PageOptions::*colour);
    virtual void showOtherOptions() {}
    virtual void connectOtherControls() {}
    virtual void updateEnabledStates() {}

    PageEditor &editor;

private:
    QList<std::pair<QCheckBox *, bool PageOptions::*>> checks;
    QList<std::pair<QLineEdit *, QString PageOptions::*>> boxes;
};

// Border, spacing, padding, rows and columns of the table, and its border colour.
class TablePropertiesTab : public GenerateTab {
    Q_OBJECT
public:
    explicit TablePropertiesTab(PageEditor &editor);
    void showOtherOptions() override;
    void connectOtherControls() override;
    void DetermineCellAmount();

private:
    void updateEnabledStates() override;

    QLineEdit *txtBorder;
    QLineEdit *txtCellSpacing;
    QLineEdit *txtCellPadding;
    QLineEdit *txtRows;
    QLineEdit *txtColumns;
    QCheckBox *chkBorderColor;
    QLabel *picBorderColor;
    QToolButton *cmdBorderColor;
    QLabel *lblCellAmount;
};

// The table's background colour or image. A click on the image's preview, or Enter
// or Space while it has the focus, shows the image at full size.
class BackgroundTab : public GenerateTab {
    Q_OBJECT
public:
    // `pictureDirectory` is where the image chooser starts.
    BackgroundTab(PageEditor &editor, const QString &pictureDirectory);
    void showOtherOptions() override;
    void connectOtherControls() override;
    void SetBackgroundImage();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateEnabledStates() override;
    void cmdBackgroundImage_Click();

    const QString &pictureDirectory;
    QCheckBox *chkDefaultBackgroundColor;
    QLabel *lblBackgroundColor;
    QLabel *picBackgroundColor;
    QToolButton *cmdBackgroundColor;
    QCheckBox *chkBackgroundImage;
    QLineEdit *txtBackgroundImage;
    QPushButton *cmdBackgroundImage;
    ImageBuffer *picBackgroundImage;
    QLabel *lblImageFile;
};

// The captions' colour, face, size and weight, and which caption lines show.
class FontPropertiesTab : public GenerateTab {
    Q_OBJECT
public:
    explicit FontPropertiesTab(PageEditor &editor);
    void showOtherOptions() override;
    void connectOtherControls() override;

private:
    void updateEnabledStates() override;
    void cmdFontType_Click();

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
};

// The values of each page position, one position at a time: caption, link, target
// frame, border and spacings, beside the position's thumbnail.
class ThumbnailPropertiesTab : public GenerateTab {
    Q_OBJECT
public:
    // `pageSlots` holds the collection's slot of each page position.
    ThumbnailPropertiesTab(PageEditor &editor, const ThumbCollection &thumbs, const QList<int> &pageSlots);
    void showOtherOptions() override;
    void connectOtherControls() override;
    void DisplayThumbnail(int position);
    void DisplayThumbValues(int position);

private:
    ThumbPageValues *currentRecord();

    const ThumbCollection &thumbs;
    const QList<int> &pageSlots;
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
