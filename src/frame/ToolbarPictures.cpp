#include "frame/ToolbarPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace ToolbarPictures {

namespace {

using Drawing = std::function<void(QPainter &)>;

// Every picture is drawn on a 64 x 64 canvas and scaled to the sizes Qt asks for.
// A drawing on a 64 x 64 canvas, at `size` pixels a side.
QImage drawn(const Drawing &draw, int size)
{
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    draw(painter);
    return picture;
}

QIcon render(const Drawing &draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(drawn(draw, size)));
    return icon;
}

const QColor Outline(60, 60, 70);

void photo(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(Outline, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 2, 2);
    const QRectF inner = r.adjusted(r.width() * 0.1, r.height() * 0.1, -r.width() * 0.1, -r.height() * 0.1);
    QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
    sky.setColorAt(0, QColor(90, 160, 230));
    sky.setColorAt(1, QColor(190, 225, 250));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(inner);
    p.setBrush(QColor(255, 205, 60));
    const double sun = inner.width() * 0.18;
    p.drawEllipse(QPointF(inner.right() - sun * 1.4, inner.top() + sun * 1.3), sun, sun);
    QPainterPath hills;
    hills.moveTo(inner.bottomLeft());
    hills.lineTo(inner.left() + inner.width() * 0.35, inner.top() + inner.height() * 0.45);
    hills.lineTo(inner.left() + inner.width() * 0.55, inner.top() + inner.height() * 0.7);
    hills.lineTo(inner.left() + inner.width() * 0.75, inner.top() + inner.height() * 0.55);
    hills.lineTo(inner.bottomRight());
    hills.closeSubpath();
    p.setBrush(QColor(70, 150, 70));
    p.drawPath(hills);
}

void arrowDown(QPainter &p, const QPointF &tip, double size, const QColor &color)
{
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(-size, -size));
    arrow.lineTo(tip + QPointF(-size * 0.45, -size));
    arrow.lineTo(tip + QPointF(-size * 0.45, -size * 2));
    arrow.lineTo(tip + QPointF(size * 0.45, -size * 2));
    arrow.lineTo(tip + QPointF(size * 0.45, -size));
    arrow.lineTo(tip + QPointF(size, -size));
    arrow.closeSubpath();
    p.setPen(QPen(color.darker(150), 2));
    p.setBrush(color);
    p.drawPath(arrow);
}

void folder(QPainter &p)
{
    p.setPen(QPen(QColor(150, 110, 20), 2));
    p.setBrush(QColor(240, 190, 70));
    QPainterPath back;
    back.moveTo(6, 16);
    back.lineTo(24, 16);
    back.lineTo(28, 21);
    back.lineTo(54, 21);
    back.lineTo(54, 54);
    back.lineTo(6, 54);
    back.closeSubpath();
    p.drawPath(back);
    photo(p, QRectF(16, 10, 30, 24));
    p.setPen(QPen(QColor(150, 110, 20), 2));
    p.setBrush(QColor(252, 214, 110));
    QPainterPath front;
    front.moveTo(6, 54);
    front.lineTo(13, 29);
    front.lineTo(61, 29);
    front.lineTo(54, 54);
    front.closeSubpath();
    p.drawPath(front);
}

void page(QPainter &p, const QColor &fold)
{
    QPainterPath sheet;
    sheet.moveTo(12, 4);
    sheet.lineTo(42, 4);
    sheet.lineTo(54, 16);
    sheet.lineTo(54, 60);
    sheet.lineTo(12, 60);
    sheet.closeSubpath();
    p.setPen(QPen(Outline, 2));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(fold);
    p.drawPolygon(QPolygonF({QPointF(42, 4), QPointF(42, 16), QPointF(54, 16)}));
}

void codeBrackets(QPainter &p, const QColor &color)
{
    QPen pen(color, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(27, 26), QPointF(18, 35), QPointF(27, 44)}));
    p.drawPolyline(QPolygonF({QPointF(39, 26), QPointF(48, 35), QPointF(39, 44)}));
    p.drawLine(QPointF(36, 24), QPointF(30, 46));
}

void window(QPainter &p, const QRectF &r, const QColor &title)
{
    p.setPen(QPen(Outline, 2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setBrush(title);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 7));
}

