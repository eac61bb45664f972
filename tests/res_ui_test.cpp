// The dialog templates (src/res/*.ui) and icons (src/res/icons, resources.qrc): every control
// the program numbers is there with its kind and caption, the layout holds with the
// program's 9-pt CJK font (nothing overlaps, nothing is cut off, the chart areas are free),
// every field has a name for assistive technology, and the committed PNGs are what their SVGs
// render to. Set TARVEX_UI_SHOTS to a folder to get a PNG of every template to look at.
#include <gtest/gtest.h>

#include "res/tarvexres.h"
#include "ui_dlg100_about.h"
#include "ui_dlg133_iva.h"
#include "ui_dlg134_ibb.h"
#include "ui_dlg135_ijb.h"
#include "ui_dlg136_uva.h"
#include "ui_dlg137_ubb.h"
#include "ui_dlg138_ujb.h"
#include "ui_dlg139_ifh.h"
#include "ui_dlg142_dz.h"
#include "ui_dlg143_iwc.h"
#include "ui_dlg144_ufh.h"
#include "ui_dlg145_comm.h"
#include "ui_dlg151_search.h"
#include "ui_dlg152_sysset.h"
#include "ui_dlg164_selectctpt.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTreeWidget>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

// ---------------------------------------------------------------------------------------------
// Building the templates

template <class Ui, class Top> std::unique_ptr<QWidget> Build() {
    auto top = std::make_unique<Top>();
    Ui ui;
    ui.setupUi(top.get());
    return top;
}

const std::map<std::string, std::function<std::unique_ptr<QWidget>()>>& Templates() {
    static const std::map<std::string, std::function<std::unique_ptr<QWidget>()>> all = {
        {"100", Build<Ui::Dlg100, QDialog>}, {"133", Build<Ui::Dlg133, QWidget>},
        {"134", Build<Ui::Dlg134, QWidget>}, {"135", Build<Ui::Dlg135, QWidget>},
        {"136", Build<Ui::Dlg136, QWidget>}, {"137", Build<Ui::Dlg137, QWidget>},
        {"138", Build<Ui::Dlg138, QWidget>}, {"139", Build<Ui::Dlg139, QWidget>},
        {"142", Build<Ui::Dlg142, QWidget>}, {"143", Build<Ui::Dlg143, QWidget>},
        {"144", Build<Ui::Dlg144, QWidget>}, {"145", Build<Ui::Dlg145, QDialog>},
        {"151", Build<Ui::Dlg151, QDialog>}, {"152", Build<Ui::Dlg152, QDialog>},
        {"164", Build<Ui::Dlg164, QDialog>},
    };
    return all;
}

QWidget* Find(QWidget* top, const QString& name) {
    return top->findChild<QWidget*>(name);
}

QString Caption(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}

class ResUiTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tarvex::InitResources();
        // The program's font (DESIGN.md: 宋体 is AR PL UMing CN here), at the dialogs' 9 pt.
        QFont::insertSubstitution("宋体", "AR PL UMing CN");
        QFont font("AR PL UMing CN");
        font.setPointSize(9);
        QApplication::setFont(font);
    }
};

// ---------------------------------------------------------------------------------------------
// The numbered controls and their captions

struct Control {
    const char* tmpl;
    const char* name;
    const char* cls;
    const char* caption; // nullptr: not checked (edits, combos, lists, pictures)
};

