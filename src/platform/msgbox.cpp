#include "msgbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

tarvex::MessageBoxHook& Hook() {
    static tarvex::MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon IconOf(unsigned style) {
    switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Window managers draw the caption between an icon and three buttons; a box as narrow as a
// short message would cut "系统提示" down to "系… 示".
constexpr int kTitleBarExtras = 160;
constexpr int kMinimumBoxWidth = 260;

void LeaveRoomForTheCaption(QMessageBox& box, const QString& caption) {
    const int width =
        std::max(kMinimumBoxWidth, box.fontMetrics().horizontalAdvance(caption) + kTitleBarExtras);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

// The buttons carry the texts of a Chinese Windows, whatever translations Qt has loaded.
int ShowBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    QMessageBox box(IconOf(style), caption, text, QMessageBox::NoButton, owner);
    LeaveRoomForTheCaption(box, caption);
    switch (style & MB_TYPEMASK) {
    case MB_YESNO:
        box.addButton(QMessageBox::Yes)->setText("是(&Y)");
        box.addButton(QMessageBox::No)->setText("否(&N)");
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MB_OKCANCEL:
        box.addButton(QMessageBox::Ok)->setText("确定");
        box.addButton(QMessageBox::Cancel)->setText("取消");
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    default:
        box.addButton(QMessageBox::Ok)->setText("确定");
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    switch (style & MB_TYPEMASK) {
    case MB_YESNO:
        return pressed == QMessageBox::Yes ? IDYES : IDNO;
    case MB_OKCANCEL:
        return pressed == QMessageBox::Ok ? IDOK : IDCANCEL;
    default:
        return IDOK;
    }
}

// The hook answers if one is set; otherwise the box is shown over shownOwner.
int Ask(const tarvex::MessageBoxCall& call, QWidget* shownOwner) {
    if (const tarvex::MessageBoxHook hook = Hook()) // a copy: the hook may replace itself
        return hook(call);
    return ShowBox(shownOwner, call.text, call.caption, call.style);
}

} // namespace

int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    return Ask({text, caption, style, owner}, owner);
}

int AfxMessageBox(const QString& text, unsigned style) {
    return Ask({text, "系统提示", style, nullptr}, QApplication::activeWindow());
}

namespace tarvex {

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

} // namespace tarvex
