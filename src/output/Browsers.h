#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class FileIcons;
class QLabel;
class QPushButton;
class QTreeWidget;

// A browser the page can be previewed in.
struct BrowserEntry {
    QString name;
    QString path;  // the executable
};

namespace Browsers {

// The browsers found on this machine: the two that register themselves in the
// settings store's machine keys (found only where those exist), then the
// applications whose desktop entries open web pages.
QList<BrowserEntry> Detected();
// The user's own browsers from `Browsers.txt` in the program's directory, in file
// order; entries without a path, or whose program is gone, are left out.
QList<BrowserEntry> Added(const QString &appPath);
// Adds a program to `Browsers.txt` under its full path, named by its file name.
// Both return empty on success, else the file and why it could not be written.
QString Add(const QString &appPath, const QString &program);
// Empties a program's entry; its section stays in the file.
QString Remove(const QString &appPath, const QString &program);

// Fills a list of two columns (name, path) with every browser, each with its
// program's icon from `icons`.
void FillBrowserList(QTreeWidget &list, FileIcons &icons, const QString &appPath);

// What a shell call's failure code means.
QString ShellExecuteErrorText(double code);
// Shows a failed shell call: "Error# " + code + "; " + its meaning.
void ReportFailure(int code);

} // namespace Browsers

// Lets the user pick the browser that previews the page, and starts it on the page.
class BrowserSelection : public QDialog {
    Q_OBJECT
public:
    // Starts the browser on `page`, or on the preview's page when none is given.
    BrowserSelection(const QString &appPath, QWidget *parent = nullptr, const QString &page = QString());

    QTreeWidget &list() const { return *ListView1; }
    // The page every browser is started on.
    QString page() const;

public slots:
    void Form_Activate();
    void cmdSelect_Click();
    void ListView1_DblClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString appPath;
    QString shownPage;
    bool activated = false;
    QLabel *Label1;
    QTreeWidget *ListView1;
    QPushButton *cmdSelect;
    QPushButton *cmdCancel;
};
