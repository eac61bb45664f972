#include "statuspanes.h"

#include "protocoltrace.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int kConnPaneWidth = 250;
constexpr int kTimePaneWidth = 200;
constexpr int kClockPeriodMs = 500;
constexpr int kCloseRefusedShownMs = 5000;
// A wait that follows another within this time continues its display instead of flashing.
constexpr int kWaitDisplayLingerMs = 150;

} // namespace

CStatusPanes::CStatusPanes(QStatusBar* bar, std::function<QString()> idleText)
    : QObject(bar), m_bar(bar), m_idleText(std::move(idleText)) {
    // The message pane: "就绪", a note, or the wait ("等待仪器 N 秒" with its progress bar).
    m_messagePane = new QWidget;
    auto* layout = new QHBoxLayout(m_messagePane);
    layout->setContentsMargins(0, 0, 0, 0);
    m_messageText = new QLabel(kReady);
    m_messageText->setObjectName("messageText");
    m_waitBar = new QProgressBar;
    m_waitBar->setFixedWidth(160);
    m_waitBar->setTextVisible(false);
    m_waitBar->hide();
    layout->addWidget(m_messageText);
    layout->addWidget(m_waitBar);
    layout->addStretch(1);
    bar->addWidget(m_messagePane, 1);
    m_waitHide = new QTimer(this);
    m_waitHide->setSingleShot(true);
    m_waitHide->setInterval(kWaitDisplayLingerMs);
    connect(m_waitHide, &QTimer::timeout, this, &CStatusPanes::HideWait);
    m_connPane = new QLabel(kNoDevice);
    m_connPane->setFixedWidth(kConnPaneWidth);
    m_timePane = new QLabel("时间:");
    m_timePane->setFixedWidth(kTimePaneWidth);
    bar->addPermanentWidget(m_connPane);
    bar->addPermanentWidget(m_timePane);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(indicator);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
    }
    // The message pane shows a command's prompt while the pointer is on it, "就绪" otherwise.
    connect(bar, &QStatusBar::messageChanged, this,
            [this](const QString& text) { m_messagePane->setVisible(text.isEmpty()); });
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &CStatusPanes::Tick);
    clock->start(kClockPeriodMs);
}

void CStatusPanes::Tick() {
    m_timePane->setText("时间: " + QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss"));
}

void CStatusPanes::SetConnPaneText(const QString& text) {
    m_connPane->setText(text);
}

QString CStatusPanes::ConnPaneText() const {
    return m_connPane->text();
}

QString CStatusPanes::TimePaneText() const {
    return m_timePane->text();
}

QString CStatusPanes::MessagePaneText() const {
    return m_messageText->text();
}

void CStatusPanes::TellCloseRefused() {
    m_bar->showMessage(kCloseRefused, kCloseRefusedShownMs);
}

// A new command's wait clears the note of the last one. A short wait right after another keeps
// the display as it stands; the rest of a reply still arriving after its wait says so.
void CStatusPanes::WaitStarted(int totalMs) {
    const bool continuing = m_waitHide->isActive();
    m_waitHide->stop();
    if (continuing && totalMs > 0 && totalMs < kWaitDisplayLingerMs)
        return;
    m_note = tarvex::StatusNote::Ready;
    EmphasizeNote(false);
    if (totalMs <= 0) {
        m_waitBar->setRange(0, 0); // length unknown: a busy bar
        m_messageText->setText("正在接收仪器数据");
    } else {
        m_waitBar->setRange(0, totalMs);
        WaitProgress(totalMs);
    }
    m_waitBar->show();
}

void CStatusPanes::WaitProgress(int leftMs) {
    if (m_waitBar->maximum() <= 0)
        return;
    m_waitBar->setValue(m_waitBar->maximum() - leftMs);
    m_messageText->setText(QString("等待仪器 %1 秒").arg((leftMs + 999) / 1000));
}

void CStatusPanes::WaitEnded() {
    m_waitHide->start();
}

void CStatusPanes::HideWait() {
    // A refused close is told only while the wait it waited for lasts.
    if (m_bar->currentMessage() == kCloseRefused)
        m_bar->clearMessage();
    m_waitBar->hide();
    ShowNoteText();
}

void CStatusPanes::ShowStatusNote(tarvex::StatusNote note) {
    m_note = note;
    if (!m_waitBar->isVisible())
        ShowNoteText();
}

void CStatusPanes::ShowNoteText() {
    EmphasizeNote(m_note == tarvex::StatusNote::DeviceLost);
    switch (m_note) {
    case tarvex::StatusNote::Ready:
        m_messageText->setText(m_idleText());
        break;
    case tarvex::StatusNote::NoReply:
        m_messageText->setText("仪器无应答");
        break;
    case tarvex::StatusNote::DeviceLost:
        m_messageText->setText("设备已断开");
        break;
    case tarvex::StatusNote::TraceFailed:
        m_messageText->setText("协议记录无法写入：" + tarvex::ProtocolTrace::FailureText());
        break;
    case tarvex::StatusNote::Saved:
        m_messageText->setText("已保存：" + m_savedPath);
        break;
    case tarvex::StatusNote::Text:
        m_messageText->setText(tarvex::StatusText());
        break;
    }
}

void CStatusPanes::EmphasizeNote(bool alarm) {
    QFont font; // only what is set here overrides the status bar's own
    QPalette palette;
    if (alarm) {
        font.setBold(true);
        palette.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    }
    m_messageText->setFont(font);
    m_messageText->setPalette(palette);
}
