#include "imagebuffer/MetafilePlayer.h"

#include "imagebuffer/ByteReader.h"
#include "imagebuffer/ImageFormat.h"
#include "imagebuffer/ImageReaders.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

namespace MetafilePlayer {

namespace {

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr qsizetype PlaceableSize = 22;
constexpr qsizetype HeaderWords = 9;
constexpr int MaxRecords = 2'000'000;
constexpr int MaxSavedStates = 1000;
constexpr int MaxObjects = 65535;

enum Record : quint16 {
    EndOfFile = 0x0000, SaveDc = 0x001E, RealizePalette = 0x0035, SetBkMode = 0x0102,
    SetMapMode = 0x0103, SetPolyFillMode = 0x0106, RestoreDc = 0x0127, SelectObject = 0x012D,
    SetTextAlign = 0x012E, DibCreatePatternBrush = 0x0142, DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9, SetBkColor = 0x0201, SetTextColor = 0x0209, SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C, SetViewportOrg = 0x020D, SetViewportExt = 0x020E, OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211, ScaleViewportExt = 0x0412, LineTo = 0x0213, MoveTo = 0x0214,
    CreatePenIndirect = 0x02FA, CreateFontIndirect = 0x02FB, CreateBrushIndirect = 0x02FC,
    CreatePalette = 0x00F7, Polygon = 0x0324, Polyline = 0x0325, ScaleWindowExt = 0x0410,
    ExcludeClipRect = 0x0415, IntersectClipRect = 0x0416, Ellipse = 0x0418, Rectangle = 0x041B,
    SetPixel = 0x041F, TextOut = 0x0521, PolyPolygon = 0x0538, RoundRect = 0x061C, PatBlt = 0x061D,
    CreateRegion = 0x06FF, Arc = 0x0817, Pie = 0x081A, Chord = 0x0830, DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32, DibStretchBlt = 0x0B41, StretchDib = 0x0F43,
};

struct PenObject {
    QColor colour;
    Qt::PenStyle style;
    double width;  // logical units; 0 is one pixel whatever the scale
};
struct BrushObject {
    QBrush brush;
};
struct FontObject {
    QString family;
    double height;
    int weight, escapement;
    bool italic, underline, strikeOut;
};
struct OtherObject {};
using GdiObject = std::variant<PenObject, BrushObject, FontObject, OtherObject>;

struct DcState {
    PenObject pen{Qt::black, Qt::SolidLine, 0};
    QBrush brush{Qt::white};
    FontObject font{QString(), 12, 400, 0, false, false, false};
    QColor textColour = Qt::black;
    QColor backColour = Qt::white;
    bool opaqueBackground = true;
    int textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF position;
    int mapMode = 8;  // anisotropic
    QPointF windowOrigin;
    QSizeF windowExtent{1, 1};
    QPointF viewportOrigin;
    QSizeF viewportExtent{1, 1};
    std::optional<QPainterPath> clip;  // in pixels
};

QColor colourRef(quint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// One record: its function and its 16-bit parameters, read within its own bounds.
class RecordView {
public:
    RecordView(const QByteArray &data, qsizetype start, qsizetype words)
        : bytes(data), first(start + 6), count(words - 3)
    {
    }
    qsizetype parameters() const { return count; }
    qint16 s(qsizetype i) const { return i < count ? qint16(ByteReader::u16At(bytes, first + 2 * i)) : 0; }
    quint16 u(qsizetype i) const { return quint16(s(i)); }
    quint32 u32(qsizetype i) const { return u(i) | (quint32(u(i + 1)) << 16); }
    QByteArray raw(qsizetype fromParameter, qsizetype length) const
    {
        const qsizetype start = first + 2 * fromParameter;
        const qsizetype available = std::max<qsizetype>(0, first + 2 * count - start);
        return start >= bytes.size() ? QByteArray() : bytes.mid(start, std::min(length, available));
    }

private:
    const QByteArray &bytes;
    qsizetype first;
    qsizetype count;
};

// Walks the records from `at` to the end-of-file record, handing each to `visit`
// until it returns false. A record must hold at least its own header and lie wholly
// within the data; the walk ends at the first that does not, and after MaxRecords.
template <class Visit>
void forEachRecord(const QByteArray &bytes, qsizetype at, Visit visit)
{
    for (int n = 0; n < MaxRecords && at + 6 <= bytes.size(); ++n) {
        const qsizetype words = ByteReader::u32At(bytes, at);
        const quint16 function = ByteReader::u16At(bytes, at + 4);
        if (function == EndOfFile || words < 3 || words > (bytes.size() - at) / 2)
            return;
        if (!visit(function, RecordView(bytes, at, words), words))
            return;
        at += 2 * words;
    }
}

// A bitmap stored in a record without its file header, read as the BMP it is.
QImage dibImage(const QByteArray &dib)
{
    const quint32 headerSize = ByteReader::u32At(dib, 0);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return QImage();
    const bool core = headerSize == 12;
    const int bitCount = ByteReader::u16At(dib, core ? 10 : 14);
    const quint32 compression = core ? 0 : ByteReader::u32At(dib, 16);
    const quint32 used = core ? 0 : ByteReader::u32At(dib, 32);
    qint64 paletteBytes = bitCount <= 8 ? (used ? used : 1u << bitCount) * (core ? 3 : 4) : used * 4;
    if (compression == 3 && headerSize == 40)
        paletteBytes += 12;
    QByteArray file("BM", 2);
    file.append(reinterpret_cast<const char *>(std::array<quint32, 3>{quint32(14 + dib.size()), 0,
                                                                      quint32(14 + headerSize + paletteBytes)}
                                                   .data()),
                12);
    file.append(dib);
    const DecodedImage decoded = ImageReaders::Read(ImageFormat::Bmp, file);
    return decoded.ok() ? decoded.image : QImage();
}

// Clips a closed polygon to a rectangle (Sutherland-Hodgman). The part inside keeps
// its winding, so it fills as the whole polygon would have filled there.
QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &area)
{
    QPolygonF current = polygon;
    const auto edge = [&](auto inside, auto cross) {
        QPolygonF next;
        for (qsizetype i = 0; i < current.size(); ++i) {
            const QPointF a = current[i], b = current[(i + 1) % current.size()];
            if (inside(a)) {
                next << a;
                if (!inside(b))
                    next << cross(a, b);
            } else if (inside(b)) {
                next << cross(a, b);
            }
        }
        current = next;
    };
    const auto atX = [](double x) {
        return [x](QPointF a, QPointF b) { return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())); };
    };
    const auto atY = [](double y) {
        return [y](QPointF a, QPointF b) { return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y); };
    };
    edge([&](QPointF p) { return p.x() >= area.left(); }, atX(area.left()));
    edge([&](QPointF p) { return p.x() <= area.right(); }, atX(area.right()));
    edge([&](QPointF p) { return p.y() >= area.top(); }, atY(area.top()));
    edge([&](QPointF p) { return p.y() <= area.bottom(); }, atY(area.bottom()));
    return current;
}

