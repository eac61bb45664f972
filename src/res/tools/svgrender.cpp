#include "svgrender.h"

#include <QColor>
#include <QFile>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QXmlStreamReader>

#include <cmath>
#include <optional>
#include <vector>

namespace tarvex {
namespace {

struct Style {
    QString fill = "#000000";
    QString stroke = "none";
    double strokeWidth = 1.0;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    Qt::FillRule fillRule = Qt::WindingFill;
    double opacity = 1.0;
    double fillOpacity = 1.0;
    double strokeOpacity = 1.0;
};

struct Failure {
    QString what;
};

// Reads the numbers of a points list or path data: "1.5-2", ".5.5" and "1e-3" included.
class Numbers {
  public:
    explicit Numbers(QStringView s) : m_s(s) {}

    void SkipSeparators()
    {
        while (m_i < m_s.size() && (m_s[m_i].isSpace() || m_s[m_i] == u','))
            ++m_i;
    }
    bool AtEnd()
    {
        SkipSeparators();
        return m_i >= m_s.size();
    }
    bool AtNumber()
    {
        SkipSeparators();
        if (m_i >= m_s.size())
            return false;
        const QChar c = m_s[m_i];
        return c.isDigit() || c == u'-' || c == u'+' || c == u'.';
    }
    QChar Command()
    {
        SkipSeparators();
        return m_s[m_i++];
    }
    double Number()
    {
        SkipSeparators();
        const qsizetype start = m_i;
        if (m_i < m_s.size() && (m_s[m_i] == u'-' || m_s[m_i] == u'+'))
            ++m_i;
        bool dot = false;
        while (m_i < m_s.size() && (m_s[m_i].isDigit() || (m_s[m_i] == u'.' && !dot))) {
            dot = dot || m_s[m_i] == u'.';
            ++m_i;
        }
        if (m_i < m_s.size() && (m_s[m_i] == u'e' || m_s[m_i] == u'E')) {
            ++m_i;
            if (m_i < m_s.size() && (m_s[m_i] == u'-' || m_s[m_i] == u'+'))
                ++m_i;
            while (m_i < m_s.size() && m_s[m_i].isDigit())
                ++m_i;
        }
        bool ok = false;
        const double v = m_s.mid(start, m_i - start).toDouble(&ok);
        if (!ok)
            throw Failure{QString("bad number at \"%1\"").arg(m_s.mid(start, 12).toString())};
        return v;
    }

