#include "reportcanvas.h"

#include <QFontMetricsF>
#include <QPdfWriter>

#include <numeric>

namespace {

constexpr double kFooterMm = 10; // kept free at the foot of each page for its number
constexpr double kCellPadMm = 0.9;
// A table of this many rows or fewer is kept on one page.
constexpr int kShortTableRows = 10;
constexpr double kTableFontPt = 9;

} // namespace

CReportCanvas::CReportCanvas(QPdfWriter& writer) : m_writer(writer) {
    m_painter.begin(&writer);
    m_unit = writer.resolution() / 25.4;
}

CReportCanvas::~CReportCanvas() {
    if (m_painter.isActive())
        m_painter.end();
}

bool CReportCanvas::IsActive() const {
    return m_painter.isActive();
}

bool CReportCanvas::Finish() {
    if (!m_painter.isActive())
        return false;
    NumberPage();
    return m_painter.end();
}

double CReportCanvas::WidthMm() const {
    return m_writer.width() / m_unit;
}

QFont CReportCanvas::Font(double points, bool bold) {
    QFont font("宋体");
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QRectF CReportCanvas::Take(double heightMm) {
    KeepRoom(heightMm);
    const QRectF strip(0, m_y, m_writer.width(), heightMm * m_unit);
    m_y += strip.height();
    return strip;
}

void CReportCanvas::KeepRoom(double heightMm) {
    const double bottom = m_writer.height() - kFooterMm * m_unit;
    if (m_y > 0 && m_y + heightMm * m_unit > bottom)
        NewPage();
}

void CReportCanvas::Skip(double heightMm) {
    m_y += heightMm * m_unit;
}

void CReportCanvas::NewPage() {
    NumberPage();
    m_writer.newPage();
    ++m_page;
    m_y = 0;
}

void CReportCanvas::NumberPage() {
    m_painter.setFont(Font(9));
    m_painter.setPen(Qt::black);
    const QRectF foot(0, m_writer.height() - kFooterMm * m_unit * 0.6, m_writer.width(),
                      kFooterMm * m_unit * 0.6);
    m_painter.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom, QString("第 %1 页").arg(m_page));
}

void CReportCanvas::Line(const QString& text, const QFont& font, Qt::Alignment align) {
    m_painter.setFont(font);
    m_painter.setPen(Qt::black);
    const double height = QFontMetricsF(font, &m_writer).height() * 1.3;
    m_painter.drawText(Take(height / m_unit), align | Qt::AlignVCenter, text);
}

void CReportCanvas::Fields(const QList<std::pair<QString, QString>>& fields, int columns) {
    const QFont font = Font(10);
    m_painter.setFont(font);
    m_painter.setPen(Qt::black);
    const double height = QFontMetricsF(font, &m_writer).height() * 1.4;
    const double width = double(m_writer.width()) / columns;
    QRectF line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i % columns == 0)
            line = Take(height / m_unit);
        const QRectF cell(line.left() + width * double(i % columns), line.top(), width,
                          line.height());
        m_painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                           fields[i].first + "：" + fields[i].second);
    }
}

void CReportCanvas::Table(const QStringList& head, const QList<QStringList>& rows,
                          const QList<double>& widths) {
    const double rowMm =
        QFontMetricsF(Font(kTableFontPt), &m_writer).height() / m_unit + 2 * kCellPadMm;
    // A short table stays whole; a long one never leaves its head alone at the foot of a page.
    KeepRoom(rowMm * double(1 + (rows.size() <= kShortTableRows ? rows.size() : 1)));
    TableRow(head, widths, true);
    for (const QStringList& row : rows) {
        const int page = m_page;
        KeepRoom(rowMm);
        if (m_page != page)
            TableRow(head, widths, true);
        TableRow(row, widths, false);
    }
}

void CReportCanvas::TableRow(const QStringList& cells, const QList<double>& widths, bool head) {
    const QFont font = Font(kTableFontPt, head);
    const double rowMm = QFontMetricsF(font, &m_writer).height() / m_unit + 2 * kCellPadMm;
    const QRectF strip = Take(rowMm);
    const double total = std::accumulate(widths.begin(), widths.end(), 0.0);
    m_painter.setFont(font);
    m_painter.setPen(QPen(Qt::black, 0.2 * m_unit));
    if (head)
        m_painter.fillRect(strip, QColor(235, 235, 235));
    double x = strip.left();
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const QRectF cell(x, strip.top(), strip.width() * widths[i] / total, strip.height());
        m_painter.drawRect(cell);
        if (i < cells.size())
            m_painter.drawText(cell, Qt::AlignCenter, cells[i]);
        x = cell.right();
    }
}
