#include "history/wordreport.h"

#include <QApplication>
#include <QFont>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

namespace {

// The word processor's default body text: 宋体, 五号 (10.5 pt).
QFont BodyFont() {
    QFont font("宋体");
    font.setPointSizeF(10.5);
    return font;
}

} // namespace

CWordReport::CWordReport(QWidget* owner) : m_owner(owner) {}

CWordReport::~CWordReport() {
    if (m_preview && !m_preview->isVisible())
        delete m_preview;
}

bool CWordReport::CreateApplication() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    if (!m_preview) {
        m_preview = new QPrintPreviewDialog(m_owner);
        m_preview->setAttribute(Qt::WA_DeleteOnClose);
        m_preview->setWindowModality(Qt::NonModal);
    }
    return true;
}

bool CWordReport::AddDocument(const QString&, bool, int documentType, bool) {
    if (!m_preview || documentType != 0)
        return false;
    delete m_document;
    m_document = new QTextDocument(m_preview);
    m_document->setDefaultFont(BodyFont());
    m_selection = QTextCursor(m_document);
    QTextDocument* document = m_document;
    QObject::connect(m_preview, &QPrintPreviewDialog::paintRequested, document,
                     [document](QPrinter* printer) { document->print(printer); });
    return true;
}

void CWordReport::TypeText(const QString& text) {
    if (!m_document)
        return;
    // A CR LF pair is one paragraph break, as a lone CR or LF is.
    QString typed = text;
    typed.replace("\r\n", "\n").replace('\r', '\n');
    m_selection.insertText(typed);
}

void CWordReport::MoveRight(const QString& unit, const QString& count, const QString& extend) {
    if (!m_document || unit.toInt() != 1)
        return;
    const QTextCursor::MoveMode mode =
        extend.toInt() != 0 ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    m_selection.movePosition(QTextCursor::NextCharacter, mode, std::max(count.toInt(), 0));
}

void CWordReport::SetVisible(bool visible) {
    m_visible = visible;
    ShowPreviewIfDue();
}

void CWordReport::PrintPreview() {
    if (!m_document)
        return;
    m_inPreview = true;
    ShowPreviewIfDue();
}

void CWordReport::ShowPreviewIfDue() {
    if (!m_preview || !m_inPreview)
        return;
    if (m_visible) {
        m_preview->show();
        m_preview->raise();
    } else {
        m_preview->hide();
    }
}

QTextDocument* CWordReport::Document() const {
    return m_document;
}

QPrintPreviewDialog* CWordReport::PreviewDialog() const {
    return m_preview;
}
