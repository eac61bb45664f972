#pragma once
#include <QPointer>
#include <QString>
#include <QTextCursor>

class QPrintPreviewDialog;
class QTextDocument;
class QWidget;

// The word processor that prints reports: a new blank document, text typed at the selection,
// and a print preview left open for the operator, who prints from it to a printer or a PDF
// file. The operations are those the report printing asks of a word processor; the document
// is a QTextDocument in "宋体" and the preview a non-modal QPrintPreviewDialog that owns the
// document and deletes itself when closed. GUI thread only.
class CWordReport {
  public:
    explicit CWordReport(QWidget* owner = nullptr);
    // A preview that was never shown goes with this object; a shown one stays open.
    ~CWordReport();
    CWordReport(const CWordReport&) = delete;
    CWordReport& operator=(const CWordReport&) = delete;

    // Starts the application ("word.Application"); false without a GUI application.
    bool CreateApplication();
    // Documents.Add: a new blank document (document type 0) becomes the active one; false
    // before CreateApplication or for another document type. The template name is ignored.
    bool AddDocument(const QString& templateName, bool newTemplate, int documentType, bool visible);
    // Selection.TypeText: inserts the text at the selection, CR LF ending a paragraph.
    void TypeText(const QString& text);
    // Selection.MoveRight: unit "1" (characters), count, extend "0" moves, "1" extends.
    void MoveRight(const QString& unit, const QString& count, const QString& extend);
    // Application.Visible.
    void SetVisible(bool visible);
    // Document.PrintPreview: shows the document's print preview (when the application is
    // visible), non-modal.
    void PrintPreview();

    QTextDocument* Document() const;
    QPrintPreviewDialog* PreviewDialog() const;

  private:
    void ShowPreviewIfDue();

    QWidget* m_owner;
    QPointer<QPrintPreviewDialog> m_preview;
    QPointer<QTextDocument> m_document;
    QTextCursor m_selection;
    bool m_visible = false;
    bool m_inPreview = false;
};
