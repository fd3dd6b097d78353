#include "webpage/HtmlText.h"

namespace HtmlText {

QString Attribute(QString text)
{
    return text.replace(u'&', QLatin1String("&amp;"))
        .replace(u'"', QLatin1String("&quot;"))
        .replace(u'<', QLatin1String("&lt;"))
        .replace(u'>', QLatin1String("&gt;"));
}

QString Content(QString text)
{
    return text.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;")).replace(u'>', QLatin1String("&gt;"));
}

namespace {

QString percentEncoded(const QString &text, bool spaces, bool angles)
{
    QString encoded;
    encoded.reserve(text.size());
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        const bool unsafe = code < 0x20 || (code >= 0x7F && code < 0xA0) || character == u'%' || character == u'#'
                            || character == u'?' || character == u'"' || character == u'\\'
                            || (spaces && character == u' ') || (angles && (character == u'<' || character == u'>'));
        if (!unsafe) {
            encoded += character;
            continue;
        }
        for (const char byte : QString(character).toUtf8())
            encoded += QStringLiteral("%%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return encoded;
}

} // namespace

QString Url(const QString &text, bool spaces)
{
    return Attribute(percentEncoded(text, spaces, false));
}

QString CssUrl(const QString &text)
{
    return percentEncoded(text, true, true);
}

CaptionLines SplitCaption(const QString &caption)
{
    const qsizetype first = caption.indexOf(CrLf);
    if (first < 0)
        return {caption, QString(), QString()};
    const qsizetype second = caption.indexOf(CrLf, first + 2);
    if (second < 0)
        return {caption.left(first), caption.mid(first + 2), QString()};
    return {caption.left(first), caption.mid(first + 2, second - first - 2), caption.mid(second + 2)};
}

} // namespace HtmlText