class Player {
public:
    // The window starts as the picture's logical bounds and the viewport as the
    // whole picture, as a program sets them up to play a metafile into a rectangle;
    // the metafile's own records then change either.
    Player(const QByteArray &data, QImage &target, const QRectF &window)
        : bytes(data), painter(&target), pixelBounds(target.rect())
    {
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        state.windowOrigin = window.topLeft();
        state.windowExtent = window.size();
        state.viewportExtent = target.size();
        applyTransform();
    }

    void play(qsizetype start)
    {
        const double area = double(pixelBounds.width()) * pixelBounds.height();
        paintBudget = std::clamp(64 * area, 1e8, 1e9);
        forEachRecord(bytes, start, [this](quint16 function, const RecordView &r, qsizetype words) {
            perform(function, r, words);
            return true;
        });
    }

private:
    void perform(quint16 function, const RecordView &r, qsizetype words);
    void applyTransform();
    void applyClip();
    QPointF point(const RecordView &r, qsizetype i) const { return QPointF(r.s(i + 1), r.s(i)); }
    QRectF box(const RecordView &r, qsizetype first) const
    {
        return QRectF(QPointF(r.s(first + 3), r.s(first + 2)), QPointF(r.s(first + 1), r.s(first))).normalized();
    }
    void usePenAndBrush(bool fill);
    void drawShape(const QPainterPath &logical, bool fill);
    bool withinBudget(const QRectF &device);
    void drawDevicePath(QPainterPath device, bool fill);
    void drawArcLike(const RecordView &r, quint16 function);
    void drawText(QPointF at, const QByteArray &text, const std::optional<QRectF> &opaqueBox);
    void drawBitmap(const QImage &image, QRectF destination, QRectF source, quint32 rop);
    void createObject(GdiObject object);
    void select(quint16 index);
    QPolygonF polygon(const RecordView &r, qsizetype first, int count) const;

