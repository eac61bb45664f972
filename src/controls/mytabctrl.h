#pragma once
#include <QWidget>

#include <array>

class QScrollArea;
class QTabBar;

// The nine test pages under a row of tabs. The tabs take the width of the control, all nine
// in view; the pages keep their fixed size in an area that scrolls when the window is smaller.
// Only a left click on a tab changes the page (and says so, for the tree); a tab moved with the
// keyboard moves the header alone; other mouse buttons and the wheel do nothing. GUI thread
// only.
class CMyTabCtrl : public QWidget {
    Q_OBJECT

  public:
    static constexpr int m_nNumberOfPages = 9;

    explicit CMyTabCtrl(QWidget* parent = nullptr);

    // The parent of the pages, of the pages' fixed size; the owner creates the pages in it.
    QWidget* PageHost() const { return m_pageHost; }
    // Inserts the tabs, takes the pages (one per tab, children of PageHost()), shows page 0 and
    // places them.
    void Init(const std::array<QWidget*, m_nNumberOfPages>& pages);
    // Places every page in the page area; page 0 is shown, the others hidden.
    void SetRectangle();
    void ShowPage(int index);
    // Moves the tab header (not the page).
    void SetCurrentTab(int index);
    int CurrentTab() const;
    QTabBar* TabBar() const { return m_tabBar; }
    QWidget* Page(int index) const { return m_tabPages[index]; }

    int m_tabCurrent = 0;

  signals:
    // A left click on a tab of a test the instrument supports has shown its page.
    void tabChosen(int index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnTabClicked();

    QTabBar* m_tabBar;
    QScrollArea* m_pageArea;
    QWidget* m_pageHost; // the pages' parent, of the pages' fixed size
    QWidget* m_tabPages[m_nNumberOfPages] = {};
};
