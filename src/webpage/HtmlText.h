#pragma once

#include <QString>

// How text goes into a page's markup. What a page writes unescaped would break its
// markup or its links for names holding these characters; names without them come
// out exactly as typed.
namespace HtmlText {

inline const QString CrLf = QStringLiteral("\r\n");

// Text inside an attribute value.
QString Attribute(QString text);
// Text between tags.
QString Content(QString text);
// A piece of a URL: the characters a browser would take for something else (an
// escape, a fragment, a query, a separator) or drop (control characters) are
// percent-encoded, spaces only when asked; then the whole is made fit for an
// attribute value.
QString Url(const QString &text, bool spaces);
// A URL inside a style element, where no markup is read: percent-encoded as above,
// spaces and angle brackets too, so that nothing can end the element.
QString CssUrl(const QString &text);

// The three caption lines of a thumbnail window.
struct CaptionLines {
    QString name, size, fileSize;
};
CaptionLines SplitCaption(const QString &caption);

} // namespace HtmlText
