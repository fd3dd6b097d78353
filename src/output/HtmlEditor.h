#pragma once

#include <QDialog>

class PageModel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class ThumbCollection;
struct Preferences;

// What the editor needs of the rest of the program.
struct EditorContext {
    ThumbCollection &thumbs;
    Preferences &preferences;   // the web and local directories
    QString appPath;            // ends with the separator; the preview tree lives here
    const PageModel *page = nullptr;  // the Generate dialog's page while it is open
};

// The page's HTML as plain text, to edit, save, reopen and preview in a browser. The
// preview writes the page with its thumbnails and images into a tree under the
// program's directory laid out like the web site; closing the editor empties it.
class HtmlEditor : public QDialog {
    Q_OBJECT
public:
    explicit HtmlEditor(const EditorContext &context, QWidget *parent = nullptr);

    // The whole text; its line ends (CR LF or LF) are kept for saving.
    void setHtml(const QString &text);
    QString html() const;
    QPlainTextEdit &textBox() const { return *txtHTML; }

    void SaveHTML();

public slots:
    void cmdSave_Click();
    void cmdOpen_Click();
    void cmdView_Click();
    void cmdClose_Click();
    void mnuEdit_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus(QMenuBar *bar);
    void Form_Resize();
    void Form_Unload();
    bool pageLoaded() const;
    bool textBoxActive() const;
    QString previewPage();

    EditorContext context;
    QString lineEnd = QStringLiteral("\n");
    QWidget *body;
    QPlainTextEdit *txtHTML;
    QPushButton *cmdSave;
    QPushButton *cmdOpen;
    QPushButton *cmdClose;
    QPushButton *cmdView;
    QAction *mnuEditCut = nullptr;
    QAction *mnuEditCopy = nullptr;
    QAction *mnuEditPaste = nullptr;
    bool unloaded = false;
};