const Control kControls[] = {
    // 100 about box
    {"100", "id1", "QPushButton", "确定"},
    {"100", "lblVersion", "QLabel", "互感器综合参数测试 2.0 版"},
    {"100", "lblIcon", "QLabel", nullptr},
    // 133 CT excitation
    {"133", "id1009", "QPushButton", "开始测试"},
    {"133", "id1010", "QPushButton", "打开数据"},
    {"133", "id1016", "QPushButton", "误差曲线"},
    {"133", "id3", "QPushButton", nullptr},
    {"133", "id1003", "QTreeWidget", nullptr},
    {"133", "grpParams", "QGroupBox", "参数设置"},
    {"133", "lblTestVoltage", "QLabel", "测试电压"},
    {"133", "lblTestVoltageUnit", "QLabel", "V"},
    {"133", "lblTestCurrent", "QLabel", "测试电流"},
    {"133", "lblTestCurrentUnit", "QLabel", "A"},
    {"133", "lblLineNo", "QLabel", "线路编号"},
    {"133", "lblGroupNo", "QLabel", "组　　号"},
    {"133", "lblPhase", "QLabel", "相　　序"},
    {"133", "id1004", "QLineEdit", nullptr},
    {"133", "id1005", "QLineEdit", nullptr},
    {"133", "id1006", "QLineEdit", nullptr},
    {"133", "id1007", "QLineEdit", nullptr},
    {"133", "id1014", "QComboBox", nullptr},
    {"133", "id1024", "QGroupBox", "测量数据"},
    {"133", "id1025", "QLabel", "序        号"},
    {"133", "id1027", "QLabel", "日        期"},
    {"133", "id1029", "QLabel", "线路编号"},
    {"133", "id1030", "QLabel", "组　　号"},
    {"133", "id1031", "QLabel", "相　　序"},
    {"133", "id1032", "QLineEdit", nullptr},
    {"133", "id1011", "QLineEdit", nullptr},
    {"133", "id1012", "QLineEdit", nullptr},
    {"133", "id1013", "QLineEdit", nullptr},
    {"133", "id1015", "QLineEdit", nullptr},
    {"133", "id1033", "QLabel", ""},
    {"133", "id1034", "QLabel", ""},
    // 134 CT ratio and polarity
    {"134", "grpParams", "QGroupBox", "参数设置"},
    {"134", "lblTestCurrent", "QLabel", "一次侧测试电流："},
    {"134", "lblTestCurrentUnit", "QLabel", "A"},
    {"134", "id1004", "QLineEdit", nullptr},
    {"134", "lblRated", "QLabel", "CT额定电流："},
    {"134", "id1011", "QRadioButton", "1A"},
    {"134", "id1012", "QRadioButton", "5A"},
    {"134", "id1013", "QPushButton", "开始"},
    {"134", "grpResult", "QGroupBox", "测试结果"},
    {"134", "lblPrimary", "QLabel", "一次侧电流："},
    {"134", "lblPrimaryUnit", "QLabel", "A"},
    {"134", "id1005", "QLineEdit", nullptr},
    {"134", "lblSecondary", "QLabel", "二次侧电流："},
    {"134", "lblSecondaryUnit", "QLabel", "A"},
    {"134", "id1006", "QLineEdit", nullptr},
    {"134", "id1035", "QLabel", "变比："},
    {"134", "id1007", "QLineEdit", nullptr},
    {"134", "id1036", "QLabel", "A  /"},
    {"134", "id1008", "QLineEdit", nullptr},
    {"134", "id1037", "QLabel", "A "},
    {"134", "id1038", "QLabel", "极性："},
    {"134", "id1009", "QLineEdit", nullptr},
    {"134", "id1003", "QTreeWidget", nullptr},
    // 135 CT ratio and phase error
    {"135", "grpParams", "QGroupBox", "参数设置"},
    {"135", "lblRatedPrimary", "QLabel", "一次额定电流："},
    {"135", "lblRatedPrimaryUnit", "QLabel", "A"},
    {"135", "id1004", "QLineEdit", nullptr},
    {"135", "lblMode", "QLabel", "测试模式："},
    {"135", "id1011", "QRadioButton", "满载"},
    {"135", "id1012", "QRadioButton", "轻载"},
    {"135", "lblRatedSecondary", "QLabel", "二次额定电流："},
    {"135", "id1015", "QRadioButton", "1A"},
    {"135", "id1016", "QRadioButton", "5A"},
    {"135", "lblBurden", "QLabel", "额定负荷："},
    {"135", "lblBurdenUnit", "QLabel", "VA"},
    {"135", "id1005", "QLineEdit", nullptr},
    {"135", "id1013", "QPushButton", "开始"},
    {"135", "grpResult", "QGroupBox", "测试结果"},
    {"135", "lblCol5", "QLabel", "5%"},
    {"135", "lblCol20", "QLabel", "20%"},
    {"135", "lblCol100", "QLabel", "100%"},
    {"135", "lblCol120", "QLabel", "120%"},
    {"135", "lblPhaseErr", "QLabel", "角差："},
    {"135", "lblPhaseErrUnit", "QLabel", "分"},
    {"135", "lblRatioErr", "QLabel", "比差："},
    {"135", "lblRatioErrUnit", "QLabel", "%"},
    // 137 PT ratio and polarity
    {"137", "grpParams", "QGroupBox", "参数设置"},
    {"137", "lblTestVoltage", "QLabel", "一次侧测试电压："},
    {"137", "lblTestVoltageUnit", "QLabel", "V"},
    {"137", "id1004", "QLineEdit", nullptr},
    {"137", "lblRatedSecondary", "QLabel", "PT额定二次电压："},
    {"137", "lblRatedSecondaryUnit", "QLabel", "V"},
    {"137", "id1014", "QComboBox", nullptr},
    {"137", "id1013", "QPushButton", "开始"},
    {"137", "grpResult", "QGroupBox", "测试结果"},
    {"137", "lblPrimary", "QLabel", "一次侧电压："},
    {"137", "lblPrimaryUnit", "QLabel", "V"},
    {"137", "id1005", "QLineEdit", nullptr},
    {"137", "lblSecondary", "QLabel", "二次侧电压："},
    {"137", "lblSecondaryUnit", "QLabel", "V"},
    {"137", "id1006", "QLineEdit", nullptr},
    {"137", "lblRatio", "QLabel", "变比："},
    {"137", "id1007", "QLineEdit", nullptr},
    {"137", "lblRatioSep", "QLabel", "kV  /"},
    {"137", "id1008", "QLineEdit", nullptr},
    {"137", "lblRatioUnit", "QLabel", "V"},
    {"137", "lblPolarity", "QLabel", "极性："},
    {"137", "id1009", "QLineEdit", nullptr},
    // 138 PT ratio and phase error
    {"138", "grpParams", "QGroupBox", "参数设置"},
    {"138", "lblRatedPrimary", "QLabel", "一次额定电压："},
    {"138", "lblRatedPrimaryUnit", "QLabel", "kV"},
    {"138", "id1004", "QLineEdit", nullptr},
    {"138", "lblMode", "QLabel", "测试模式："},
    {"138", "id1011", "QRadioButton", "满载"},
    {"138", "id1012", "QRadioButton", "轻载"},
    {"138", "lblRatedSecondary", "QLabel", "二次额定电压："},
    {"138", "lblRatedSecondaryUnit", "QLabel", "V"},
    {"138", "id1018", "QComboBox", nullptr},
    {"138", "lblBurden", "QLabel", "额定负荷："},
    {"138", "lblBurdenUnit", "QLabel", "VA"},
    {"138", "id1005", "QLineEdit", nullptr},
    {"138", "id1013", "QPushButton", "开始"},
    {"138", "grpResult", "QGroupBox", "测试结果"},
    {"138", "lblCol80", "QLabel", "80%"},
    {"138", "lblCol100", "QLabel", "100%"},
    {"138", "lblCol120", "QLabel", "120%"},
    {"138", "lblPhaseErr", "QLabel", "角差："},
    {"138", "lblPhaseErrUnit", "QLabel", "分"},
    {"138", "lblRatioErr", "QLabel", "比差："},
    {"138", "lblRatioErrUnit", "QLabel", "%"},
    // 139 CT secondary burden
    {"139", "grpParams", "QGroupBox", "参数设置"},
    {"139", "lblRated", "QLabel", "二次额定电流："},
    {"139", "id1011", "QRadioButton", "1A"},
    {"139", "id1012", "QRadioButton", "5A"},
    {"139", "id1013", "QPushButton", "开始"},
    {"139", "grpResult", "QGroupBox", "测试结果"},
    {"139", "lblBurden", "QLabel", "二次负荷："},
    {"139", "id1004", "QLineEdit", nullptr},
    {"139", "id1034", "QLabel", ""},
    // 142 DC resistance
    {"142", "grpResult", "QGroupBox", "测试结果"},
    {"142", "lblResistance", "QLabel", "直流电阻："},
    {"142", "id1004", "QLineEdit", nullptr},
    {"142", "id1034", "QLabel", ""},
    {"142", "id1013", "QPushButton", "开始"},
    // 143 error curve
    {"143", "id1003", "QTreeWidget", nullptr},
    {"143", "grpRated", "QGroupBox", "额定电流"},
    {"143", "id1011", "QRadioButton", "1A"},
    {"143", "id1012", "QRadioButton", "5A"},
    {"143", "grpCurve", "QGroupBox", "误差曲线比值"},
    {"143", "id1015", "QRadioButton", "5%误差曲线"},
    {"143", "id1016", "QRadioButton", "10%误差曲线"},
    {"143", "grpZ2", "QGroupBox", "CT二次阻抗"},
    {"143", "id1004", "QLineEdit", nullptr},
    {"143", "id1013", "QPushButton", "计算误差曲线"},
    // 144 PT secondary burden
    {"144", "grpParams", "QGroupBox", "参数设置"},
    {"144", "lblRatedSecondary", "QLabel", "二次额定电压："},
    {"144", "lblRatedSecondaryUnit", "QLabel", "V"},
    {"144", "id1014", "QComboBox", nullptr},
    {"144", "id1013", "QPushButton", "开始"},
    {"144", "grpResult", "QGroupBox", "测试结果"},
    {"144", "lblBurden", "QLabel", "二次负荷："},
    {"144", "lblBurdenUnit", "QLabel", "VA"},
    {"144", "id1004", "QLineEdit", nullptr},
    // 145 port settings
    {"145", "grpComm", "QGroupBox", "通讯设置"},
    {"145", "lblPort", "QLabel", "串    口"},
    {"145", "id1014", "QComboBox", nullptr},
    {"145", "lblBaud", "QLabel", "波特率"},
    {"145", "id1018", "QComboBox", nullptr},
    {"145", "id1", "QPushButton", "确定"},
    {"145", "id2", "QPushButton", "取消"},
    // 151 history search
    {"151", "id1", "QPushButton", "确定"},
    {"151", "id2", "QPushButton", "退出"},
    {"151", "id1003", "QTreeWidget", nullptr},
    {"151", "id1022", "QLabel", ""},
    // 152 system settings
    {"152", "lblTime", "QLabel", "时        间"},
    {"152", "id1004", "QLineEdit", nullptr},
    {"152", "lblDeviceNo", "QLabel", "设备编号"},
    {"152", "id1005", "QLineEdit", nullptr},
    {"152", "lblTester", "QLabel", "测试人员"},
    {"152", "id1006", "QLineEdit", nullptr},
    {"152", "lblSite", "QLabel", "测试地点"},
    {"152", "id1007", "QLineEdit", nullptr},
    {"152", "id1", "QPushButton", "确定"},
    {"152", "id2", "QPushButton", "取消"},
    // 164 CT/PT choice
    {"164", "id1011", "QRadioButton", "CT历史数据"},
    {"164", "id1012", "QRadioButton", "PT历史数据"},
    {"164", "id1", "QPushButton", "确定"},
    {"164", "id2", "QPushButton", "取消"},
};

