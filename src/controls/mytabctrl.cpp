#include "mytabctrl.h"

#include "platform/msgbox.h"
#include "state/appstate.h"
#include "testkinds.h"

#include <QMouseEvent>
#include <QScrollArea>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The control's size in the window's layout of record; the pages fill it below the tabs.
constexpr QSize kControlSize(800, 650);
// Narrow tab padding lets all nine tabs fit the pane of a 1024 pixel wide window.
const char* const kTabStyle =
    "QTabBar::tab { padding: 4px 5px; border: 1px solid #a0a0a0; border-bottom: none;"
    " background: #e4e4e4; margin-right: 1px; }"
    "QTabBar::tab:selected { background: #f8f8f8; }";
} // namespace

CMyTabCtrl::CMyTabCtrl(QWidget* parent)
    : QWidget(parent), m_tabBar(new QTabBar(this)), m_pageArea(new QScrollArea(this)),
      m_pageHost(new QWidget) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabBar);
    layout->addWidget(m_pageArea, 1);
    m_pageArea->setFrameShape(QFrame::NoFrame);
    m_pageArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pageArea->setWidget(m_pageHost);
    m_tabBar->setStyleSheet(kTabStyle);
    m_tabBar->setExpanding(false);
    m_tabBar->setFocusPolicy(Qt::StrongFocus);
    m_tabBar->installEventFilter(this);
    // Queued: the tab bar's own press handling moves the current tab first.
    connect(
        m_tabBar, &QTabBar::tabBarClicked, this, [this] { OnTabClicked(); }, Qt::QueuedConnection);
}

void CMyTabCtrl::Init(const std::array<QWidget*, m_nNumberOfPages>& pages) {
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds)
        m_tabBar->addTab(kind.name);
    m_tabBar->adjustSize();
    std::copy(pages.begin(), pages.end(), m_tabPages);
    SetRectangle();
}

void CMyTabCtrl::SetRectangle() {
    const QSize pageSize(kControlSize.width() - 1,
                         kControlSize.height() - m_tabBar->sizeHint().height() - 1);
    m_pageHost->setFixedSize(pageSize);
    for (int i = 0; i < m_nNumberOfPages; ++i) {
        QWidget* page = m_tabPages[i];
        page->setGeometry(QRect(QPoint(0, 0), pageSize));
        page->raise();
        page->setVisible(i == 0);
    }
}

void CMyTabCtrl::ShowPage(int index) {
    if (index == m_tabCurrent || index < 0 || index >= m_nNumberOfPages)
        return;
    m_tabPages[m_tabCurrent]->hide();
    m_tabCurrent = index;
    m_tabPages[index]->show();
    m_tabPages[index]->setFocus();
}

void CMyTabCtrl::SetCurrentTab(int index) {
    const QSignalBlocker quiet(m_tabBar);
    m_tabBar->setCurrentIndex(index);
}

int CMyTabCtrl::CurrentTab() const {
    return m_tabBar->currentIndex();
}

// The tab bar reports a press of any button as a click, and its wheel moves the header alone:
// only the left button reaches it, so that header, page and tree always agree.
bool CMyTabCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_tabBar)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton;
    default:
        return false;
    }
}

void CMyTabCtrl::OnTabClicked() {
    const int index = m_tabBar->currentIndex();
    if (index < 0)
        return;
    if (!theApp().m_bSupported[index]) {
        MessageBox(this, "本设备不支持该项测试!", "系统提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    ShowPage(index);
    emit tabChosen(index);
}
