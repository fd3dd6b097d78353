#pragma once

#include <QDialog>
#include <atomic>
#include <thread>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// HTML > Build Site: the batch build of a folder (and, with albums, the folders below
// it) into a site, run on worker threads while the window stays responsive, with its
// progress, its problems and a Cancel that leaves a site the next build completes.
// The folders, albums and order are remembered. At the end it offers to open the
// site in a browser.
class BuildSiteDialog : public QDialog {
    Q_OBJECT
public:
    BuildSiteDialog(const QString &appPath, QWidget *parent = nullptr);
    ~BuildSiteDialog() override;

    bool building() const { return worker.joinable(); }

public slots:
    void cmdBuild_Click();
    void cmdCancel_Click();

signals:
    void finished(int status);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void chooseFolder(QLineEdit *box, const QString &title);
    void showProgress(const QString &stage, int done, int total);
    void showLine(const QString &text);
    void buildEnded(int result);
    void stopAndWait();
    void remember() const;

    const QString appPath;
    std::thread worker;
    std::atomic<bool> cancelRequested{false};
    QLineEdit *txtPictures;
    QLineEdit *txtOutput;
    QCheckBox *chkAlbums;
    QComboBox *cboSort;
    QProgressBar *prgBuild;
    QLabel *lblProgress;
    QPlainTextEdit *txtReport;
    QPushButton *cmdBuild;
    QPushButton *cmdCancel;
};
