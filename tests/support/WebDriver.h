#pragma once

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

// Headless Chromium driven through ChromeDriver's WebDriver protocol, so that a test
// can press real keys on a page and read what the page's scripts did.
class WebDriver {
public:
    // Starts ChromeDriver; ready() tells whether it answers.
    WebDriver()
    {
        const QString program = QStandardPaths::findExecutable("chromedriver");
        if (program.isEmpty())
            return;
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
        probe.close();
        driver.start(program, {QString("--port=%1").arg(port)});
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

    bool ready() { return port && call("GET", "/status").value("value").toObject().value("ready").toBool(); }

    // A new browser window of that size in CSS pixels, or a phone's screen of that
    // size (windows are never narrower than 500 pixels); false when none could start.
    bool open(int width, int height, bool phone = false)
    {
        quit();
        QJsonObject options{{"args", QJsonArray{"--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                                                "--force-device-scale-factor=1",
                                                QString("--window-size=%1,%2").arg(std::max(width, 500)).arg(height)}}};
        if (phone)
            options.insert("mobileEmulation", QJsonObject{{"deviceMetrics", QJsonObject{{"width", width}, {"height", height},
                                                                                         {"pixelRatio", 3.0}, {"touch", true},
                                                                                         {"mobile", true}}}});
        const QJsonObject capabilities{{"alwaysMatch", QJsonObject{{"goog:chromeOptions", options}}}};
        session = call("POST", "/session", {{"capabilities", capabilities}}).value("sessionId").toString();
        return !session.isEmpty();
    }

    void go(const QUrl &url) { command("POST", "/url", {{"url", url.toString()}}); }
    void back() { command("POST", "/back"); }

    // Runs a function body in the page and returns what it returns.
    QJsonValue run(const QString &body) { return command("POST", "/execute/sync", {{"script", body}, {"args", QJsonArray()}}); }

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
        const QJsonArray steps{QJsonObject{{"type", "keyDown"}, {"value", key}}, QJsonObject{{"type", "keyUp"}, {"value", key}}};
        const QJsonObject keyboard{{"type", "key"}, {"id", "keyboard"}, {"actions", steps}};
        command("POST", "/actions", {{"actions", QJsonArray{keyboard}}});
    }

private:
    void quit()
    {
        if (!session.isEmpty())
            call("DELETE", "/session/" + session);
        session.clear();
    }

    QJsonValue command(const char *verb, const QString &path, const QJsonObject &body = {})
    {
        return call(verb, "/session/" + session + path, body).value("value");
    }

    // One request and its answer; a new session's answer is the object inside its
    // "value", which holds the session's id.
    QJsonObject call(const char *verb, const QString &path, const QJsonObject &body = {})
    {
        QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1%2").arg(port).arg(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setTransferTimeout(60000);
        QNetworkReply *reply = network.sendCustomRequest(request, verb, QJsonDocument(body).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        const QJsonValue value = answer.value("value");
        return value.isObject() && value.toObject().contains("sessionId") ? value.toObject() : answer;
    }

    QProcess driver;
    QNetworkAccessManager network;
    quint16 port = 0;
    QString session;
};
