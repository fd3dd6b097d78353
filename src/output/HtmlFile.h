#pragma once

#include <QByteArray>
#include <QString>

// HTML documents as files: the name a saved page gets, and the bytes its text is
// written as and read from.
namespace HtmlFile {

// The path a page is saved under: ".htm" added to a file name without a dot, "htm"
// to one whose only dot is its first character; a file name with a dot after its
// first character is kept as typed. Dots in the folders do not count.
QString WithHtmlExtension(const QString &path);

// The character set the document declares in a meta element; empty when none.
QString DeclaredCharset(const QString &text);

// The bytes of a document: in its declared character set, every character that set
// cannot hold written as a numeric character reference; UTF-8 when it declares none.
QByteArray Encode(const QString &text);

// The text of a document's bytes: by its byte-order mark, else by its declared
// character set, else as UTF-8 when it is valid UTF-8, else as Latin-1.
QString Decode(const QByteArray &bytes);

// Writes a document; empty on success, else why it failed. An existing file is only
// replaced once the new one is complete.
QString Write(const QString &path, const QString &text);
// Reads a document into `text`; empty on success, else why it failed.
QString Read(const QString &path, QString &text);

} // namespace HtmlFile