    const QByteArray &bytes;
    QPainter painter;
    QRect pixelBounds;
    DcState state;
    std::vector<DcState> saved;
    std::vector<std::optional<GdiObject>> objects;
    double paintBudget = 0;  // pixels that may still be filled
};

// Logical units to pixels: the window's origin goes to the viewport's origin, and the
// window's extent spans the viewport's; isotropic mapping keeps both scales equal.
void Player::applyTransform()
{
    double sx = state.viewportExtent.width() / state.windowExtent.width();
    double sy = state.viewportExtent.height() / state.windowExtent.height();
    if (state.mapMode == 7) {
        const double scale = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(scale, sx);
        sy = std::copysign(scale, sy);
    }
    painter.setWorldTransform(QTransform(sx, 0, 0, sy, state.viewportOrigin.x() - state.windowOrigin.x() * sx,
                                         state.viewportOrigin.y() - state.windowOrigin.y() * sy));
}

void Player::applyClip()
{
    const QTransform transform = painter.worldTransform();
    painter.resetTransform();
    if (state.clip)
        painter.setClipPath(*state.clip);
    else
        painter.setClipping(false);
    painter.setWorldTransform(transform);
}

void Player::usePenAndBrush(bool fill)
{
    if (state.pen.style == Qt::NoPen) {
        painter.setPen(Qt::NoPen);
    } else {
        const double scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
        const double pixels = std::min(state.pen.width * scale, double(pixelBounds.width() + pixelBounds.height()));
        QPen pen(state.pen.colour, state.pen.width > 0 && pixels >= 1 ? pixels : 1.0, state.pen.style,
                 Qt::RoundCap, Qt::RoundJoin);
        pen.setCosmetic(true);
        painter.setPen(pen);
    }
    painter.setBrush(fill ? state.brush : QBrush(Qt::NoBrush));
    if (state.brush.style() != Qt::SolidPattern && state.opaqueBackground)
        painter.setBackgroundMode(Qt::OpaqueMode);
    else
        painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBackground(state.backColour);
}

// Counts what a drawing covers of the picture against the budget. A real picture
// covers its area a few times over; a hostile one can ask for endless full fills,
// and once the budget is spent nothing more is drawn.
bool Player::withinBudget(const QRectF &device)
{
    const QRectF covered = device.intersected(QRectF(pixelBounds));
    paintBudget -= std::max(covered.width() * covered.height(), 1.0);
    return paintBudget > 0;
}

void Player::drawShape(const QPainterPath &logical, bool fill)
{
    drawDevicePath(painter.worldTransform().map(logical), fill);
}

