#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

// Headless Chromium driven through ChromeDriver's WebDriver protocol, so that a test
// can press real keys on a page and read what the page's scripts did.
class WebDriver {
public:
    // Starts ChromeDriver; ready() tells whether it answers.
    WebDriver()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("chromedriver"));
        if (program.isEmpty())
            return;
        port = freePort();
        driver.start(program, {QStringLiteral("--port=%1").arg(port)});
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000 && !ready())
            QThread::msleep(100);
    }
    ~WebDriver()
    {
        quit();
        driver.kill();
        driver.waitForFinished(5000);
    }

    bool ready()
    {
        return port
               && call("GET", QStringLiteral("/status")).value(QStringLiteral("value")).toObject().value(QStringLiteral("ready")).toBool();
    }

    // A new browser window of that size in CSS pixels, or a phone's screen of that
    // size (windows are never narrower than 500 pixels); false when none could start.
    bool open(int width, int height, bool phone = false)
    {
        quit();
        const QJsonArray arguments{QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                                   QStringLiteral("--disable-gpu"), QStringLiteral("--disable-dev-shm-usage"),
                                   QStringLiteral("--force-device-scale-factor=1"),
                                   QStringLiteral("--window-size=%1,%2").arg(std::max(width, 500)).arg(height)};
        QJsonObject options{{QStringLiteral("args"), arguments}};
        if (phone)
            options.insert(QStringLiteral("mobileEmulation"),
                           QJsonObject{{QStringLiteral("deviceMetrics"),
                                        QJsonObject{{QStringLiteral("width"), width},
                                                    {QStringLiteral("height"), height},
                                                    {QStringLiteral("pixelRatio"), 3.0},
                                                    {QStringLiteral("touch"), true},
                                                    {QStringLiteral("mobile"), true}}}});
        const QJsonObject capabilities{
            {QStringLiteral("alwaysMatch"), QJsonObject{{QStringLiteral("goog:chromeOptions"), options}}}};
        session = call("POST", QStringLiteral("/session"), {{QStringLiteral("capabilities"), capabilities}})
                      .value(QStringLiteral("sessionId"))
                      .toString();
        return !session.isEmpty();
    }

    void go(const QUrl &url) { command("POST", QStringLiteral("/url"), {{QStringLiteral("url"), url.toString()}}); }
    // The browser's Back.
    void back() { command("POST", QStringLiteral("/back")); }
    // Pages see a visitor who prefers dark colours, or light ones.
    void prefersDark(bool dark)
    {
        const QJsonObject feature{{QStringLiteral("name"), QStringLiteral("prefers-color-scheme")},
                                  {QStringLiteral("value"), dark ? QStringLiteral("dark") : QStringLiteral("light")}};
        command("POST", QStringLiteral("/goog/cdp/execute"),
                {{QStringLiteral("cmd"), QStringLiteral("Emulation.setEmulatedMedia")},
                 {QStringLiteral("params"), QJsonObject{{QStringLiteral("features"), QJsonArray{feature}}}}});
    }

    // Runs a function body in the page and returns what it returns.
    QJsonValue run(const QString &body)
    {
        return command("POST", QStringLiteral("/execute/sync"),
                       {{QStringLiteral("script"), body}, {QStringLiteral("args"), QJsonArray()}});
    }

    // Waits, up to a limit, until a function body returns true.
    bool until(const QString &body, int milliseconds = 10000)
    {
        QElapsedTimer waited;
        waited.start();
        do {
            if (run(body).toBool())
                return true;
            QThread::msleep(50);
        } while (waited.elapsed() < milliseconds);
        return false;
    }

    // Presses and releases a key as the keyboard would ("\uE004" Tab, "\uE007" Enter,
    // "\uE00C" Esc, "\uE012" left, "\uE014" right).
    void press(const QString &key)
    {
        const QJsonArray steps{QJsonObject{{QStringLiteral("type"), QStringLiteral("keyDown")}, {QStringLiteral("value"), key}},
                               QJsonObject{{QStringLiteral("type"), QStringLiteral("keyUp")}, {QStringLiteral("value"), key}}};
        const QJsonArray sources{QJsonObject{{QStringLiteral("type"), QStringLiteral("key")},
                                             {QStringLiteral("id"), QStringLiteral("keyboard")},
                                             {QStringLiteral("actions"), steps}}};
        command("POST", QStringLiteral("/actions"), {{QStringLiteral("actions"), sources}});
    }

    // The page as a PNG file.
    QByteArray screenshot()
    {
        return QByteArray::fromBase64(command("GET", QStringLiteral("/screenshot")).toString().toLatin1());
    }

private:
    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return probe.serverPort();
    }

    void quit()
    {
        if (!session.isEmpty())
            call("DELETE", QStringLiteral("/session/") + session);
        session.clear();
    }

    QJsonValue command(const char *verb, const QString &path, const QJsonObject &body = {})
    {
        return call(verb, QStringLiteral("/session/") + session + path, body).value(QStringLiteral("value"));
    }

    // One request; the answer's "value" object (the whole answer for /session).
    QJsonObject call(const char *verb, const QString &path, const QJsonObject &body = {})
    {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        request.setTransferTimeout(60000);
        QNetworkReply *reply = network.sendCustomRequest(request, verb, QJsonDocument(body).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        const QJsonValue value = answer.value(QStringLiteral("value"));
        // A new session answers with its id inside "value"; every other command's
        // "value" is its result, kept whole here.
        if (value.isObject() && value.toObject().contains(QStringLiteral("sessionId")))
            return value.toObject();
        return answer;
    }

    QProcess driver;
    QNetworkAccessManager network;
    quint16 port = 0;
    QString session;
};