  private:
    QStringView m_s;
    qsizetype m_i = 0;
};

// SVG's endpoint arc (the centre conversion of SVG 1.1, appendix F.6.5) as Bezier curves.
void ArcTo(QPainterPath& path, QPointF from, double rx, double ry, double rotation, bool large,
           bool sweep, QPointF to)
{
    if (rotation != 0)
        throw Failure{"arcs with an axis rotation are not supported"};
    if (from == to)
        return;
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if (rx == 0 || ry == 0) {
        path.lineTo(to);
        return;
    }
    const double x1p = (from.x() - to.x()) / 2, y1p = (from.y() - to.y()) / 2;
    const double lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    double num = rx * rx * ry * ry - rx * rx * y1p * y1p - ry * ry * x1p * x1p;
    const double den = rx * rx * y1p * y1p + ry * ry * x1p * x1p;
    double coef = std::sqrt(std::max(0.0, num / den));
    if (large == sweep)
        coef = -coef;
    const double cxp = coef * rx * y1p / ry, cyp = -coef * ry * x1p / rx;
    const double cx = cxp + (from.x() + to.x()) / 2, cy = cyp + (from.y() + to.y()) / 2;
    auto angle = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const double t1 = angle(1, 0, (x1p - cxp) / rx, (y1p - cyp) / ry);
    double dt = angle((x1p - cxp) / rx, (y1p - cyp) / ry, (-x1p - cxp) / rx, (-y1p - cyp) / ry);
    if (!sweep && dt > 0)
        dt -= 2 * M_PI;
    else if (sweep && dt < 0)
        dt += 2 * M_PI;
    // Cubic Beziers of at most 90 degrees each, ending exactly on the given end point.
    // (QPainterPath::arcTo would join its own start to the current point with a tiny line
    // whose mitre join then sticks out of a thick stroke.)
    const int segments = std::max(1, int(std::ceil(std::fabs(dt) / (M_PI / 2) - 1e-9)));
    const double delta = dt / segments;
    const double k = 4.0 / 3.0 * std::tan(delta / 4);
    double t = t1;
    for (int i = 0; i < segments; ++i) {
        const double c0 = std::cos(t), s0 = std::sin(t);
        const double c1 = std::cos(t + delta), s1 = std::sin(t + delta);
        const QPointF p0(cx + rx * c0, cy + ry * s0);
        const QPointF p3 = i == segments - 1 ? to : QPointF(cx + rx * c1, cy + ry * s1);
        path.cubicTo(p0 + QPointF(-k * rx * s0, k * ry * c0),
                     p3 + QPointF(k * rx * s1, -k * ry * c1), p3);
        t += delta;
    }
}

QPainterPath ParsePath(QStringView d)
{
    QPainterPath path;
    Numbers n(d);
    QPointF cur, start, lastCtrl;
    QChar prev;
    QChar cmd;
    while (!n.AtEnd()) {
        if (!n.AtNumber())
            cmd = n.Command();
        else if (cmd.isNull())
            throw Failure{"path data starts with a number"};
        const bool rel = cmd.isLower();
        const QPointF base = rel ? cur : QPointF(0, 0);
        auto pt = [&] {
            const double x = n.Number();
            const double y = n.Number();
            return base + QPointF(x, y);
        };
        switch (cmd.toUpper().unicode()) {
        case 'M':
            cur = start = pt();
            path.moveTo(cur);
            cmd = rel ? u'l' : u'L'; // further pairs are line-tos
            break;
        case 'L':
            cur = pt();
            path.lineTo(cur);
            break;
        case 'H':
            cur.setX((rel ? cur.x() : 0) + n.Number());
            path.lineTo(cur);
            break;
        case 'V':
            cur.setY((rel ? cur.y() : 0) + n.Number());
            path.lineTo(cur);
            break;
        case 'C': {
            const QPointF c1 = pt(), c2 = pt(), e = pt();
            path.cubicTo(c1, c2, e);
            lastCtrl = c2;
            cur = e;
            break;
        }
        case 'S': {
            const bool smooth = prev.toUpper() == u'C' || prev.toUpper() == u'S';
            const QPointF c1 = smooth ? 2 * cur - lastCtrl : cur;
            const QPointF c2 = pt(), e = pt();
            path.cubicTo(c1, c2, e);
            lastCtrl = c2;
            cur = e;
            break;
        }
        case 'Q': {
            const QPointF c = pt(), e = pt();
            path.quadTo(c, e);
            lastCtrl = c;
            cur = e;
            break;
        }
        case 'T': {
            const bool smooth = prev.toUpper() == u'Q' || prev.toUpper() == u'T';
            const QPointF c = smooth ? 2 * cur - lastCtrl : cur;
            const QPointF e = pt();
            path.quadTo(c, e);
            lastCtrl = c;
            cur = e;
            break;
        }
        case 'A': {
            const double rx = n.Number(), ry = n.Number(), rot = n.Number();
            const bool large = n.Number() != 0, sweep = n.Number() != 0;
            const QPointF e = pt();
            ArcTo(path, cur, rx, ry, rot, large, sweep, e);
            cur = e;
            break;
        }
        case 'Z':
            path.closeSubpath();
            cur = start;
            break;
        default:
            throw Failure{QString("path command '%1' is not supported").arg(cmd)};
        }
        prev = cmd;
    }
    return path;
}

QPolygonF ParsePoints(QStringView s)
{
    QPolygonF poly;
    Numbers n(s);
    while (!n.AtEnd()) {
        const double x = n.Number();
        const double y = n.Number();
        poly << QPointF(x, y);
    }
    return poly;
}

double Offset(QStringView v)
{
    if (v.endsWith(u'%'))
        return v.chopped(1).toDouble() / 100;
    return v.toDouble();
}

class Renderer {
  public:
    explicit Renderer(QXmlStreamReader& xml) : m_xml(xml) {}