// Draws a path given in pixels. The rasteriser's work grows with the length of what
// it fills, so a filled shape that reaches beyond the picture is first cut down to a
// margin around it, and a shape whose edges are still very long is filled without
// anti-aliasing, which costs little whatever the shape. Real pictures never get
// there; a hostile file could otherwise keep the loader busy for minutes.
void Player::drawDevicePath(QPainterPath device, bool fill)
{
    if (!withinBudget(device.controlPointRect()))
        return;
    bool smooth = true;
    const QRectF safe = QRectF(pixelBounds).adjusted(-64, -64, 64, 64);
    const QRectF bounds = device.boundingRect();
    const double longEdges = 64.0 * (pixelBounds.width() + pixelBounds.height());
    // No edge is longer than the bounds' diagonal, so most shapes need no measuring.
    const bool shortEdges = device.elementCount() * std::hypot(bounds.width(), bounds.height()) <= longEdges;
    if (fill && (!safe.contains(bounds) || !shortEdges)) {
        QPainterPath clipped;
        clipped.setFillRule(device.fillRule());
        double perimeter = 0;
        for (const QPolygonF &part : device.toSubpathPolygons()) {
            const QPolygonF kept = clipPolygon(part, safe);
            for (qsizetype i = 1; i < kept.size(); ++i)
                perimeter += QLineF(kept[i - 1], kept[i]).length();
            clipped.addPolygon(kept);
        }
        device = clipped;
        smooth = perimeter <= longEdges;
    }
    usePenAndBrush(fill);
    const QTransform transform = painter.worldTransform();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.drawPath(device);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setWorldTransform(transform);
}

QPolygonF Player::polygon(const RecordView &r, qsizetype first, int count) const
{
    QPolygonF points;
    const qsizetype available = std::max<qsizetype>(0, (r.parameters() - first) / 2);
    count = int(std::min<qsizetype>(std::max(count, 0), available));
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points << QPointF(r.s(first + 2 * i), r.s(first + 2 * i + 1));
    return points;
}

// Arcs, pies and chords run counter-clockwise, as seen on the picture, from the
// start radial to the end radial.
void Player::drawArcLike(const RecordView &r, quint16 function)
{
    const QRectF bounds = box(r, 4);
    const QTransform toPixels = painter.worldTransform();
    const QPointF centre = toPixels.map(bounds.center());
    const QPointF start = toPixels.map(point(r, 2));
    const QPointF end = toPixels.map(point(r, 0));
    const double startAngle = qRadiansToDegrees(std::atan2(centre.y() - start.y(), start.x() - centre.x()));
    const double endAngle = qRadiansToDegrees(std::atan2(centre.y() - end.y(), end.x() - centre.x()));
    double span = endAngle - startAngle;
    while (span <= 0)
        span += 360;
    const QRectF pixelBox = toPixels.mapRect(bounds);
    QPainterPath path;
    if (function == Pie) {
        path.moveTo(pixelBox.center());
        path.arcTo(pixelBox, startAngle, span);
        path.closeSubpath();
    } else {
        path.arcMoveTo(pixelBox, startAngle);
        path.arcTo(pixelBox, startAngle, span);
        if (function == Chord)
            path.closeSubpath();
    }
    drawDevicePath(path, function != Arc);
}

