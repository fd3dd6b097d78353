#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class UpDown;
struct Preferences;

// The user's preferences that are not page options: thumbnail size, arrangement
// after a folder load, the duplicate notice, how thumbnails are saved, name case,
// how copies are made for the web, how the preview's browser is chosen, and the
// user's own browsers. Values are read
// when it opens and written back when it closes, however it closes; the browser
// list is written to Browsers.txt at once.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(Preferences &preferences, const QString &appPath, QWidget *parent = nullptr);

public slots:
    void cboSave_Click();
    void chkArrange_Click();
    void cmdAddBrowser_Click();
    void cmdDeleteBrowser_Click();
    void txtWidth_LostFocus();
    void txtHeight_LostFocus();
    void txtQuality_LostFocus();
    void txtFileNamePrefix_LostFocus();
    void txtLongEdge_LostFocus();
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildThumbnails();
    QWidget *buildDirectoryLoad();
    QWidget *buildDuplicates();
    QWidget *buildSave();
    QWidget *buildBrowsers();
    QWidget *buildAlphaCase();
    QWidget *buildWebCopies();
    void Form_Load();
    void Form_Unload();
    void refillBrowsers();

    Preferences &preferences;
    QString appPath;
    bool unloaded = false;

    QLineEdit *txtWidth;
    QLineEdit *txtHeight;
    QCheckBox *chkArrange;
    QRadioButton *optArrange[3];
    QCheckBox *chkDuplicateImages;
    QComboBox *cboSave;
    QLineEdit *txtFileNamePrefix;
    QCheckBox *chkProgressive;
    QLabel *lblColorDepth;
    QComboBox *cboColorDepth;
    QLabel *lblQuality;
    QLineEdit *txtQuality;
    UpDown *updQuality;
    QRadioButton *optBrowser[2];
    QTreeWidget *ListView1;
    QPushButton *cmdAddBrowser;
    QPushButton *cmdDeleteBrowser;
    QCheckBox *chkImageCase;
    QCheckBox *chkThumbnailCase;
    QCheckBox *chkWebReady;
    QLineEdit *txtLongEdge;
    QCheckBox *chkRemoveMetadata;
    QCheckBox *chkHighDensity;
    QPushButton *cmdClose;
};
