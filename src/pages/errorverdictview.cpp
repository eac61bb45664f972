#include "pages/errorverdictview.h"

#include "analysis/classsetting.h"
#include "link/replyfields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using tarvex::AccuracyClass;

QString VerdictText(const std::optional<bool>& pass) {
    if (!pass)
        return "—";
    return *pass ? "合格" : "不合格";
}

// Values as the error pages print them; limits as the class table writes them.
QString Value(const std::optional<double>& v) {
    return v ? tarvex::ErrorValueText(*v) : QString("—");
}
QString Limit(const std::optional<double>& v) {
    return v ? QString("±%1").arg(*v) : QString("—");
}

} // namespace

CErrorVerdictView::CErrorVerdictView(QWidget* parent)
    : QWidget(parent), m_class(new QComboBox(this)), m_points(new QTableWidget(0, 6, this)),
      m_overall(new QLabel(this)), m_note(new QLabel(this)) {
    m_points->setHorizontalHeaderLabels(
        {"负荷点", "比差(%)", "比差限值(%)", "角差(分)", "角差限值(分)", "判定"});
    m_points->verticalHeader()->hide();
    m_points->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_points->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow("准确级：", m_class);
    form->addRow("总判定：", m_overall);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_points, 1);
    layout->addWidget(m_note);
    connect(m_class, &QComboBox::activated, this, &CErrorVerdictView::OnClassChosen);
}

void CErrorVerdictView::Show(const tarvex::ErrorReply& result, bool pt) {
    m_result = result;
    m_pt = pt;
    m_class->clear();
    for (AccuracyClass cls : tarvex::ClassesFor(pt))
        m_class->addItem(tarvex::AccuracyClassName(cls) + " 级", static_cast<int>(cls));
    m_class->setCurrentIndex(
        m_class->findData(static_cast<int>(tarvex::RememberedAccuracyClass(pt))));
    Refresh();
}

void CErrorVerdictView::SelectClass(AccuracyClass cls) {
    const int index = m_class->findData(static_cast<int>(cls));
    if (index < 0)
        return;
    m_class->setCurrentIndex(index);
    OnClassChosen(index);
}

void CErrorVerdictView::OnClassChosen(int index) {
    const auto cls = static_cast<AccuracyClass>(m_class->itemData(index).toInt());
    tarvex::RememberAccuracyClass(cls);
    Refresh();
}

QString CErrorVerdictView::CellText(int row, int column) const {
    const QTableWidgetItem* item = m_points->item(row, column);
    return item ? item->text() : QString();
}

QString CErrorVerdictView::OverallText() const {
    return m_overall->text();
}

void CErrorVerdictView::Refresh() {
    const auto cls = static_cast<AccuracyClass>(m_class->currentData().toInt());
    const tarvex::ErrorVerdict verdict = tarvex::JudgeErrors(m_result, cls);
    m_points->setRowCount(static_cast<int>(verdict.points.size()));
    for (int row = 0; row < m_points->rowCount(); ++row) {
        const tarvex::PointVerdict& p = verdict.points[row];
        const QString texts[] = {QString("%1%").arg(p.loadPercent),
                                 Value(p.ratioErrorPercent),
                                 Limit(p.ratioLimit),
                                 Value(p.phaseMinutes),
                                 Limit(p.phaseLimit),
                                 VerdictText(p.pass)};
        for (int column = 0; column < 6; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignCenter);
            if (column == 5 && p.pass == false)
                item->setForeground(Qt::red);
            m_points->setItem(row, column, item);
        }
    }
    m_overall->setText(verdict.pass ? VerdictText(verdict.pass) : QString("未判定：测量值不全"));
    m_overall->setStyleSheet(verdict.pass == false ? "color: red" : "");
    m_note->setText(verdict.note);
    m_note->setVisible(!verdict.note.isEmpty());
}