void Player::drawText(QPointF at, const QByteArray &text, const std::optional<QRectF> &opaqueBox)
{
    if (state.textAlign & 1)  // update the current position
        at = state.position;
    const QTransform toPixels = painter.worldTransform();
    const QPointF anchor = toPixels.map(at);
    const double scale = std::abs(toPixels.m22());
    const double pixelHeight = std::clamp(std::abs(state.font.height) * scale, 1.0, double(pixelBounds.height() * 2 + 8));
    QFont font(state.font.family.isEmpty() ? QStringLiteral("Sans Serif") : state.font.family);
    font.setStyleHint(QFont::SansSerif);
    // A negative height is the glyphs' own height; a positive one includes the leading.
    font.setPixelSize(std::max(1, int(std::lround(state.font.height < 0 ? pixelHeight : pixelHeight * 0.85))));
    font.setWeight(QFont::Weight(std::clamp(state.font.weight > 0 ? state.font.weight : 400, 100, 900)));
    font.setItalic(state.font.italic);
    font.setUnderline(state.font.underline);
    font.setStrikeOut(state.font.strikeOut);
    const QString string = QString::fromLatin1(text);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(string);
    if (!withinBudget(QRectF(anchor, QSizeF(width, metrics.height())))
        || (opaqueBox && !withinBudget(toPixels.mapRect(*opaqueBox))))
        return;
    painter.save();
    painter.resetTransform();
    if (opaqueBox)
        painter.fillRect(toPixels.mapRect(*opaqueBox), state.backColour);
    painter.setFont(font);
    painter.translate(anchor);
    painter.rotate(-state.font.escapement / 10.0);
    double x = 0, y = 0;
    if ((state.textAlign & 6) == 6)
        x = -width / 2;
    else if (state.textAlign & 2)
        x = -width;
    if ((state.textAlign & 24) == 24)
        y = 0;  // baseline
    else if (state.textAlign & 8)
        y = -metrics.descent();
    else
        y = metrics.ascent();
    if (state.opaqueBackground && !opaqueBox)
        painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()), state.backColour);
    painter.setPen(state.textColour);
    painter.drawText(QPointF(x, y), string);
    painter.restore();
    if (state.textAlign & 1)
        state.position = toPixels.inverted().map(anchor + QPointF(width, 0));
}

