#include "output/HtmlFile.h"

#include "ui/FileWriting.h"
#include "ui/Paths.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <utility>

namespace {

// Where a document's meta elements are looked for: its head, near the start.
constexpr qsizetype DeclarationWindow = 4096;

QString charsetIn(QStringView head)
{
    static const QRegularExpression declaration(
        QStringLiteral(R"(<meta\b[^>]*?charset\s*=\s*["']?\s*([A-Za-z0-9._:+-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    return declaration.match(head).captured(1);
}

// Encodes text and checks that it decodes to the same text again: a character the
// set cannot hold comes back as a substitute, whatever the converter reports.
bool encodesFaithfully(QStringEncoder &encoder, QStringDecoder &decoder, QStringView text, QByteArray &bytes)
{
    bytes = encoder.encode(text);
    return QString(decoder.decode(bytes)) == text;
}

// The text in the character set, with a numeric character reference for every
// character the set cannot hold. Lines are tried whole first, as most pages hold
// few such characters.
QByteArray encodeWithReferences(const QString &text, const QByteArray &charset)
{
    QStringEncoder encoder(charset.constData(), QStringConverter::Flag::Stateless);
    QStringDecoder decoder(charset.constData(), QStringConverter::Flag::Stateless);
    QByteArray out;
    QByteArray bytes;
    if (encodesFaithfully(encoder, decoder, text, bytes))
        return bytes;
    out.reserve(text.size());
    bool firstLine = true;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (!std::exchange(firstLine, false))
            out += '\n';
        if (encodesFaithfully(encoder, decoder, line, bytes)) {
            out += bytes;
            continue;
        }
        for (qsizetype i = 0; i < line.size();) {
            const qsizetype length =
                line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate() ? 2 : 1;
            const QStringView character = line.mid(i, length);
            if (encodesFaithfully(encoder, decoder, character, bytes))
                out += bytes;
            else
                out += "&#" + QByteArray::number(character.toUcs4().value(0)) + ';';
            i += length;
        }
    }
    return out;
}

} // namespace

namespace HtmlFile {

QString WithHtmlExtension(const QString &path)
{
    const QString name = Paths::FileNameOf(path);
    if (name.indexOf(QLatin1Char('.'), 1) >= 1)
        return path;
    return path + (name.startsWith(QLatin1Char('.')) ? QStringLiteral("htm") : QStringLiteral(".htm"));
}

QString DeclaredCharset(const QString &text)
{
    return charsetIn(QStringView(text).left(DeclarationWindow));
}

QByteArray Encode(const QString &text)
{
    const QString charset = DeclaredCharset(text);
    if (charset.isEmpty() || !QStringEncoder(charset.toLatin1().constData()).isValid())
        return text.toUtf8();
    return encodeWithReferences(text, charset.toLatin1());
}

QString Decode(const QByteArray &bytes)
{
    // Stateless: bytes cut short at the end count, rather than waiting for more.
    constexpr auto whole = QStringConverter::Flag::Stateless;
    if (const auto marked = QStringConverter::encodingForData(bytes))
        return QStringDecoder(*marked, whole).decode(bytes);
    const QString declared = charsetIn(QString::fromLatin1(bytes.left(DeclarationWindow)));
    if (QStringDecoder decoder(declared.toLatin1().constData(), whole); !declared.isEmpty() && decoder.isValid())
        return decoder.decode(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, whole);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString Write(const QString &path, const QString &text)
{
    // A writable page in a directory that is not is written in place.
    return FileWriting::WriteWhole(path, Encode(text), true);
}

QString Read(const QString &path, QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    text = Decode(bytes);
    return QString();
}

} // namespace HtmlFile