    QImage Run(int size)
    {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        std::vector<Style> styles{Style{}};
        bool root = true;
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                styles.pop_back();
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QString tag = m_xml.name().toString();
            const QXmlStreamAttributes a = m_xml.attributes();
            if (root) {
                if (tag != "svg")
                    throw Failure{"the root element is not svg"};
                const QStringList vb = a.value("viewBox").toString().split(' ', Qt::SkipEmptyParts);
                if (vb.size() != 4)
                    throw Failure{"the svg element has no viewBox of four numbers"};
                p.scale(size / vb[2].toDouble(), size / vb[3].toDouble());
                p.translate(-vb[0].toDouble(), -vb[1].toDouble());
                root = false;
                styles.push_back(styles.back());
                continue;
            }
            if (tag == "defs") {
                ReadDefs();
                continue; // ReadDefs consumed the end element
            }
            if (a.hasAttribute("transform") || a.hasAttribute("style") || a.hasAttribute("class"))
                throw Failure{
                    QString("<%1>: transform, style and class are not supported").arg(tag)};
            styles.push_back(Inherit(styles.back(), a));
            const Style& st = styles.back();
            auto num = [&](const char* name, double def = 0) {
                return a.hasAttribute(name) ? a.value(name).toDouble() : def;
            };
            QPainterPath shape;
            bool closedShape = true;
            if (tag == "g") {
                continue;
            } else if (tag == "rect") {
                const QRectF r(num("x"), num("y"), num("width"), num("height"));
                double rx = num("rx", -1), ry = num("ry", -1);
                if (rx < 0)
                    rx = ry;
                if (ry < 0)
                    ry = rx;
                if (rx > 0)
                    shape.addRoundedRect(r, rx, ry);
                else
                    shape.addRect(r);
            } else if (tag == "circle") {
                shape.addEllipse(QPointF(num("cx"), num("cy")), num("r"), num("r"));
            } else if (tag == "ellipse") {
                shape.addEllipse(QPointF(num("cx"), num("cy")), num("rx"), num("ry"));
            } else if (tag == "line") {
                shape.moveTo(num("x1"), num("y1"));
                shape.lineTo(num("x2"), num("y2"));
                closedShape = false;
            } else if (tag == "polyline" || tag == "polygon") {
                const QPolygonF poly = ParsePoints(a.value("points"));
                if (!poly.isEmpty()) {
                    shape.moveTo(poly.first());
                    for (qsizetype i = 1; i < poly.size(); ++i)
                        shape.lineTo(poly[i]);
                    if (tag == "polygon")
                        shape.closeSubpath();
                }
                closedShape = tag == "polygon";
            } else if (tag == "path") {
                shape = ParsePath(a.value("d"));
            } else {
                throw Failure{QString("element <%1> is not supported").arg(tag)};
            }
            shape.setFillRule(st.fillRule);
            Paint(p, shape, st, closedShape || tag == "path" || tag == "polyline");
        }
        if (m_xml.hasError())
            throw Failure{m_xml.errorString()};
        p.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }

