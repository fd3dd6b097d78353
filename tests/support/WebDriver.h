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

using namespace Qt::StringLiterals;

// Headless Chromium driven through ChromeDriver's WebDriver protocol, so that a test
// can press real keys on a page and read what the page's scripts did.
class WebDriver {
public:
    // Starts ChromeDriver; ready() tells whether it answers.
    WebDriver()
    {
        const QString program = QStandardPaths::findExecutable(u"chromedriver"_s);
        if (program.isEmpty())
            return;
        port = freePort();
        driver.start(program, {u"--port=%1"_s.arg(port)});
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
               && call("GET", u"/status"_s).value(u"value"_s).toObject().value(u"ready"_s).toBool();
    }

    // A new browser window of that size in CSS pixels, or a phone's screen of that
    // size (windows are never narrower than 500 pixels); false when none could start.
    bool open(int width, int height, bool phone = false)
    {
        quit();
        const QJsonArray arguments{u"--headless=new"_s, u"--no-sandbox"_s,
                                   u"--disable-gpu"_s, u"--disable-dev-shm-usage"_s,
                                   u"--force-device-scale-factor=1"_s,
                                   u"--window-size=%1,%2"_s.arg(std::max(width, 500)).arg(height)};
        QJsonObject options{{u"args"_s, arguments}};
        if (phone)
            options.insert(u"mobileEmulation"_s, QJsonObject{{u"deviceMetrics"_s,
                                        QJsonObject{{u"width"_s, width}, {u"height"_s, height}, {u"pixelRatio"_s, 3.0},
                                                    {u"touch"_s, true},
                                                    {u"mobile"_s, true}}}});
        const QJsonObject capabilities{
            {u"alwaysMatch"_s, QJsonObject{{u"goog:chromeOptions"_s, options}}}};
        session = call("POST", u"/session"_s, {{u"capabilities"_s, capabilities}})
                      .value(u"sessionId"_s)
                      .toString();
        return !session.isEmpty();
    }

    void go(const QUrl &url) { command("POST", u"/url"_s, {{u"url"_s, url.toString()}}); }
    // The browser's Back.
    void back() { command("POST", u"/back"_s); }
    // Pages see a visitor who prefers dark colours, or light ones.
    void prefersDark(bool dark)
    {
        const QJsonObject feature{{u"name"_s, u"prefers-color-scheme"_s}, {u"value"_s, dark ? u"dark"_s : u"light"_s}};
        command("POST", u"/goog/cdp/execute"_s, {{u"cmd"_s, u"Emulation.setEmulatedMedia"_s},
                 {u"params"_s, QJsonObject{{u"features"_s, QJsonArray{feature}}}}});
    }

    // Runs a function body in the page and returns what it returns.
    QJsonValue run(const QString &body)
    {
        return command("POST", u"/execute/sync"_s, {{u"script"_s, body}, {u"args"_s, QJsonArray()}});
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
        const QJsonArray steps{QJsonObject{{u"type"_s, u"keyDown"_s}, {u"value"_s, key}},
                               QJsonObject{{u"type"_s, u"keyUp"_s}, {u"value"_s, key}}};
        const QJsonArray sources{QJsonObject{{u"type"_s, u"key"_s}, {u"id"_s, u"keyboard"_s}, {u"actions"_s, steps}}};
        command("POST", u"/actions"_s, {{u"actions"_s, sources}});
    }

    // The page as a PNG file.
    QByteArray screenshot()
    {
        return QByteArray::fromBase64(command("GET", u"/screenshot"_s).toString().toLatin1());
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
            call("DELETE", u"/session/"_s + session);
        session.clear();
    }

    QJsonValue command(const char *verb, const QString &path, const QJsonObject &body = {})
    {
        return call(verb, u"/session/"_s + session + path, body).value(u"value"_s);
    }

    // One request; the answer's "value" object (the whole answer for /session).
    QJsonObject call(const char *verb, const QString &path, const QJsonObject &body = {})
    {
        QNetworkRequest request(QUrl(u"http://127.0.0.1:%1%2"_s.arg(port).arg(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, u"application/json"_s);
        request.setTransferTimeout(60000);
        QNetworkReply *reply = network.sendCustomRequest(request, verb, QJsonDocument(body).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        const QJsonValue value = answer.value(u"value"_s);
        // A new session answers with its id inside "value"; every other command's
        // "value" is its result, kept whole here.
        if (value.isObject() && value.toObject().contains(u"sessionId"_s))
            return value.toObject();
        return answer;
    }

    QProcess driver;
    QNetworkAccessManager network;
    quint16 port = 0;
    QString session;
};