TEST_F(ResUiTest, EveryControlHasItsIdKindAndCaption) {
    std::map<std::string, std::unique_ptr<QWidget>> built;
    for (const Control& c : kControls) {
        auto& top = built[c.tmpl];
        if (!top)
            top = Templates().at(c.tmpl)();
        QWidget* w = Find(top.get(), c.name);
        ASSERT_NE(w, nullptr) << c.tmpl << " " << c.name;
        EXPECT_STREQ(w->metaObject()->className(), c.cls) << c.tmpl << " " << c.name;
        if (c.caption) {
            EXPECT_EQ(Caption(w), QString::fromUtf8(c.caption)) << c.tmpl << " " << c.name;
        }
    }
}

// 136 is 133 placed slightly differently: the same names, kinds and captions.
TEST_F(ResUiTest, PtExcitationPageHasTheControlsOfTheCtPage) {
    auto ct = Templates().at("133")();
    auto pt = Templates().at("136")();
    // The controls of the template (not the inner parts of combo boxes and lists).
    const QRegularExpression named("^(id|grp|lbl)");
    const auto ctChildren = ct->findChildren<QWidget*>(named);
    const auto ptChildren = pt->findChildren<QWidget*>(named);
    ASSERT_EQ(ctChildren.size(), ptChildren.size());
    ASSERT_GT(ctChildren.size(), 30);
    bool moved = false;
    for (QWidget* c : ctChildren) {
        QWidget* p = Find(pt.get(), c->objectName());
        ASSERT_NE(p, nullptr) << qPrintable(c->objectName());
        EXPECT_STREQ(p->metaObject()->className(), c->metaObject()->className());
        EXPECT_EQ(Caption(p), Caption(c)) << qPrintable(c->objectName());
        moved = moved || p->geometry() != c->geometry();
    }
    EXPECT_TRUE(moved);
}