  private:
    Style Inherit(Style st, const QXmlStreamAttributes& a)
    {
        for (const QXmlStreamAttribute& at : a) {
            const QString n = at.name().toString();
            const QString v = at.value().toString().trimmed();
            if (n == "fill")
                st.fill = v;
            else if (n == "stroke")
                st.stroke = v;
            else if (n == "stroke-width")
                st.strokeWidth = v.toDouble();
            else if (n == "stroke-linecap")
                st.cap = v == "round" ? Qt::RoundCap : v == "square" ? Qt::SquareCap : Qt::FlatCap;
            else if (n == "stroke-linejoin")
                st.join = v == "round"   ? Qt::RoundJoin
                          : v == "bevel" ? Qt::BevelJoin
                                         : Qt::MiterJoin;
            else if (n == "fill-rule")
                st.fillRule = v == "evenodd" ? Qt::OddEvenFill : Qt::WindingFill;
            else if (n == "opacity")
                st.opacity *= v.toDouble();
            else if (n == "fill-opacity")
                st.fillOpacity = v.toDouble();
            else if (n == "stroke-opacity")
                st.strokeOpacity = v.toDouble();
            else if (n.startsWith("stroke-") || n == "font-family" || n == "filter" ||
                     n == "mask" || n == "clip-path")
                throw Failure{QString("attribute %1 is not supported").arg(n)};
        }
        return st;
    }

    std::optional<QBrush> Brush(const QString& paint, double opacity)
    {
        if (paint.isEmpty() || paint == "none")
            return std::nullopt;
        if (paint.startsWith("url(#")) {
            const QString id = paint.mid(5).chopped(1);
            auto it = m_gradients.find(id);
            if (it == m_gradients.end())
                throw Failure{QString("no gradient %1").arg(id)};
            QLinearGradient g = *it;
            QGradientStops stops = g.stops();
            for (auto& s : stops)
                s.second.setAlphaF(s.second.alphaF() * opacity);
            g.setStops(stops);
            return QBrush(g);
        }
        QColor c = QColor::fromString(paint);
        if (!c.isValid())
            throw Failure{QString("colour %1 is not understood").arg(paint)};
        c.setAlphaF(c.alphaF() * opacity);
        return QBrush(c);
    }

    void Paint(QPainter& p, const QPainterPath& shape, const Style& st, bool fillable)
    {
        if (fillable) {
            if (auto b = Brush(st.fill, st.opacity * st.fillOpacity))
                p.fillPath(shape, *b);
        }
        if (auto b = Brush(st.stroke, st.opacity * st.strokeOpacity)) {
            QPen pen(*b, st.strokeWidth, Qt::SolidLine, st.cap, st.join);
            pen.setMiterLimit(4); // SVG's default stroke-miterlimit
            p.strokePath(shape, pen);
        }
    }

    void ReadDefs()
    {
        int depth = 1;
        QString current;
        while (depth > 0 && !m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            ++depth;
            const auto a = m_xml.attributes();
            if (m_xml.name() == u"linearGradient") {
                current = a.value("id").toString();
                auto coord = [&](const char* name, double def) {
                    return a.hasAttribute(name) ? Offset(a.value(name)) : def;
                };
                QLinearGradient g(coord("x1", 0), coord("y1", 0), coord("x2", 1), coord("y2", 0));
                if (a.value("gradientUnits") != u"userSpaceOnUse")
                    g.setCoordinateMode(QGradient::ObjectMode);
                m_gradients.insert(current, g);
            } else if (m_xml.name() == u"stop") {
                QColor c = QColor::fromString(a.value("stop-color").toString());
                if (!c.isValid())
                    throw Failure{"a gradient stop without a colour"};
                if (a.hasAttribute("stop-opacity"))
                    c.setAlphaF(a.value("stop-opacity").toDouble());
                m_gradients[current].setColorAt(Offset(a.value("offset")), c);
            } else {
                throw Failure{QString("<%1> in defs is not supported").arg(m_xml.name())};
            }
        }
    }

    QXmlStreamReader& m_xml;
    QHash<QString, QLinearGradient> m_gradients;
};

} // namespace

QImage RenderIconSvg(const QString& fileName, int size, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QString("%1: %2").arg(fileName, file.errorString());
        return {};
    }
    QXmlStreamReader xml(&file);
    try {
        return Renderer(xml).Run(size);
    } catch (const Failure& f) {
        if (error)
            *error = QString("%1: %2").arg(fileName, f.what);
        return {};
    }
}

} // namespace tarvex
