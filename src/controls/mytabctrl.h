#pragma once
#include <QWidget>

class QTabBar;

// The nine test pages under a row of tabs. Only a left click on a tab changes the page (and
// tells the tree); a tab moved with the keyboard moves the header alone; other mouse buttons and
// the wheel do nothing. GUI thread only.
class CMyTabCtrl : public QWidget {
public:
    explicit CMyTabCtrl(QWidget* parent = nullptr);

    // Inserts the tabs, creates the pages, shows page 0 and places them.
    void Init();
    // Places every page under the tab headers; page 0 is shown, the others hidden.
    void SetRectangle();
    void ShowPage(int index);
    // Moves the tab header (not the page).
    void SetCurrentTab(int index);
    int CurrentTab() const;
    QTabBar* TabBar() const { return m_tabBar; }
    QWidget* Page(int index) const { return m_tabPages[index]; }

    static constexpr int m_nNumberOfPages = 9;
    int m_tabCurrent = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTabClicked();

    QTabBar* m_tabBar;
    QWidget* m_tabPages[m_nNumberOfPages] = {};
};