TEST_F(ResUiTest, TopLevelWidgetsHaveTheirTitlesAndSizes) {
    struct Top {
        const char* tmpl;
        const char* cls;
        const char* title;
        int width, height;
        bool fixed;
    };
    const Top tops[] = {
        {"100", "QDialog", "关于 互感器综合参数测试", 340, 90, true},
        {"133", "QWidget", "CT伏安特性", 700, 580, false},
        {"134", "QWidget", "CT变比极性", 700, 580, false},
        {"135", "QWidget", "CT角差比差", 700, 580, false},
        {"136", "QWidget", "PT伏安特性", 700, 580, false},
        {"137", "QWidget", "PT变比极性", 700, 580, false},
        {"138", "QWidget", "PT角差比差", 700, 580, false},
        {"139", "QWidget", "CT二次负荷", 700, 580, false},
        {"142", "QWidget", "直流电阻测试", 700, 580, false},
        {"143", "QWidget", "误差曲线", 720, 560, true},
        {"144", "QWidget", "PT二次负荷", 700, 580, false},
        // 182 x 137 dialog units of Arial (base units 6 x 13)
        {"145", "QDialog", "通讯设置", 273, 223, true},
        {"151", "QDialog", "搜索历史数据", 560, 380, true},
        {"152", "QDialog", "系统设置", 320, 215, true},
        {"164", "QDialog", "选择", 260, 140, true},
    };
    for (const Top& t : tops) {
        auto w = Templates().at(t.tmpl)();
        EXPECT_STREQ(w->metaObject()->className(), t.cls) << t.tmpl;
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(t.title)) << t.tmpl;
        EXPECT_EQ(w->size(), QSize(t.width, t.height)) << t.tmpl;
        if (t.fixed) {
            EXPECT_EQ(w->minimumSize(), w->size()) << t.tmpl;
            EXPECT_EQ(w->maximumSize(), w->size()) << t.tmpl;
        }
    }
    EXPECT_EQ(Templates().size(), std::size(tops));
}

// Template 145 keeps its dialog-unit positions, 1 du = 1.5 x 1.625 px.
TEST_F(ResUiTest, PortDialogFollowsItsDialogUnits) {
    auto w = Templates().at("145")();
    auto px = [](int x, int y) { return QPoint(int(x * 1.5 + 0.5), int(y * 1.625 + 0.5)); };
    auto at = [&](const char* name) {
        QWidget* c = Find(w.get(), name);
        return c->mapTo(w.get(), QPoint(0, 0));
    };
    EXPECT_EQ(Find(w.get(), "grpComm")->geometry(), QRect(px(22, 19), QSize(198, 120)));
    EXPECT_EQ(at("lblPort"), px(37, 44));
    EXPECT_EQ(at("id1014"), px(77, 42));
    EXPECT_EQ(at("lblBaud"), px(37, 68));
    EXPECT_EQ(at("id1018"), px(77, 67));
    EXPECT_EQ(Find(w.get(), "id1")->geometry(), QRect(px(34, 104), QSize(75, 23)));
    EXPECT_EQ(Find(w.get(), "id2")->geometry(), QRect(px(97, 104), QSize(75, 23)));
    EXPECT_EQ(Find(w.get(), "id1014")->width(), 90);
    // The control order of the template is the tab order.
    QStringList order;
    QWidget* c = w.get();
    do {
        if ((c->focusPolicy() & Qt::TabFocus) && c->objectName().startsWith("id") &&
            !order.contains(c->objectName()))
            order << c->objectName();
        c = c->nextInFocusChain();
    } while (c != w.get());
    EXPECT_EQ(order, QStringList({"id1014", "id1018", "id1", "id2"}));
}

// ---------------------------------------------------------------------------------------------
// Kinds of fields

