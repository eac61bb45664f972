#include "archivedlg.h"

#include "archivetablemodel.h"
#include "curvecompare.h"
#include "platform/filedialog.h"
#include "platform/msgbox.h"
#include "resultscsv.h"
#include "state/archivedvalue.h"
#include "testkinds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

void Info(QWidget* owner, const QString& text) {
    MessageBox(owner, text, "系统提示", MB_OK | MB_ICONINFORMATION);
}

// "2026-12-09 14:03 1/2/A": when and where a curve was measured, for the chart's legend.
QString CurveLabel(const ArchivedResult& row) {
    const QDateTime measured = row.recordTestTime.isValid() ? row.recordTestTime : row.recordedAt;
    QString label = measured.toLocalTime().toString("yyyy-MM-dd HH:mm");
    if (!row.line.isEmpty())
        label += QString(" %1/%2/%3").arg(row.line, row.group, row.phase);
    return label;
}

} // namespace

CArchiveDlg::CArchiveDlg(CResultArchive& archive, QWidget* owner)
    : QDialog(owner), m_archive(archive) {
    setWindowTitle("测试档案");
    resize(960, 560);
    m_model = new CArchiveTableModel(archive, this);
    m_view = new QTableView;
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_view->horizontalHeader()->setStretchLastSection(true);
    connect(m_view, &QTableView::doubleClicked, this, &CArchiveDlg::OnOpen);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateFilters());
    layout->addWidget(m_view, 1);
    layout->addWidget(CreateButtons());
    Refresh();
    for (const int column :
         {CArchiveTableModel::Time, CArchiveTableModel::Test, CArchiveTableModel::LineGroupPhase,
          CArchiveTableModel::DeviceNumber, CArchiveTableModel::Site})
        m_view->resizeColumnToContents(column);
    m_view->setColumnWidth(CArchiveTableModel::KeyValues, 260);
}

QWidget* CArchiveDlg::CreateFilters() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_kind = new QComboBox;
    m_kind->addItem("全部", -1);
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds)
        m_kind->addItem(kind.name, kind.index);
    m_byDate = new QCheckBox("日期从");
    m_from = new QDateEdit(QDate::currentDate().addMonths(-1));
    m_to = new QDateEdit(QDate::currentDate());
    for (QDateEdit* date : {m_from, m_to}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat("yyyy-MM-dd");
        date->setEnabled(false);
        connect(date, &QDateEdit::dateChanged, this, &CArchiveDlg::Refresh);
        connect(m_byDate, &QCheckBox::toggled, date, &QWidget::setEnabled);
    }
    m_text = new QLineEdit;
    m_text->setPlaceholderText("线路、组号、地点或测试人员");
    m_text->setClearButtonEnabled(true);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &CArchiveDlg::Refresh);
    connect(m_byDate, &QCheckBox::toggled, this, &CArchiveDlg::Refresh);
    connect(m_text, &QLineEdit::textChanged, this, &CArchiveDlg::Refresh);
    row->addWidget(new QLabel("测试项目"));
    row->addWidget(m_kind);
    row->addSpacing(12);
    row->addWidget(m_byDate);
    row->addWidget(m_from);
    row->addWidget(new QLabel("到"));
    row->addWidget(m_to);
    row->addSpacing(12);
    row->addWidget(new QLabel("查找"));
    row->addWidget(m_text, 1);
    return box;
}

QWidget* CArchiveDlg::CreateButtons() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const char* text, void (CArchiveDlg::*handler)()) {
        auto* button = new QPushButton(text);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        row->addWidget(button);
        return button;
    };
    add("打开", &CArchiveDlg::OnOpen);
    add("删除", &CArchiveDlg::OnDelete);
    add("比较曲线", &CArchiveDlg::OnCompare);
    add("导出CSV", &CArchiveDlg::OnExport);
    add("生成报告", &CArchiveDlg::OnReport);
    row->addStretch(1);
    add("关闭", &QDialog::reject);
    return box;
}

ArchiveFilter CArchiveDlg::Filter() const {
    ArchiveFilter filter;
    filter.testKind = m_kind->currentData().toInt();
    if (m_byDate->isChecked()) {
        filter.from = m_from->date().startOfDay();
        filter.to = m_to->date().endOfDay();
    }
    filter.text = m_text->text().trimmed();
    return filter;
}

void CArchiveDlg::Refresh() {
    m_model->SetFilter(Filter());
}

QList<ArchivedResult> CArchiveDlg::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QList<ArchivedResult> selected;
    for (const int row : rows)
        selected << m_model->Row(row);
    return selected;
}

void CArchiveDlg::OnOpen() {
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        emit openRequested(m_model->Row(current.row()));
}

void CArchiveDlg::OnDelete() {
    const QList<ArchivedResult> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    const QString question =
        QString("确定要删除选中的 %1 个测试结果吗？删除后无法恢复。").arg(rows.size());
    if (MessageBox(this, question, "系统提示", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (const ArchivedResult& row : rows)
        m_archive.Remove(row.id);
    m_model->Reload();
}

void CArchiveDlg::OnCompare() {
    QList<ComparedCurve> curves;
    for (const ArchivedResult& row : SelectedRows()) {
        const std::optional<TestResult::Value> value = ArchivedValue(row);
        if (value && std::holds_alternative<tarvex::ExcitationReply>(*value))
            curves.append({CurveLabel(row), std::get<tarvex::ExcitationReply>(*value)});
    }
    if (curves.size() < 2) {
        Info(this, "请选择两个或更多伏安特性测试结果");
        return;
    }
    ShowCurveComparison(this, curves);
}

void CArchiveDlg::OnReport() {
    const QList<ArchivedResult> rows = SelectedRows();
    if (rows.isEmpty()) {
        Info(this, "请先选择要写入报告的测试结果");
        return;
    }
    emit reportRequested(rows);
}

void CArchiveDlg::OnExport() {
    const QList<ArchivedResult> rows = SelectedRows();
    if (rows.isEmpty()) {
        Info(this, "请先选择要导出的测试结果");
        return;
    }
    const QByteArray csv = ResultsCsv(rows, ArchivedValue);
    const QString path = GetSaveFilePath(this, "测试档案.csv", "CSV文件(*.csv)|*.csv|");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size())
        Info(this, "文件无法写入：" + path);
}
