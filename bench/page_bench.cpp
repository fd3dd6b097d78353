// Times GenerateHtml for a page of 10,000 thumbnails (100 x 100 cells, every
// caption line shown); prints the fastest of five rounds.

#include "webpage/HtmlGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PageRequest page;
    page.options.tableRows = QStringLiteral("100");
    page.options.tableColumns = QStringLiteral("100");
    for (int i = 0; i < 10000; ++i) {
        const QString name = QStringLiteral("Holiday photo %1.jpg").arg(i);
        ThumbPageValues values{name, name, QString(), name, 1, 1, 1};
        page.thumbs << PageThumb{name + QStringLiteral("\r\n4000x3000\r\n5120K"), 93, 70, values, {}};
    }
    qint64 best = std::numeric_limits<qint64>::max();
    qsizetype length = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        length = GenerateHtml(page).size();
        best = std::min(best, timer.nsecsElapsed());
    }
    QTextStream(stdout) << "page of 10000 thumbnails (" << length << " characters): " << best / 1e6 << " ms" << Qt::endl;
    return 0;
}