TEST_F(ResUiTest, CombosAreEditableWithTheirItemsAndNoneChosen) {
    const QStringList volts = {"100", "100/3", "100/sqrt(3)", "220"};
    QStringList ports, bauds;
    for (int i = 1; i <= 10; ++i)
        ports << QString("COM%1").arg(i);
    bauds = QString("300 600 1200 2400 4800 9600 19200 38400 43000 56000 57600 115200 256000")
                .split(' ');
    const struct {
        const char* tmpl;
        const char* name;
        QStringList items;
    } combos[] = {
        {"133", "id1014", {"A", "B", "C"}}, {"136", "id1014", {"A", "B", "C"}},
        {"137", "id1014", volts},           {"138", "id1018", volts},
        {"144", "id1014", volts},           {"145", "id1014", ports},
        {"145", "id1018", bauds},
    };
    int total = 0;
    for (const auto& c : combos) {
        auto w = Templates().at(c.tmpl)();
        auto* box = qobject_cast<QComboBox*>(Find(w.get(), c.name));
        ASSERT_NE(box, nullptr) << c.tmpl << " " << c.name;
        EXPECT_TRUE(box->isEditable()) << c.tmpl << " " << c.name;
        EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert) << c.tmpl << " " << c.name;
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        EXPECT_EQ(items, c.items) << c.tmpl << " " << c.name;
        EXPECT_EQ(box->currentIndex(), -1) << c.tmpl << " " << c.name;
        EXPECT_EQ(box->currentText(), QString()) << c.tmpl << " " << c.name;
    }
    for (const auto& [name, make] : Templates())
        total += make()->findChildren<QComboBox*>().size();
    EXPECT_EQ(total, int(std::size(combos)));
}

TEST_F(ResUiTest, EditsAreEntriesOrReadOnlyResults) {
    const struct {
        const char* tmpl;
        QStringList entries;
        QStringList results;
        bool centred;
    } edits[] = {
        {"133",
         {"id1004", "id1005", "id1006", "id1007"},
         {"id1032", "id1011", "id1012", "id1013", "id1015"},
         false},
        {"136",
         {"id1004", "id1005", "id1006", "id1007"},
         {"id1032", "id1011", "id1012", "id1013", "id1015"},
         false},
        {"134", {"id1004"}, {"id1005", "id1006", "id1007", "id1008", "id1009"}, false},
        {"135",
         {"id1004", "id1005"},
         {"id1006", "id1008", "id1010", "id1017", "id1007", "id1009", "id1014", "id1018"},
         true},
        {"137", {"id1004"}, {"id1005", "id1006", "id1007", "id1008", "id1009"}, false},
        {"138",
         {"id1004", "id1005"},
         {"id1006", "id1008", "id1010", "id1007", "id1009", "id1014"},
         true},
        {"139", {}, {"id1004"}, false},
        {"142", {}, {"id1004"}, false},
        {"143", {"id1004"}, {}, false},
        {"144", {}, {"id1004"}, false},
        {"152", {"id1005", "id1006", "id1007"}, {"id1004"}, false},
    };
    for (const auto& e : edits) {
        auto w = Templates().at(e.tmpl)();
        qsizetype own = 0; // not counting the line edits inside editable combo boxes
        for (auto* edit : w->findChildren<QLineEdit*>())
            own += qobject_cast<QComboBox*>(edit->parent()) == nullptr;
        EXPECT_EQ(own, e.entries.size() + e.results.size()) << e.tmpl;
        for (const QString& n : e.entries) {
            auto* edit = qobject_cast<QLineEdit*>(Find(w.get(), n));
            ASSERT_NE(edit, nullptr) << e.tmpl << " " << qPrintable(n);
            EXPECT_FALSE(edit->isReadOnly()) << e.tmpl << " " << qPrintable(n);
            EXPECT_TRUE(edit->isEnabled()) << e.tmpl << " " << qPrintable(n);
        }
        for (const QString& n : e.results) {
            auto* edit = qobject_cast<QLineEdit*>(Find(w.get(), n));
            ASSERT_NE(edit, nullptr) << e.tmpl << " " << qPrintable(n);
            EXPECT_TRUE(edit->isReadOnly()) << e.tmpl << " " << qPrintable(n);
            EXPECT_EQ(bool(edit->alignment() & Qt::AlignHCenter), e.centred)
                << e.tmpl << " " << qPrintable(n);
        }
    }
}

TEST_F(ResUiTest, StartButtonsAreDisabledAndDefaultsMarked) {
    const struct {
        const char* tmpl;
        const char* start;      // disabled in the template
        const char* defaultBtn; // marked default
    } pages[] = {
        {"133", "id1009", "id1009"}, {"136", "id1009", "id1009"}, {"134", "id1013", nullptr},
        {"135", "id1013", nullptr},  {"137", "id1013", nullptr},  {"138", "id1013", nullptr},
        {"139", "id1013", nullptr},  {"142", "id1013", "id1013"}, {"144", "id1013", nullptr},
        {"100", nullptr, "id1"},     {"145", nullptr, "id1"},     {"151", nullptr, "id1"},
        {"152", nullptr, "id1"},     {"164", nullptr, "id1"},     {"143", nullptr, nullptr},
    };
    for (const auto& p : pages) {
        auto w = Templates().at(p.tmpl)();
        for (auto* b : w->findChildren<QPushButton*>()) {
            const bool isStart = p.start && b->objectName() == p.start;
            EXPECT_EQ(b->isEnabled(), !isStart) << p.tmpl << " " << qPrintable(b->objectName());
            const bool isDefault = p.defaultBtn && b->objectName() == p.defaultBtn;
            EXPECT_EQ(b->isDefault(), isDefault) << p.tmpl << " " << qPrintable(b->objectName());
        }
    }
    // The hidden button 3 of the excitation pages, and the six-tap list hidden behind the
    // single-result fields of 134 (ShowSingleResult shows one or the other).
    for (const char* t : {"133", "136"}) {
        auto w = Templates().at(t)();
        EXPECT_TRUE(Find(w.get(), "id3")->isHidden()) << t;
    }
    auto ibb = Templates().at("134")();
    EXPECT_TRUE(Find(ibb.get(), "id1003")->isHidden());
}

