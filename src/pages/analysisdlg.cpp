#include "pages/analysisdlg.h"

#include "pages/errorverdictview.h"
#include "pages/kneeview.h"
#include "state/appstate.h"
#include "testkinds.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The kinds the window analyses, in the order of its choice box.
constexpr int kAnalysedKinds[] = {tarvex::kCtExcitationKind, tarvex::kPtExcitationKind,
                                  tarvex::kCtErrorKind, tarvex::kPtErrorKind};

bool Analysed(int kind) {
    return std::ranges::find(kAnalysedKinds, kind) != std::end(kAnalysedKinds);
}

QString SourceText(ResultSource source) {
    switch (source) {
    case ResultSource::Instrument:
        return "仪器测试";
    case ResultSource::UploadedRecord:
        return "历史记录";
    case ResultSource::DataFile:
        return "数据文件";
    }
    return {};
}

// The kind to show first: the page's own when it has a result, else the latest result's.
int KindToShow(int currentKind) {
    const CResultModel& results = theApp().m_results;
    if (Analysed(currentKind) && results.Latest(currentKind))
        return currentKind;
    int latest = Analysed(currentKind) ? currentKind : tarvex::kCtExcitationKind;
    QDateTime latestArrival;
    for (int kind : kAnalysedKinds) {
        const auto result = results.Latest(kind);
        if (result && (!latestArrival.isValid() || result->arrived > latestArrival)) {
            latest = kind;
            latestArrival = result->arrived;
        }
    }
    return latest;
}

} // namespace

CAnalysisDlg::CAnalysisDlg(QWidget* owner)
    : QDialog(owner), m_kind(new QComboBox(this)), m_origin(new QLabel(this)),
      m_stack(new QStackedWidget(this)), m_empty(new QLabel("尚无此项测试结果", this)),
      m_kneeView(new CKneeView(this)), m_verdictView(new CErrorVerdictView(this)) {
    setWindowTitle("曲线分析");
    for (int kind : kAnalysedKinds)
        m_kind->addItem(tarvex::kTestKinds[kind].name, kind);
    m_empty->setAlignment(Qt::AlignCenter);
    m_stack->addWidget(m_empty);
    m_stack->addWidget(m_kneeView);
    m_stack->addWidget(m_verdictView);
    auto* form = new QFormLayout;
    form->addRow("测试项目：", m_kind);
    form->addRow("结果来源：", m_origin);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_stack, 1);
    resize(720, 640);
    connect(m_kind, &QComboBox::activated, this, &CAnalysisDlg::OnKindChosen);
    connect(&theApp().m_results, &CResultModel::resultChanged, this,
            &CAnalysisDlg::OnResultChanged);
}

CAnalysisDlg* CAnalysisDlg::Open(QWidget* owner, int currentKind) {
    auto* dlg = owner->findChild<CAnalysisDlg*>(QString(), Qt::FindDirectChildrenOnly);
    if (!dlg)
        dlg = new CAnalysisDlg(owner);
    dlg->ShowLatest(KindToShow(currentKind));
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    return dlg;
}

void CAnalysisDlg::ShowLatest(int kind) {
    m_followModel = true;
    const auto result = theApp().m_results.Latest(kind);
    if (!result) {
        Display(kind, nullptr, QString());
        return;
    }
    Display(kind, &result->value,
            SourceText(result->source) + "，" + result->arrived.toString("yyyy-MM-dd HH:mm:ss"));
}

void CAnalysisDlg::ShowResult(int kind, const TestResult::Value& value, const QString& origin) {
    Display(kind, &value, origin);
    m_followModel = false;
}

void CAnalysisDlg::Display(int kind, const TestResult::Value* value, const QString& origin) {
    m_kind->setCurrentIndex(m_kind->findData(kind));
    m_origin->setText(origin);
    const bool pt = kind == tarvex::kPtExcitationKind || kind == tarvex::kPtErrorKind;
    if (const auto* excitation = std::get_if<tarvex::ExcitationReply>(value)) {
        m_kneeView->Show(*excitation);
        m_stack->setCurrentWidget(m_kneeView);
    } else if (const auto* errors = std::get_if<tarvex::ErrorReply>(value)) {
        m_verdictView->Show(*errors, pt);
        m_stack->setCurrentWidget(m_verdictView);
    } else {
        m_stack->setCurrentWidget(m_empty);
    }
}

void CAnalysisDlg::OnKindChosen(int index) {
    ShowLatest(m_kind->itemData(index).toInt());
}

void CAnalysisDlg::OnResultChanged(int kind) {
    if (m_followModel && kind == ShownKind())
        ShowLatest(kind);
}

int CAnalysisDlg::ShownKind() const {
    return m_kind->currentData().toInt();
}
