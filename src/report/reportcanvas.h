#pragma once
#include <QFont>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPdfWriter;

// Lays a report out on A4 pages of a PDF writer, top to bottom: a block that does not fit in
// what is left of a page starts the next one, a table carries its head onto every page it
// runs over, and every page ends with its number ("第 1 页"). Lengths are in millimetres; text
// is drawn in the program's "宋体" font (which Qt embeds in the PDF). GUI thread (fonts).
class CReportCanvas {
  public:
    explicit CReportCanvas(QPdfWriter& writer);
    ~CReportCanvas();
    CReportCanvas(const CReportCanvas&) = delete;
    CReportCanvas& operator=(const CReportCanvas&) = delete;

    // False when the writer could not be painted on (the file cannot be written).
    bool IsActive() const;
    // Numbers the last page and closes the file; false when it could not be written whole.
    bool Finish();

    QPainter& Painter() { return m_painter; }
    // Device units per millimetre.
    double Unit() const { return m_unit; }
    double WidthMm() const;
    int PageCount() const { return m_page; }

    // The font of the report at a size in points.
    static QFont Font(double points, bool bold = false);

    // A strip of the given height across the page at the cursor, in device units, the cursor
    // moved below it; on a new page when it does not fit in what is left of this one.
    QRectF Take(double heightMm);
    // Starts a new page unless this one has at least heightMm left.
    void KeepRoom(double heightMm);
    void Skip(double heightMm);
    void NewPage();

    // A line of text as high as its font.
    void Line(const QString& text, const QFont& font, Qt::Alignment align = Qt::AlignLeft);
    // Pairs of label and value, `columns` pairs to a line.
    void Fields(const QList<std::pair<QString, QString>>& fields, int columns);
    // A table with ruled cells; the widths are shares of the page width. The head repeats at
    // the top of each page the rows run over.
    void Table(const QStringList& head, const QList<QStringList>& rows,
               const QList<double>& widths);

  private:
    void NumberPage();
    void TableRow(const QStringList& cells, const QList<double>& widths, bool head);

    QPdfWriter& m_writer;
    QPainter m_painter;
    double m_unit = 1;
    double m_y = 0; // the cursor, device units from the top of the printable area
    int m_page = 1;
};