TEST_F(ResUiTest, RadioButtonsAreExclusiveWithinTheirGroupOnly) {
    // 135: two exclusive pairs in one group box, each its own button group.
    auto ijb = Templates().at("135")();
    auto radio = [](QWidget* top, const char* n) {
        return qobject_cast<QRadioButton*>(Find(top, n));
    };
    radio(ijb.get(), "id1011")->setChecked(true);
    radio(ijb.get(), "id1016")->setChecked(true);
    radio(ijb.get(), "id1012")->setChecked(true);
    EXPECT_FALSE(radio(ijb.get(), "id1011")->isChecked());
    EXPECT_TRUE(radio(ijb.get(), "id1016")->isChecked());
    radio(ijb.get(), "id1015")->setChecked(true);
    EXPECT_FALSE(radio(ijb.get(), "id1016")->isChecked());
    EXPECT_TRUE(radio(ijb.get(), "id1012")->isChecked());

    // The pairs that are alone in their parent: automatic radio buttons.
    for (const char* t : {"134", "138", "139", "164"}) {
        auto w = Templates().at(t)();
        radio(w.get(), "id1011")->setChecked(true);
        radio(w.get(), "id1012")->setChecked(true);
        EXPECT_FALSE(radio(w.get(), "id1011")->isChecked()) << t;
    }

    // 143: plain radio buttons whose checks the handlers set.
    auto iwc = Templates().at("143")();
    for (const char* n : {"id1011", "id1012", "id1015", "id1016"}) {
        EXPECT_FALSE(radio(iwc.get(), n)->autoExclusive()) << n;
        EXPECT_EQ(radio(iwc.get(), n)->group(), nullptr) << n;
    }
}

TEST_F(ResUiTest, ListsAreReportStyleViews) {
    for (const char* t : {"133", "134", "136", "143", "151"}) {
        auto w = Templates().at(t)();
        auto* list = qobject_cast<QTreeWidget*>(Find(w.get(), "id1003"));
        ASSERT_NE(list, nullptr) << t;
        EXPECT_FALSE(list->rootIsDecorated()) << t;
        EXPECT_TRUE(list->uniformRowHeights()) << t;
        EXPECT_TRUE(list->allColumnsShowFocus()) << t;
        EXPECT_EQ(list->selectionMode(), std::string(t) == "151"
                                             ? QAbstractItemView::ExtendedSelection
                                             : QAbstractItemView::SingleSelection)
            << t;
    }
}

// ---------------------------------------------------------------------------------------------
// Names for assistive technology

bool IsField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QTreeWidget*>(w);
}

TEST_F(ResUiTest, EveryFieldHasItsLabelAsBuddyAndAName) {
    for (const auto& [tmpl, make] : Templates()) {
        auto top = make();
        std::set<const QWidget*> buddied;
        for (auto* label : top->findChildren<QLabel*>()) {
            if (!label->buddy())
                continue;
            EXPECT_TRUE(IsField(label->buddy())) << tmpl << " " << qPrintable(label->objectName());
            EXPECT_EQ(label->buddy()->parentWidget(), label->parentWidget()) << tmpl;
            buddied.insert(label->buddy());
            // The buddy's name is the label's text without the colon and the padding.
            QString expected = label->text();
            expected.remove(QRegularExpression("[：:\\s\u3000]"));
            const QString name = label->buddy()->accessibleName();
            EXPECT_TRUE(name == expected || name.startsWith(expected + " "))
                << tmpl << " " << qPrintable(label->objectName()) << " " << qPrintable(name);
        }
        for (auto* w : top->findChildren<QWidget*>()) {
            if (!IsField(w) || qobject_cast<QComboBox*>(w->parent()))
                continue; // the line edit inside an editable combo box is the combo's
            // Fields with a label of their own carry its text; the others (lists, the cells
            // of the error tables, the entry of a group box) a name of their own.
            EXPECT_FALSE(w->accessibleName().isEmpty())
                << tmpl << " " << qPrintable(w->objectName());
            const bool needsBuddy = qobject_cast<QTreeWidget*>(w) == nullptr && tmpl != "143" &&
                                    !w->accessibleName().contains(u'%') &&
                                    !w->accessibleName().startsWith("变比 ");
            if (needsBuddy) {
                EXPECT_EQ(buddied.count(w), 1u) << tmpl << " " << qPrintable(w->objectName());
            }
            QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(acc, nullptr);
            const QString name = acc->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty()) << tmpl << " " << qPrintable(w->objectName());
            EXPECT_FALSE(name.contains(u'：')) << tmpl << " " << qPrintable(w->objectName());
        }
    }
}