void Player::drawBitmap(const QImage &image, QRectF destination, QRectF source, quint32 rop)
{
    if (image.isNull())
        return;
    if (source.isEmpty())
        source = image.rect();
    if (!withinBudget(painter.worldTransform().mapRect(destination)))
        return;
    switch (rop) {
    case 0x008800C6: painter.setCompositionMode(QPainter::CompositionMode_Multiply); break;   // AND
    case 0x00EE0086: painter.setCompositionMode(QPainter::CompositionMode_Lighten); break;    // OR
    case 0x00660046: painter.setCompositionMode(QPainter::CompositionMode_Difference); break; // XOR
    default: break;
    }
    painter.drawImage(destination, image, source);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Player::createObject(GdiObject object)
{
    for (auto &slot : objects) {
        if (!slot) {
            slot = std::move(object);
            return;
        }
    }
    if (objects.size() < MaxObjects)
        objects.emplace_back(std::move(object));
}

void Player::select(quint16 index)
{
    if (index >= objects.size() || !objects[index])
        return;
    const GdiObject &object = *objects[index];
    if (const auto *pen = std::get_if<PenObject>(&object))
        state.pen = *pen;
    else if (const auto *brush = std::get_if<BrushObject>(&object))
        state.brush = brush->brush;
    else if (const auto *font = std::get_if<FontObject>(&object))
        state.font = *font;
}

Qt::PenStyle penStyle(int style)
{
    switch (style & 0x0F) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QBrush hatchBrush(const QColor &colour, int hatch)
{
    static const Qt::BrushStyle styles[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern, Qt::BDiagPattern,
                                            Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(colour, hatch >= 0 && hatch < 6 ? styles[hatch] : Qt::SolidPattern);
}

void Player::perform(quint16 function, const RecordView &r, qsizetype words)
{
    switch (function) {
    case SetBkColor: state.backColour = colourRef(r.u32(0)); break;
    case SetBkMode: state.opaqueBackground = r.u(0) == 2; break;
    case SetTextColor: state.textColour = colourRef(r.u32(0)); break;
    case SetTextAlign: state.textAlign = r.u(0); break;
    case SetPolyFillMode: state.fillRule = r.u(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case SetWindowOrg:
    case SetViewportOrg:
        (function == SetWindowOrg ? state.windowOrigin : state.viewportOrigin) = point(r, 0);
        applyTransform();
        break;
    case OffsetWindowOrg:
    case OffsetViewportOrg:
        (function == OffsetWindowOrg ? state.windowOrigin : state.viewportOrigin) += point(r, 0);
        applyTransform();
        break;
    case SetWindowExt:
    case SetViewportExt:
        if (r.s(0) && r.s(1)) {
            (function == SetWindowExt ? state.windowExtent : state.viewportExtent) = QSizeF(r.s(1), r.s(0));
            applyTransform();
        }
        break;
    case SetMapMode:
        state.mapMode = r.u(0);
        applyTransform();
        break;
    case ScaleWindowExt:
    case ScaleViewportExt: {
        QSizeF &extent = function == ScaleWindowExt ? state.windowExtent : state.viewportExtent;
        if (r.s(0) && r.s(2)) {
            const QSizeF scaled(extent.width() * r.s(3) / r.s(2), extent.height() * r.s(1) / r.s(0));
            if (scaled.width() != 0 && scaled.height() != 0) {
                extent = scaled;
                applyTransform();
            }
        }
        break;
    }
    case MoveTo: state.position = point(r, 0); break;
    case LineTo: {
        usePenAndBrush(false);
        const QPointF to = point(r, 0);
        painter.drawLine(state.position, to);
        state.position = to;
        break;
    }
    case Rectangle: {
        QPainterPath path;
        path.addRect(box(r, 0));
        drawShape(path, true);
        break;
    }
    case Ellipse: {
        QPainterPath path;
        path.addEllipse(box(r, 0));
        drawShape(path, true);
        break;
    }
    case RoundRect: {
        QPainterPath path;
        path.addRoundedRect(box(r, 2), std::abs(r.s(1)) / 2.0, std::abs(r.s(0)) / 2.0);
        drawShape(path, true);
        break;
    }
    case Arc:
    case Pie:
    case Chord: drawArcLike(r, function); break;
    case Polygon: {
        QPainterPath path;
        path.setFillRule(state.fillRule);
        path.addPolygon(polygon(r, 1, r.s(0)));
        path.closeSubpath();
        drawShape(path, true);
        break;
    }
    case Polyline:
        usePenAndBrush(false);
        painter.drawPolyline(polygon(r, 1, r.s(0)));
        break;
    case PolyPolygon: {
        const int count = std::max<int>(0, r.s(0));
        QPainterPath path;
        path.setFillRule(state.fillRule);
        qsizetype next = 1 + count;
        for (int i = 0; i < count && next < r.parameters(); ++i) {
            const int points = std::max<int>(0, r.s(1 + i));
            path.addPolygon(polygon(r, next, points));
            path.closeSubpath();
            next += 2 * qsizetype(points);
        }
        drawShape(path, true);
        break;
    }
    case SetPixel: {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colourRef(r.u32(0)));
        const QPointF centre = painter.worldTransform().map(point(r, 2));
        painter.resetTransform();
        painter.drawRect(QRectF(std::floor(centre.x()), std::floor(centre.y()), 1, 1));
        painter.restore();
        break;
    }
    case SaveDc:
        if (saved.size() < MaxSavedStates)
            saved.push_back(state);
        break;
    case RestoreDc: {
        const int which = r.s(0);
        const qsizetype keep = which < 0 ? qsizetype(saved.size()) + which : which - 1;
        if (keep >= 0 && keep < qsizetype(saved.size())) {
            state = saved[size_t(keep)];
            saved.resize(size_t(keep));
            applyTransform();
            applyClip();
        }
        break;
    }
    case IntersectClipRect:
    case ExcludeClipRect: {
        QPainterPath area;
        area.addPolygon(painter.worldTransform().map(QPolygonF(box(r, 0))));
        QPainterPath whole;
        whole.addRect(pixelBounds);
        const QPainterPath current = state.clip.value_or(whole);
        state.clip = function == IntersectClipRect ? current.intersected(area) : current.subtracted(area);
        applyClip();
        break;
    }
    case CreatePenIndirect:
        createObject(PenObject{colourRef(r.u32(3)), penStyle(r.u(0)), double(std::abs(r.s(1)))});
        break;
    case CreateBrushIndirect: {
        const QColor colour = colourRef(r.u32(1));
        const int style = r.u(0);
        QBrush brush = style == 1 ? QBrush(Qt::NoBrush) : style == 2 ? hatchBrush(colour, r.s(3)) : QBrush(colour);
        createObject(BrushObject{brush});
        break;
    }
    case DibCreatePatternBrush: {
        const QImage pattern = dibImage(r.raw(2, 2 * (words - 5)));
        createObject(BrushObject{pattern.isNull() ? QBrush(Qt::gray) : QBrush(pattern)});
        break;
    }
    case CreatePatternBrush: createObject(BrushObject{QBrush(Qt::gray)}); break;
    case CreateFontIndirect: {
        const QByteArray face = r.raw(9, 32);
        const qsizetype end = face.indexOf('\0');
        createObject(FontObject{QString::fromLatin1(end < 0 ? face : face.left(end)), double(r.s(0)), r.s(4),
                                r.s(2), (r.u(5) & 0xFF) != 0, (r.u(5) >> 8) != 0, (r.u(6) & 0xFF) != 0});
        break;
    }
    case CreatePalette:
    case CreateRegion: createObject(OtherObject{}); break;
    case SelectObject: select(r.u(0)); break;
    case DeleteObject:
        if (r.u(0) < objects.size())
            objects[r.u(0)].reset();
        break;
    case TextOut: {
        const int length = std::max<int>(0, r.s(0));
        const qsizetype after = 1 + (length + 1) / 2;
        drawText(point(r, after), r.raw(1, length), std::nullopt);
        break;
    }
    case ExtTextOut: {
        const int length = std::max<int>(0, r.s(2));
        const int options = r.u(3);
        const bool hasBox = options & 0x0006;
        const qsizetype textStart = hasBox ? 8 : 4;
        std::optional<QRectF> opaque;
        if (hasBox && (options & 0x0002))
            opaque = QRectF(QPointF(r.s(5), r.s(4)), QPointF(r.s(7), r.s(6))).normalized();
        drawText(point(r, 0), r.raw(textStart, length), opaque);
        break;
    }
    case PatBlt: {
        const quint32 rop = r.u32(0);
        const QRectF area(r.s(5), r.s(4), r.s(3), r.s(2));
        if (!withinBudget(painter.worldTransform().mapRect(area)))
            break;
        const QBrush fill = rop == 0x00000042 ? QBrush(Qt::black) : rop == 0x00FF0062 ? QBrush(Qt::white) : state.brush;
        painter.fillRect(area, fill);
        break;
    }
    case DibBitBlt:
        if (words > (function >> 8) + 3)
            drawBitmap(dibImage(r.raw(8, 2 * (words - 11))), QRectF(r.s(7), r.s(6), r.s(5), r.s(4)),
                       QRectF(r.s(3), r.s(2), r.s(5), r.s(4)), r.u32(0));
        break;
    case DibStretchBlt:
        if (words > (function >> 8) + 3)
            drawBitmap(dibImage(r.raw(10, 2 * (words - 13))), QRectF(r.s(9), r.s(8), r.s(7), r.s(6)),
                       QRectF(r.s(3), r.s(2), r.s(5), r.s(4)), r.u32(0));
        break;
    case StretchDib: {
        const QByteArray dib = r.raw(11, 2 * (words - 14));
        const QImage image = dibImage(dib);
        // The source rectangle of a bottom-up bitmap counts its rows from the bottom.
        const bool bottomUp = qint32(ByteReader::u32At(dib, 8)) > 0 && ByteReader::u32At(dib, 0) != 12;
        const double sourceTop = bottomUp ? image.height() - r.s(5) - r.s(3) : r.s(5);
        drawBitmap(image, QRectF(r.s(10), r.s(9), r.s(8), r.s(7)), QRectF(r.s(6), sourceTop, r.s(4), r.s(3)),
                   r.u32(0));
        break;
    }
    default: break;  // palettes, escapes and the like change nothing that is drawn
    }
}

struct Layout {
    qsizetype recordsStart = 0;
    QRectF window;  // the logical area the picture shows
    QSize pixels;
};

bool standardHeader(const QByteArray &bytes, qsizetype at)
{
    const quint16 type = ByteReader::u16At(bytes, at);
    const quint16 headerSize = ByteReader::u16At(bytes, at + 2);
    const quint16 version = ByteReader::u16At(bytes, at + 4);
    return bytes.size() >= at + 2 * HeaderWords && (type == 1 || type == 2) && headerSize == HeaderWords
           && (version == 0x0100 || version == 0x0300);
}

// The window extent the metafile sets for itself, for a file without bounds.
std::optional<QSizeF> firstWindowExtent(const QByteArray &bytes, qsizetype at)
{
    std::optional<QSizeF> extent;
    forEachRecord(bytes, at, [&extent](quint16 function, const RecordView &r, qsizetype words) {
        if (function == SetWindowExt && words >= 5 && r.s(0) && r.s(1))
            extent = QSizeF(r.s(1), r.s(0));
        return !extent;
    });
    return extent;
}

std::optional<Layout> layoutOf(const QByteArray &bytes)
{
    Layout layout;
    QSizeF natural;
    if (ByteReader::u32At(bytes, 0) == PlaceableKey) {
        const QRectF bounds(QPointF(qint16(ByteReader::u16At(bytes, 6)), qint16(ByteReader::u16At(bytes, 8))),
                            QPointF(qint16(ByteReader::u16At(bytes, 10)), qint16(ByteReader::u16At(bytes, 12))));
        const int inch = ByteReader::u16At(bytes, 14);
        if (!standardHeader(bytes, PlaceableSize) || bounds.width() == 0 || bounds.height() == 0)
            return std::nullopt;
        layout.window = bounds;
        const double perInch = inch > 0 ? inch : 1440;
        natural = QSizeF(std::abs(bounds.width()) * 96 / perInch, std::abs(bounds.height()) * 96 / perInch);
        layout.recordsStart = PlaceableSize + 2 * HeaderWords;
    } else {
        if (!standardHeader(bytes, 0))
            return std::nullopt;
        layout.recordsStart = 2 * HeaderWords;
        const std::optional<QSizeF> extent = firstWindowExtent(bytes, layout.recordsStart);
        if (!extent)
            return std::nullopt;
        layout.window = QRectF(QPointF(0, 0), *extent);
        natural = QSizeF(std::abs(extent->width()), std::abs(extent->height()));
    }
    const double longest = std::max(natural.width(), natural.height());
    const double shrink = longest > MaxSide ? MaxSide / longest : 1.0;
    layout.pixels = QSize(std::max(1, int(std::lround(natural.width() * shrink))),
                          std::max(1, int(std::lround(natural.height() * shrink))));
    return layout;
}

} // namespace

bool IsMetafile(const QByteArray &bytes)
{
    return ByteReader::u32At(bytes, 0) == PlaceableKey ? standardHeader(bytes, PlaceableSize)
                                                       : standardHeader(bytes, 0);
}

QImage Render(const QByteArray &bytes)
{
    const std::optional<Layout> layout = layoutOf(bytes);
    if (!layout || !ImageFormat::Admit(layout->pixels.width(), layout->pixels.height()))
        return QImage();
    QImage image(layout->pixels, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    {
        Player player(bytes, image, layout->window);
        player.play(layout->recordsStart);
    }
    return image;
}

} // namespace MetafilePlayer
