#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

using namespace Qt::StringLiterals;

// The files a page refers to (image sources, links, background), as paths relative
// to the page: character references and percent-escapes undone.
inline QStringList referencedFiles(const QString &html)
{
    static const QRegularExpression reference(QStringLiteral(R"re(\b(?:src|href|background)="([^"]*)")re"));
    static const QRegularExpression numeric(u"&#([0-9]+);"_s);
    QStringList files;
    for (auto match = reference.globalMatch(html); match.hasNext();) {
        QString value = match.next().captured(1);
        if (value.isEmpty() || value.startsWith(u"data:"_s))
            continue;  // no file: the viewer's link before it opens, an inline icon
        for (auto character = numeric.match(value); character.hasMatch(); character = numeric.match(value)) {
            const char32_t code = character.captured(1).toUInt();
            value.replace(character.captured(0), QString::fromUcs4(&code, 1));
        }
        value.replace(u"&quot;"_s, u"\""_s).replace(u"&amp;"_s, u"&"_s);
        files << QUrl::fromPercentEncoding(value.toUtf8());
    }
    return files;
}