TEST_F(ResUiTest, ErrorTableFieldsJoinRowAndColumn) {
    const struct {
        const char* tmpl;
        const char* name;
        const char* accessible;
    } cells[] = {
        {"135", "id1006", "角差 5%"},   {"135", "id1008", "角差 20%"},
        {"135", "id1010", "角差 100%"}, {"135", "id1017", "角差 120%"},
        {"135", "id1007", "比差 5%"},   {"135", "id1009", "比差 20%"},
        {"135", "id1014", "比差 100%"}, {"135", "id1018", "比差 120%"},
        {"138", "id1006", "角差 80%"},  {"138", "id1008", "角差 100%"},
        {"138", "id1010", "角差 120%"}, {"138", "id1007", "比差 80%"},
        {"138", "id1009", "比差 100%"}, {"138", "id1014", "比差 120%"},
    };
    for (const auto& c : cells) {
        auto w = Templates().at(c.tmpl)();
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(Find(w.get(), c.name));
        EXPECT_EQ(acc->text(QAccessible::Name), QString::fromUtf8(c.accessible))
            << c.tmpl << " " << c.name;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout with the program's font

QString Where(const std::string& tmpl, const QWidget* w) {
    return QString::fromStdString(tmpl) + " " + w->objectName();
}

// Controls that share a rectangle on purpose: the code shows one or the other.
bool MayOverlap(const std::string& tmpl, const QWidget* a, const QWidget* b) {
    if (tmpl != "134")
        return false;
    auto isList = [](const QWidget* w) { return w->objectName() == "id1003"; };
    return isList(a) != isList(b);
}

TEST_F(ResUiTest, NothingOverlapsAndEverythingFitsItsParent) {
    for (const auto& [tmpl, make] : Templates()) {
        auto top = make();
        // The containers of the templates: the top and its group boxes (the inner parts of
        // the controls are Qt's).
        QList<QWidget*> parents;
        parents << top.get();
        for (auto* g : top->findChildren<QGroupBox*>())
            parents << g;
        for (QWidget* parent : parents) {
            QList<QWidget*> kids;
            for (auto* k : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!k->isWindow())
                    kids << k;
            const QRect room = parent->contentsRect();
            for (qsizetype i = 0; i < kids.size(); ++i) {
                EXPECT_TRUE(room.contains(kids[i]->geometry()))
                    << qPrintable(Where(tmpl, kids[i])) << " leaves its parent";
                for (qsizetype j = i + 1; j < kids.size(); ++j) {
                    if (MayOverlap(tmpl, kids[i], kids[j]))
                        continue;
                    EXPECT_FALSE(kids[i]->geometry().intersects(kids[j]->geometry()))
                        << qPrintable(Where(tmpl, kids[i])) << " overlaps "
                        << qPrintable(kids[j]->objectName());
                }
            }
        }
    }
}

TEST_F(ResUiTest, EveryTextIsFullyVisible) {
    for (const auto& [tmpl, make] : Templates()) {
        auto top = make();
        for (QWidget* w : top->findChildren<QWidget*>()) {
            const QString where = Where(tmpl, w);
            const QFontMetrics fm = w->fontMetrics();
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
                EXPECT_LE(l->sizeHint().width(), l->width()) << qPrintable(where);
                EXPECT_LE(l->sizeHint().height(), l->height()) << qPrintable(where);
            } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
                EXPECT_LE(r->sizeHint().width(), r->width()) << qPrintable(where);
                EXPECT_LE(r->sizeHint().height(), r->height()) << qPrintable(where);
            } else if (auto* b = qobject_cast<QPushButton*>(w); b && !b->text().isEmpty()) {
                EXPECT_LE(fm.horizontalAdvance(b->text()) + 12, b->width()) << qPrintable(where);
                EXPECT_LE(fm.height() + 6, b->height()) << qPrintable(where);
            } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                EXPECT_LE(fm.horizontalAdvance(g->title()) + 20, g->width()) << qPrintable(where);
            } else if (auto* c = qobject_cast<QComboBox*>(w)) {
                EXPECT_LE(c->sizeHint().width(), c->width()) << qPrintable(where);
                EXPECT_LE(c->minimumSizeHint().height(), c->height()) << qPrintable(where);
            } else if (auto* e = qobject_cast<QLineEdit*>(w);
                       e && !qobject_cast<QComboBox*>(e->parent())) {
                EXPECT_LE(e->minimumSizeHint().height(), e->height()) << qPrintable(where);
                // Room for the longest texts the code writes: a test time, a 5-digit number.
                const QString sample = tmpl == "152" ? "2024-12-31 23:59:59" : "-3276.7";
                EXPECT_LE(fm.horizontalAdvance(sample) + 8, e->width()) << qPrintable(where);
            }
        }
    }
}