void star(QPainter &p, const QPointF &centre, double radius, const QColor &color)
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double reach = i % 2 ? radius * 0.45 : radius;
        points << centre + QPointF(std::cos(angle) * reach, std::sin(angle) * reach);
    }
    p.setPen(QPen(color.darker(140), 1.5));
    p.setBrush(color);
    p.drawPolygon(points);
}

} // namespace

QHash<QString, QIcon> ImageList()
{
    QHash<QString, QIcon> images;
    images.insert(QStringLiteral("Open Directory"), render(folder));
    images.insert(QStringLiteral("Open Image"), render([](QPainter &p) { photo(p, QRectF(4, 10, 56, 44)); }));
    images.insert(QStringLiteral("Save Images"), render([](QPainter &p) {
        photo(p, QRectF(4, 4, 46, 36));
        arrowDown(p, QPointF(46, 61), 13, QColor(60, 170, 80));
    }));
    images.insert(QStringLiteral("Save Thumbnails"), render([](QPainter &p) {
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                photo(p, QRectF(3 + column * 24, 3 + row * 20, 21, 17));
        arrowDown(p, QPointF(46, 61), 13, QColor(60, 170, 80));
    }));
    images.insert(QStringLiteral("Generate1"), render([](QPainter &p) {
        page(p, QColor(200, 215, 240));
        codeBrackets(p, QColor(40, 90, 200));
    }));
    images.insert(QStringLiteral("Generate2"), render([](QPainter &p) {
        page(p, QColor(250, 225, 190));
        codeBrackets(p, QColor(220, 110, 20));
        star(p, QPointF(48, 50), 12, QColor(255, 200, 40));
    }));
    images.insert(QStringLiteral("Stop"), render([](QPainter &p) {
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const double angle = M_PI / 8 + i * M_PI / 4;
            octagon << QPointF(32 + 28 * std::cos(angle), 32 + 28 * std::sin(angle));
        }
        p.setPen(QPen(QColor(120, 0, 0), 2));
        p.setBrush(QColor(210, 30, 30));
        p.drawPolygon(octagon);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(14, 27, 36, 10), 3, 3);
    }));
    images.insert(QStringLiteral("Listing"), render([](QPainter &p) {
        window(p, QRectF(4, 8, 56, 48), QColor(70, 110, 190));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(225, 232, 245));
        p.drawRect(QRectF(37, 16, 22, 39));
        p.setPen(QPen(QColor(70, 110, 190), 3));
        for (int line = 0; line < 5; ++line)
            p.drawLine(QPointF(41, 22 + line * 7), QPointF(55, 22 + line * 7));
        p.setPen(QPen(QColor(60, 170, 80), 4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10, 20, 22, 22), 30 * 16, 270 * 16);
        p.setBrush(QColor(60, 170, 80));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(26, 16), QPointF(34, 24), QPointF(24, 27)}));
    }));
    images.insert(QStringLiteral("Cascade"), render([](QPainter &p) {
        for (int i = 0; i < 3; ++i)
            window(p, QRectF(4 + i * 11, 4 + i * 11, 34, 30), QColor(70 + i * 30, 110, 190));
    }));
    images.insert(QStringLiteral("Tile"), render([](QPainter &p) {
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                window(p, QRectF(4 + column * 29, 6 + row * 27, 27, 24), QColor(70, 110, 190));
    }));
    images.insert(QStringLiteral("Mosaic"), render([](QPainter &p) {
        window(p, QRectF(4, 6, 34, 26), QColor(70, 110, 190));
        window(p, QRectF(40, 6, 20, 18), QColor(190, 110, 70));
        window(p, QRectF(4, 34, 18, 24), QColor(70, 160, 100));
        window(p, QRectF(24, 34, 36, 24), QColor(150, 90, 180));
    }));
    return images;
}

namespace {

// Two photos and a quill; resources/desktop/quillmere.svg is the same drawing.
void drawProgram(QPainter &p)
{
    photo(p, QRectF(10, 4, 50, 40));
    photo(p, QRectF(4, 20, 40, 32));
    QPainterPath quill;
    quill.moveTo(58, 22);
    quill.cubicTo(48, 30, 38, 46, 30, 62);
    quill.cubicTo(40, 50, 56, 40, 58, 22);
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    p.setBrush(QColor(245, 240, 225));
    p.drawPath(quill);
}

} // namespace

QIcon ProgramIcon()
{
    return render(drawProgram);
}

QImage ProgramPicture(int size)
{
    return drawn(drawProgram, size);
}

} // namespace ToolbarPictures