// The excitation pages and the error-curve window paint their chart at fixed pixels:
// x 245..700, y 25..320 (plot 280..680 x 50..300, tick texts, axis names).
TEST_F(ResUiTest, ChartAreaIsFreeOfControls) {
    const QRect chart(QPoint(245, 25), QPoint(700, 320));
    for (const char* t : {"133", "136", "143"}) {
        auto top = Templates().at(t)();
        ASSERT_GE(top->width(), 700) << t;
        for (QWidget* w : top->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(w->geometry().intersects(chart))
                << t << " " << qPrintable(w->objectName());
        QWidget* list = Find(top.get(), "id1003");
        EXPECT_GT(list->y(), 320) << t;
        EXPECT_GE(list->height(), 200) << t;
    }
    for (const char* t : {"133", "136"}) {
        auto top = Templates().at(t)();
        for (const char* knee : {"id1033", "id1034"}) {
            QWidget* w = Find(top.get(), knee);
            EXPECT_LE(w->geometry().bottom(), 24) << t << " " << knee;
            EXPECT_GE(w->x(), 300) << t << " " << knee;
        }
        // Parameters, buttons and history fields in the left column.
        for (const char* n : {"grpParams", "id1024", "id1009", "id1010", "id1016"})
            EXPECT_LT(Find(top.get(), n)->geometry().right(), 240) << t << " " << n;
    }
}

// The six-tap list of 134 takes the rectangle of the single-result fields 1035 to 1009.
TEST_F(ResUiTest, TapListCoversTheSingleResultFields) {
    auto w = Templates().at("134")();
    const QRect list = Find(w.get(), "id1003")->geometry();
    for (const char* n : {"id1035", "id1007", "id1036", "id1008", "id1037", "id1038", "id1009"})
        EXPECT_TRUE(list.contains(Find(w.get(), n)->geometry())) << n;
    EXPECT_GE(list.height(), 6 * 20 + 25); // the six taps and the header
    EXPECT_GE(list.width(), 3 * 80 + 20);  // three columns of 80 pixels and a scroll bar
}

// The unit picture of 139 and 142 sits right of the result 1004.
TEST_F(ResUiTest, UnitPictureSitsRightOfTheResult) {
    for (const char* t : {"139", "142"}) {
        auto w = Templates().at(t)();
        const QRect edit = Find(w.get(), "id1004")->geometry();
        const QRect pic = Find(w.get(), "id1034")->geometry();
        EXPECT_GT(pic.left(), edit.right()) << t;
        EXPECT_LT(pic.left() - edit.right(), 20) << t;
        EXPECT_TRUE(pic.contains(QPoint(pic.left(), edit.center().y()))) << t;
        EXPECT_GE(pic.width(), 32) << t;
        EXPECT_GE(pic.height(), 32) << t;
    }
}

// Renders every template for a person to look at: TARVEX_UI_SHOTS=/tmp/ui ctest -R ResUi
TEST_F(ResUiTest, RendersEveryTemplate) {
    const QString dir = qEnvironmentVariable("TARVEX_UI_SHOTS");
    for (const auto& [tmpl, make] : Templates()) {
        auto top = make();
        const QImage image = top->grab().toImage();
        EXPECT_EQ(image.size(), top->size()) << tmpl;
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            EXPECT_TRUE(image.save(QString("%1/dlg%2.png").arg(dir, QString::fromStdString(tmpl))))
                << tmpl;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Icons

TEST_F(ResUiTest, IconsAreInTheResourcesWithTheirSizes) {
    const struct {
        int id;
        int size;
    } icons[] = {{128, 32}, {131, 16}, {132, 16}, {155, 32}, {158, 32}, {159, 32}, {160, 32},
                 {161, 32}, {162, 32}, {163, 32}, {168, 32}, {169, 32}, {170, 32}};
    for (const auto& i : icons) {
        const QImage image(tarvex::IconPath(i.id));
        ASSERT_FALSE(image.isNull()) << i.id;
        EXPECT_EQ(image.size(), QSize(i.size, i.size)) << i.id;
        EXPECT_TRUE(image.hasAlphaChannel()) << i.id;
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << i.id << ": the corner is transparent";
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += image.pixelColor(x, y).alpha() > 128;
        EXPECT_GT(opaque, i.size * i.size / 10) << i.id;
        EXPECT_FALSE(tarvex::Icon(i.id).isNull()) << i.id;
    }
    EXPECT_EQ(tarvex::IconPath(155), ":/icons/155.svg");
    const QList<QSize> sizes = tarvex::Icon(128).availableSizes();
    for (int s : {16, 32, 64})
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
    // The unit pictures are black on transparent.
    for (int id : {168, 169}) {
        const QImage image(tarvex::IconPath(id));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() > 0) {
                    ASSERT_EQ(c.red() + c.green() + c.blue(), 0) << id << " at " << x << "," << y;
                }
            }
    }
}

// Each committed PNG is what Qt SVG draws of its SVG: nobody edited one without the other.
TEST_F(ResUiTest, PngsAreTheRenderingsOfTheirSvgs) {
    const QString icons = QStringLiteral(TARVEX_RES_DIR) + "/icons";
    int checked = 0;
    QDirIterator it(icons, {"*.png"});
    while (it.hasNext()) {
        const QFileInfo png(it.next());
        // icon128-64.png is icon128.svg at 64 pixels.
        const QString svg = icons + "/" + png.completeBaseName().section('-', 0, 0) + ".svg";
        const QImage committed = QImage(png.filePath()).convertToFormat(QImage::Format_ARGB32);
        QImageReader reader(svg);
        reader.setScaledSize(committed.size());
        const QImage fresh = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(fresh.isNull()) << qPrintable(reader.errorString());
        ASSERT_EQ(fresh.size(), committed.size()) << qPrintable(png.fileName());
        int worst = 0;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x) {
                const QColor a = fresh.pixelColor(x, y), b = committed.pixelColor(x, y);
                worst =
                    std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                              std::abs(a.blue() - b.blue()), std::abs(a.alpha() - b.alpha())});
            }
        EXPECT_LE(worst, 2) << qPrintable(png.fileName())
                            << ": re-render with cmake --build build --target res_icons";
        ++checked;
    }
    EXPECT_EQ(checked, 3); // the application icon's hicolor sizes 16, 32 and 64
}

} // namespace
