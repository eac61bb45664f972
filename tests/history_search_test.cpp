#include "app/mainfrm.h"
#include "app/tarvexapp.h"
#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "devicelink.h"
#include "history/searchdlg.h"
#include "pages/dzdlg.h"
#include "pages/ivadlg.h"
#include "pages/uvadlg.h"
#include "platform/msgboxrecorder.h"
#include "platform/virtualclock.h"
#include "rxbuffer.h"
#include "sim/engine.h"
#include "sim/historyreplies.h"
#include "sim/simportopener.h"
#include "state/archivedvalue.h"
#include "state/resultrecorder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <cstring>
#include <functional>
#include <vector>

using Bytes = std::vector<unsigned char>;

namespace {

const QString kDone = "搜索完毕，数据已上传";
const QString kBusy = "正在上传历史数据，请稍候";
const QString kAskExit = "正在上传历史数据，确定要退出吗？";

// One entry of a list reply as the instrument sends it.
struct ListEntry {
    int year, month, day, line, group, phase;
};

// The payload of a list reply (the bytes after the reply code), with a count that may claim
// more records than follow, and the trailer the instrument ends every block with.
Bytes ListPayload(const std::vector<ListEntry>& entries, int count) {
    Bytes p{static_cast<unsigned char>(count >> 8), static_cast<unsigned char>(count)};
    for (const ListEntry& e : entries)
        p.insert(p.end(),
                 {static_cast<unsigned char>(e.year), static_cast<unsigned char>(e.month),
                  static_cast<unsigned char>(e.day), static_cast<unsigned char>(e.line),
                  static_cast<unsigned char>(e.group), static_cast<unsigned char>(e.phase)});
    p.insert(p.end(), {0xFD, 0xFA});
    return p;
}
Bytes ListPayload(const std::vector<ListEntry>& entries) {
    return ListPayload(entries, static_cast<int>(entries.size()));
}

void PutWord(Bytes& p, int value) {
    p.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
    p.push_back(static_cast<unsigned char>(value & 0xFF));
}

// The payload of a record reply. `claimed` is the point count sent (the points that follow
// may be fewer).
struct RecordFields {
    unsigned char time[6] = {24, 3, 12, 9, 41, 27};
    const char* texts = "TX20240031LIWEI     XINCUN110K";
    int kneeVoltage = 2500, kneeCurrent = 600;
    int testVoltage = 200, testCurrent = 1;
    std::vector<int> currents = {}, voltages = {};
    int claimed = -1;
};

Bytes RecordPayload(const RecordFields& r) {
    Bytes p(r.time, r.time + 6);
    p.insert(p.end(), r.texts, r.texts + 30);
    PutWord(p, r.kneeVoltage);
    PutWord(p, r.kneeCurrent);
    PutWord(p, r.testVoltage);
    p.push_back(static_cast<unsigned char>(r.testCurrent));
    p.push_back(static_cast<unsigned char>(r.claimed >= 0 ? r.claimed : int(r.currents.size())));
    for (int c : r.currents)
        PutWord(p, c);
    for (int v : r.voltages)
        PutWord(p, v);
    p.insert(p.end(), {0xFD, 0xFA});
    return p;
}

QStringList RowTexts(const QTreeWidget* list, int row) {
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c)
        texts << list->topLevelItem(row)->text(c);
    return texts;
}

QStringList Children(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

} // namespace

// The dialog on its own, with the application's record lists: what the replies leave behind.
class SearchReplies : public ::testing::Test {
  protected:
    // The replies decoded as the dispatcher decodes them: the first `length` bytes (all when
    // length < 0), a record by the kind the dialog asked for.
    static tarvex::ReplyBytes Arrived(const Bytes& payload, int length) {
        return tarvex::ReplyBytes(payload).first(length < 0 ? payload.size() : std::size_t(length));
    }
    void List(const Bytes& payload, int length = -1) {
        dlg.OnRecordList(tarvex::DecodeHistoryList(Arrived(payload, length)));
        dlg.ShowListRows();
    }
    void Record(int index, const Bytes& payload, int length = -1) {
        dlg.m_nCurrentIndex = index;
        dlg.OnRecordData(tarvex::DecodeHistoryRecord(Arrived(payload, length), dlg.RecordKind()));
    }

    CTarvexApp app;
    CSearchDlg dlg;
};

TEST_F(SearchReplies, TheListHasItsCaptionColumnsAndFont) {
    EXPECT_EQ(dlg.windowTitle(), "搜索历史数据");
    EXPECT_EQ(app.m_pSearchDlg, &dlg);
    QTreeWidget* list = dlg.m_SearchList;
    ASSERT_EQ(list->columnCount(), 5);
    const QStringList titles{"索引", "日期", "编号", "组号", "相序"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), titles[c]);
        EXPECT_EQ(list->columnWidth(c), 100);
        EXPECT_EQ(list->headerItem()->textAlignment(c), int(Qt::AlignCenter));
    }
    EXPECT_EQ(list->font().pixelSize(), 16);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    // One font object for every list of the run: a second dialog gets the same face and size.
    CSearchDlg second;
    EXPECT_EQ(second.m_SearchList->font(), list->font());
}

TEST_F(SearchReplies, AListShowsOneRowPerRecordAndFillsTheListFields) {
    List(ListPayload({{24, 3, 12, 3, 1, 0}, {24, 3, 2, 255, 9, 1}, {5, 11, 30, 12, 2, 2}}));
    ASSERT_EQ(dlg.m_SearchList->topLevelItemCount(), 3);
    EXPECT_EQ(RowTexts(dlg.m_SearchList, 0), (QStringList{"1", "24-03-12", "3", "1", "A"}));
    EXPECT_EQ(RowTexts(dlg.m_SearchList, 1), (QStringList{"2", "24-03-02", "255", "9", "B"}));
    EXPECT_EQ(RowTexts(dlg.m_SearchList, 2), (QStringList{"3", "05-11-30", "12", "2", "C"}));
    EXPECT_EQ(dlg.m_SearchList->topLevelItem(1)->textAlignment(4), int(Qt::AlignCenter));
    ASSERT_EQ(app.m_CTRecords.size(), 3);
    EXPECT_TRUE(app.m_PTRecords.isEmpty());
    const tagTESTRECORD& second = app.m_CTRecords[1];
    EXPECT_EQ(second.strDate, "24-03-02");
    EXPECT_EQ(second.byLineNo, 255);
    EXPECT_EQ(second.byGroupNo, 9);
    EXPECT_EQ(second.byPhase, 0x0B);
    EXPECT_TRUE(second.strTestTime.isEmpty());
    EXPECT_TRUE(second.arrCurrent.isEmpty());
}

TEST_F(SearchReplies, APtListFillsThePtRecords) {
    dlg.m_nRecordKind = 1;
    List(ListPayload({{23, 11, 20, 7, 1, 2}}));
    ASSERT_EQ(app.m_PTRecords.size(), 1);
    EXPECT_TRUE(app.m_CTRecords.isEmpty());
    EXPECT_EQ(app.m_PTRecords[0].byPhase, 0x0C);
}

TEST_F(SearchReplies, ACountOfNoneEmptiesTheListAndKeepsTheRecords) {
    for (int count : {0, -1, -32768}) {
        List(ListPayload({{24, 3, 12, 3, 1, 0}, {24, 3, 13, 4, 2, 1}}));
        Record(0, RecordPayload({.currents = {100}, .voltages = {1000}}));
        List(ListPayload({{1, 1, 1, 1, 1, 1}}, count));
        EXPECT_EQ(dlg.m_SearchList->topLevelItemCount(), 0) << count;
        ASSERT_EQ(app.m_CTRecords.size(), 2) << count;
        EXPECT_EQ(app.m_CTRecords[0].strDate, "24-03-12") << count;
        EXPECT_EQ(app.m_CTRecords[0].arrCurrent.size(), 1) << count;
    }
}

TEST_F(SearchReplies, AShorterListLeavesTheLaterRecordsAndShowsItsOwnRows) {
    List(ListPayload({{24, 1, 1, 1, 1, 0},
                      {24, 1, 2, 2, 1, 0},
                      {24, 1, 3, 3, 1, 0},
                      {24, 1, 4, 4, 1, 1},
                      {24, 1, 5, 5, 1, 2}}));
    Record(1, RecordPayload({.currents = {100, 200}, .voltages = {500, 1000}}));
    List(ListPayload({{25, 2, 1, 9, 8, 2}, {25, 2, 2, 8, 7, 1}, {25, 2, 3, 7, 6, 0}}));

    EXPECT_EQ(dlg.m_SearchList->topLevelItemCount(), 3);
    ASSERT_EQ(app.m_CTRecords.size(), 5);
    // The list fields of the first three are replaced, the record's own fields stay.
    EXPECT_EQ(app.m_CTRecords[1].strDate, "25-02-02");
    EXPECT_EQ(app.m_CTRecords[1].byLineNo, 8);
    EXPECT_EQ(app.m_CTRecords[1].byGroupNo, 7);
    EXPECT_EQ(app.m_CTRecords[1].byPhase, 0x0B);
    EXPECT_EQ(app.m_CTRecords[1].arrVoltage, (QList<float>{50.0f, 100.0f}));
    EXPECT_FLOAT_EQ(app.m_CTRecords[1].fKneeVoltage, 100.0f);
    // Records 4 and 5 are as the longer list left them.
    EXPECT_EQ(app.m_CTRecords[3].strDate, "24-01-04");
    EXPECT_EQ(app.m_CTRecords[4].strDate, "24-01-05");
    EXPECT_EQ(app.m_CTRecords[4].byPhase, 0x0C);
}

TEST_F(SearchReplies, PhaseCodesGiveLettersAndAnUnknownCodeRepeatsThePreviousOne) {
    struct Case {
        std::vector<int> codes;
        QStringList letters;
        std::vector<int> stored;
    };
    const Case cases[] = {
        {{0, 1, 2}, {"A", "B", "C"}, {0x0A, 0x0B, 0x0C}},
        {{1, 7, 0, 255}, {"B", "B", "A", "A"}, {0x0B, 0x0B, 0x0A, 0x0A}},
        // The first record has no previous one: its own code plus 10, like the known codes.
        {{3, 9, 2}, {"D", "D", "C"}, {0x0D, 0x0D, 0x0C}},
        {{5}, {"F"}, {0x0F}},
        {{250, 1}, {"104", "B"}, {0x104, 0x0B}}, // the sum, not a byte that wrapped
    };
    for (const Case& c : cases) {
        app.m_CTRecords.clear();
        std::vector<ListEntry> entries;
        for (int code : c.codes)
            entries.push_back({24, 1, 1, 1, 1, code});
        List(ListPayload(entries));
        ASSERT_EQ(dlg.m_SearchList->topLevelItemCount(), int(c.codes.size()));
        for (int i = 0; i < int(c.codes.size()); ++i) {
            EXPECT_EQ(dlg.m_SearchList->topLevelItem(i)->text(4), c.letters[i]) << i;
            EXPECT_EQ(app.m_CTRecords[i].byPhase, c.stored[i]) << i;
        }
    }
}

TEST_F(SearchReplies, AListCountPastTheBytesThatArrivedIsCutToThem) {
    const std::vector<ListEntry> two{{24, 1, 1, 1, 1, 0}, {24, 1, 2, 2, 2, 1}};
    struct Case {
        int count;
        int length; // -1: the whole payload
        int rows;
    };
    const Case cases[] = {
        {5, -1, 2},     // five claimed, two sent
        {32767, -1, 2}, // the largest count
        {2, 13, 1},     // the second entry arrived only in part
        {2, 2, 0},      // only the count arrived
        {2, 1, 0},      // not even the count
    };
    for (const Case& c : cases) {
        app.m_CTRecords.clear();
        const Bytes payload = ListPayload(two, c.count);
        List(payload, c.length);
        EXPECT_EQ(dlg.m_SearchList->topLevelItemCount(), c.rows) << c.count << "/" << c.length;
        EXPECT_EQ(app.m_CTRecords.size(), c.rows) << c.count << "/" << c.length;
    }
}

TEST_F(SearchReplies, ARecordReplyFillsTheRecordsOwnFieldsOnly) {
    List(ListPayload({{24, 3, 12, 3, 1, 0}, {24, 3, 13, 4, 2, 1}}));
    RecordFields fields;
    fields.testVoltage = 1500;
    fields.testCurrent = 5;
    fields.currents = {46, 1250};
    fields.voltages = {1003, 1500};
    Record(1, RecordPayload(fields));

    const tagTESTRECORD& rec = app.m_CTRecords[1];
    EXPECT_EQ(rec.strTestTime, "24-03-12 09:41:27");
    EXPECT_EQ(rec.strText1, "TX20240031");
    EXPECT_EQ(rec.strText2, "LIWEI     ");
    EXPECT_EQ(rec.strText3, "XINCUN110K");
    EXPECT_EQ(rec.nTestVoltage, 1500);
    EXPECT_EQ(rec.nTestCurrent, 5);
    EXPECT_EQ(rec.arrCurrent, (QList<float>{0.046f, 1.25f}));
    EXPECT_EQ(rec.arrVoltage, (QList<float>{100.0f, 150.0f}));
    // The list's fields and the other record are untouched.
    EXPECT_EQ(rec.strDate, "24-03-13");
    EXPECT_EQ(rec.byLineNo, 4);
    EXPECT_EQ(rec.byGroupNo, 2);
    EXPECT_EQ(rec.byPhase, 0x0B);
    EXPECT_TRUE(app.m_CTRecords[0].strTestTime.isEmpty());
}

TEST_F(SearchReplies, CtKneeValuesAreScaledAndPtKneeValuesStoredAsSent) {
    struct Case {
        int kind, kneeVoltage, kneeCurrent;
        float volts, amperes;
    };
    const Case cases[] = {
        {0, 2500, 600, 100.0f, 1.0f},   {1, 2500, 600, 2500.0f, 600.0f},
        {0, 65535, 30, 2621.4f, 0.05f}, {1, 65535, 30, 65535.0f, 30.0f},
        {0, 0, 0, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        dlg.m_nRecordKind = c.kind;
        List(ListPayload({{24, 1, 1, 1, 1, 0}}));
        RecordFields fields;
        fields.kneeVoltage = c.kneeVoltage;
        fields.kneeCurrent = c.kneeCurrent;
        Record(0, RecordPayload(fields));
        const tagTESTRECORD& rec = (c.kind ? app.m_PTRecords : app.m_CTRecords)[0];
        EXPECT_FLOAT_EQ(rec.fKneeVoltage, c.volts) << c.kind << " " << c.kneeVoltage;
        EXPECT_FLOAT_EQ(rec.fKneeCurrent, c.amperes) << c.kind << " " << c.kneeCurrent;
    }
}

TEST_F(SearchReplies, CtVoltageSamplesAreCutToHalfVoltsTowardZeroAndPtSamplesAreNot) {
    struct Case {
        int kind, current, voltage;
        float amperes, volts;
    };
    const Case cases[] = {
        {0, 1500, 1234, 1.5f, 123.0f},
        {0, -250, -1234, -0.25f, -123.0f},
        {0, 0, 1235, 0.0f, 123.5f},
        {0, 1, -7, 0.001f, -0.5f},
        {0, 32767, -32768, 32.767f, -3276.5f},
        {1, 1500, 1234, 1.5f, 123.4f},
        {1, -250, -1234, -0.25f, -123.4f},
        {1, 0, -7, 0.0f, -0.7f},
    };
    for (const Case& c : cases) {
        dlg.m_nRecordKind = c.kind;
        List(ListPayload({{24, 1, 1, 1, 1, 0}}));
        RecordFields fields;
        fields.currents = {c.current};
        fields.voltages = {c.voltage};
        Record(0, RecordPayload(fields));
        const tagTESTRECORD& rec = (c.kind ? app.m_PTRecords : app.m_CTRecords)[0];
        ASSERT_EQ(rec.arrCurrent.size(), 1);
        EXPECT_FLOAT_EQ(rec.arrCurrent[0], c.amperes) << c.kind << " " << c.current;
        EXPECT_FLOAT_EQ(rec.arrVoltage[0], c.volts) << c.kind << " " << c.voltage;
    }
}

TEST_F(SearchReplies, NoPointsEmptyBothListsOfARecordThatHadSome) {
    List(ListPayload({{24, 1, 1, 1, 1, 0}}));
    Record(0, RecordPayload({.currents = {10, 20, 30}, .voltages = {100, 200, 300}}));
    ASSERT_EQ(app.m_CTRecords[0].arrCurrent.size(), 3);
    Record(0, RecordPayload({.testVoltage = 400}));
    EXPECT_TRUE(app.m_CTRecords[0].arrCurrent.isEmpty());
    EXPECT_TRUE(app.m_CTRecords[0].arrVoltage.isEmpty());
    EXPECT_EQ(app.m_CTRecords[0].nTestVoltage, 400);
}

TEST_F(SearchReplies, APointCountPastTheBytesThatArrivedIsCutToThePointsThatDid) {
    List(ListPayload({{24, 1, 1, 1, 1, 0}}));
    // Three points claimed, three currents and two voltages sent: the voltages start after the
    // three currents, and the third point, whose voltage did not come, is left out.
    Bytes cut = RecordPayload({.currents = {100, 200, 300}, .voltages = {1000, 2000, 3000}});
    cut.resize(cut.size() - 4); // the trailer and the last voltage
    Record(0, cut);
    EXPECT_EQ(app.m_CTRecords[0].arrCurrent, (QList<float>{0.1f, 0.2f}));
    EXPECT_EQ(app.m_CTRecords[0].arrVoltage, (QList<float>{100.0f, 200.0f}));
    // Five claimed, two of each sent: no voltage of the claimed layout arrived.
    Record(0, RecordPayload({.currents = {100, 200}, .voltages = {1000, 2000}, .claimed = 5}));
    EXPECT_TRUE(app.m_CTRecords[0].arrCurrent.isEmpty());

    // 255 claimed and nothing after the head.
    Record(0, RecordPayload({.claimed = 255}));
    EXPECT_TRUE(app.m_CTRecords[0].arrCurrent.isEmpty());
}

TEST_F(SearchReplies, AShortRecordReplyOrOneWithoutItsRecordChangesNothing) {
    List(ListPayload({{24, 1, 1, 1, 1, 0}}));
    const Bytes full = RecordPayload({.kneeVoltage = 250, .currents = {100}, .voltages = {500}});
    Record(0, full);
    const Bytes other = RecordPayload({.kneeVoltage = 5000, .testVoltage = 9});
    Record(0, other, 43); // one byte short of the head
    Record(1, other);     // no record 2 in the list
    Record(-1, other);
    ASSERT_EQ(app.m_CTRecords.size(), 1);
    EXPECT_FLOAT_EQ(app.m_CTRecords[0].fKneeVoltage, 10.0f);
    EXPECT_EQ(app.m_CTRecords[0].nTestVoltage, 200);
    EXPECT_EQ(app.m_CTRecords[0].arrCurrent.size(), 1);
}

TEST_F(SearchReplies, TheProgressTextCyclesThroughOneTwoAndThreeDots) {
    const QString one = "正在搜索，请等待·";
    const QStringList expected{one, one + "·", one + "··", one, one + "·"};
    for (const QString& text : expected) {
        dlg.OnTimer();
        EXPECT_EQ(dlg.m_StatusText->text(), text);
    }
}

TEST_F(SearchReplies, ExitHidesTheDialogAndOkWithoutARowEndsAtOnce) {
    dlg.show();
    List(ListPayload({{24, 1, 1, 1, 1, 0}}));
    dlg.m_btnOK->click();
    EXPECT_FALSE(dlg.IsUploading());
    EXPECT_EQ(dlg.m_StatusText->text(), kDone);
    EXPECT_TRUE(dlg.m_btnOK->isEnabled());
    EXPECT_TRUE(dlg.m_btnExit->isEnabled());
    EXPECT_TRUE(dlg.isVisible()); // the dialog stays open
    dlg.m_btnExit->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.m_SearchList->topLevelItemCount(), 1); // hidden, not reset
}

// The real main window on the virtual clock, COM1 opened on the simulated instrument, connected.
class SearchUpload : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.m_pMainWnd;
        link = app.m_pLink;
        dlg = frame->m_pSearchDlg;
        ASSERT_TRUE(link->IsOpen());
        frame->OnConnect();
        ASSERT_EQ(link->m_bConnected, 1);
        boxes.clear();
    }
    void TearDown() override {
        if (dlg && dlg->IsUploading() && frame)
            frame->close();
    }

    // The search command, answering the CT/PT choice as the operator would.
    void Search(bool pt) {
        QTimer::singleShot(0, [pt] {
            QWidget* choice = QApplication::activeModalWidget();
            ASSERT_TRUE(choice);
            if (pt)
                choice->findChild<QRadioButton*>("id1012")->click();
            choice->findChild<QPushButton*>("id1")->click();
        });
        frame->OnSearch();
    }
    // Selects the rows (zero-based), presses "确定" and serves the worker until it has ended.
    void Upload(const std::vector<int>& rows) {
        dlg->m_SearchList->clearSelection();
        for (int row : rows)
            dlg->m_SearchList->topLevelItem(row)->setSelected(true);
        dlg->m_btnOK->click();
        WaitWhileUploading();
    }
    void WaitWhileUploading() {
        QElapsedTimer elapsed;
        elapsed.start();
        while (dlg->IsUploading() && elapsed.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        ASSERT_FALSE(dlg->IsUploading());
    }
    // Runs `act` on the GUI thread the first time the upload adds a tree child (the worker
    // is then waiting for the GUI thread, in the middle of its upload).
    void DuringUpload(std::function<void()> act) {
        auto fired = std::make_shared<bool>(false);
        QObject::connect(
            frame->m_LTree->model(), &QAbstractItemModel::rowsInserted, frame,
            [fired, act] {
                if (*fired)
                    return;
                *fired = true;
                act();
            },
            Qt::DirectConnection); // on whichever thread changes the tree
    }
    std::vector<Bytes> WrittenFrames() {
        std::vector<Bytes> frames;
        for (unsigned char b : port.Written()) {
            if (b == 0xAA || frames.empty())
                frames.emplace_back();
            frames.back().push_back(b);
        }
        port.ClearWritten();
        return frames;
    }
    static Bytes RecordRequest(unsigned char command, int number) {
        return {0xAA,
                0x55,
                command,
                static_cast<unsigned char>(number >> 8),
                static_cast<unsigned char>(number),
                0x0D,
                0x0A};
    }

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    tarvex::MessageBoxRecorder boxes;
    sim::Engine engine;
    sim::ScopedSimPort port{engine};
    CTarvexApp app;
    CMainFrame* frame = nullptr;
    CDeviceLink* link = nullptr;
    CSearchDlg* dlg = nullptr;
};

TEST_F(SearchUpload, TheSearchListsTheInstrumentsCtRecords) {
    Search(false);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->m_nRecordKind, 0);
    ASSERT_EQ(dlg->m_SearchList->topLevelItemCount(), 4);
    EXPECT_EQ(RowTexts(dlg->m_SearchList, 0), (QStringList{"1", "24-03-12", "3", "1", "A"}));
    EXPECT_EQ(RowTexts(dlg->m_SearchList, 3), (QStringList{"4", "24-05-08", "12", "2", "A"}));
    EXPECT_EQ(app.m_CTRecords.size(), 4);
}

TEST_F(SearchUpload, RowsTwoAndThreeThenTwoAgainFetchThoseRecordsAndAddEachChildOnce) {
    Search(false);
    port.ClearWritten();
    const std::int64_t before = clock.SleptMs();
    Upload({1, 2});

    EXPECT_EQ(Children(frame->m_LTree->m_hCTHistory), (QStringList{"2", "3"}));
    EXPECT_TRUE(Children(frame->m_LTree->m_hPTHistory).isEmpty());
    EXPECT_EQ(WrittenFrames(),
              (std::vector<Bytes>{RecordRequest(0xE5, 2), RecordRequest(0xE5, 3)}));
    // Each record: the link's 3 s wait and the 2 s pause.
    EXPECT_GE(clock.SleptMs() - before, 2 * 5000);
    EXPECT_EQ(dlg->m_StatusText->text(), kDone);
    EXPECT_TRUE(dlg->m_btnOK->isEnabled());
    EXPECT_TRUE(dlg->m_btnExit->isEnabled());

    const sim::HistoryRecord stored = engine.Records().Ct()[1];
    const tagTESTRECORD& rec = app.m_CTRecords[1];
    EXPECT_EQ(rec.strTestTime, "24-03-12 10:05:52");
    EXPECT_EQ(rec.strText1, "TX20240031");
    EXPECT_FLOAT_EQ(rec.fKneeVoltage, stored.kneeVoltageRaw / 25.0f);
    EXPECT_FLOAT_EQ(rec.fKneeCurrent, stored.kneeCurrentRaw / 600.0f);
    EXPECT_EQ(rec.nTestVoltage, 200);
    ASSERT_EQ(rec.arrCurrent.size(), qsizetype(stored.currents.size()));
    for (qsizetype j = 0; j < rec.arrVoltage.size(); ++j) {
        const float sent = stored.voltages[j] / 10.0f;
        EXPECT_FLOAT_EQ(rec.arrCurrent[j], stored.currents[j] / 1000.0f);
        EXPECT_LE(std::abs(rec.arrVoltage[j]), std::abs(sent) + 1e-4f); // cut toward zero
        EXPECT_GT(std::abs(rec.arrVoltage[j]), std::abs(sent) - 0.5f);
        EXPECT_FLOAT_EQ(rec.arrVoltage[j] * 2, std::round(rec.arrVoltage[j] * 2));
    }
    EXPECT_TRUE(app.m_CTRecords[0].strTestTime.isEmpty()); // row 1 was not selected
    EXPECT_FALSE(app.m_CTRecords[2].strTestTime.isEmpty());

    // Row 2 again: the record is fetched afresh, the tree gets no second "2".
    app.m_CTRecords[1].arrCurrent.clear();
    app.m_CTRecords[1].fKneeVoltage = -1;
    Upload({1});
    EXPECT_EQ(Children(frame->m_LTree->m_hCTHistory), (QStringList{"2", "3"}));
    EXPECT_EQ(WrittenFrames(), (std::vector<Bytes>{RecordRequest(0xE5, 2)}));
    EXPECT_FLOAT_EQ(app.m_CTRecords[1].fKneeVoltage, stored.kneeVoltageRaw / 25.0f);
    EXPECT_EQ(app.m_CTRecords[1].arrCurrent.size(), qsizetype(stored.currents.size()));
}

// Each record fetched is in the archive once, as the record list holds it, with its reply.
TEST_F(SearchUpload, AnUploadRecordsEachRecordOnce) {
    Search(true);
    CResultArchive& archive = app.m_pRecorder->Archive();
    const qsizetype before = archive.Recent(0).size();
    Upload({0, 2});
    const QList<ArchivedResult> rows = archive.Recent(0);
    ASSERT_EQ(rows.size() - before, 2);
    for (int i = 0; i < 2; ++i) {
        const ArchivedResult& row = rows[1 - i]; // newest first
        const int index = i * 2;
        const tagTESTRECORD& rec = app.m_PTRecords[index];
        EXPECT_EQ(row.testKind, 4);
        EXPECT_EQ(row.source, ResultSource::UploadedRecord);
        EXPECT_EQ(row.parameters["recordNo"].toInt(), index + 1);
        EXPECT_EQ(row.line, QString::number(rec.byLineNo));
        EXPECT_EQ(row.phase, QString::asprintf("%X", rec.byPhase));
        EXPECT_EQ(row.recordTestTime.toLocalTime().toString("yy-MM-dd HH:mm:ss"), rec.strTestTime);
        EXPECT_EQ(row.rawReply.left(3), QByteArray("\x55\xAA\xE7", 3));
        const auto value = ArchivedValue(row);
        ASSERT_TRUE(value && std::holds_alternative<tarvex::ExcitationReply>(*value));
        EXPECT_EQ(std::get<tarvex::ExcitationReply>(*value).points.size(),
                  std::size_t(rec.arrCurrent.size()));
    }
    // Showing an uploaded record in the tree records nothing again.
    frame->m_LTree->setCurrentItem(frame->m_LTree->m_hPTHistory->child(0));
    EXPECT_EQ(archive.Recent(0).size(), rows.size());
}

TEST_F(SearchUpload, PtRecordsComeUnderThePtNodeWithTheirKneeAsSent) {
    Search(true);
    ASSERT_EQ(dlg->m_SearchList->topLevelItemCount(), 3);
    port.ClearWritten();
    Upload({0, 1, 2});
    EXPECT_EQ(Children(frame->m_LTree->m_hPTHistory), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(Children(frame->m_LTree->m_hCTHistory).isEmpty());
    EXPECT_EQ(WrittenFrames(), (std::vector<Bytes>{RecordRequest(0xE7, 1), RecordRequest(0xE7, 2),
                                                   RecordRequest(0xE7, 3)}));
    ASSERT_EQ(app.m_PTRecords.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const sim::HistoryRecord stored = engine.Records().Pt()[i];
        const tagTESTRECORD& rec = app.m_PTRecords[i];
        EXPECT_FLOAT_EQ(rec.fKneeVoltage, float(stored.kneeVoltageRaw)) << i;
        EXPECT_FLOAT_EQ(rec.fKneeCurrent, float(stored.kneeCurrentRaw)) << i;
        ASSERT_EQ(rec.arrVoltage.size(), qsizetype(stored.voltages.size())) << i;
        for (qsizetype j = 0; j < rec.arrVoltage.size(); ++j)
            EXPECT_FLOAT_EQ(rec.arrVoltage[j], float(stored.voltages[j] / 10.0)) << i << " " << j;
    }
    EXPECT_EQ(app.m_PTRecords[2].strDate, "24-06-02");
    EXPECT_EQ(app.m_PTRecords[2].byPhase, 0x0C);
    EXPECT_TRUE(app.m_CTRecords.isEmpty());
}

TEST_F(SearchUpload, OkWithNoRowSelectedSendsNothing) {
    Search(false);
    port.ClearWritten();
    dlg->m_SearchList->clearSelection();
    dlg->m_btnOK->click();
    EXPECT_FALSE(dlg->IsUploading());
    EXPECT_EQ(dlg->m_StatusText->text(), kDone);
    QCoreApplication::processEvents();
    EXPECT_TRUE(port.Written().empty());
    EXPECT_EQ(frame->m_LTree->m_hCTHistory->childCount(), 0);
}

TEST_F(SearchUpload, TheWorkerLeavesWidgetsToTheGuiThreadWhileItRuns) {
    Search(false);
    bool checked = false;
    DuringUpload([&] {
        checked = true;
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        EXPECT_TRUE(dlg->IsUploading());
        EXPECT_FALSE(dlg->m_btnOK->isEnabled());
        EXPECT_FALSE(dlg->m_btnExit->isEnabled());
        auto* timer = dlg->findChild<QTimer*>();
        ASSERT_TRUE(timer);
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 200);
    });
    Upload({0, 3});
    EXPECT_TRUE(checked);
    EXPECT_FALSE(dlg->findChild<QTimer*>()->isActive());
    EXPECT_EQ(Children(frame->m_LTree->m_hCTHistory), (QStringList{"1", "4"}));
}

TEST_F(SearchUpload, ATestStartDuringTheUploadIsRefusedAndSendsNothing) {
    Search(false);
    port.ClearWritten();
    DuringUpload([&] {
        app.m_pIVADlg->OnStart();
        app.m_pUVADlg->OnStart();
        app.m_pDZDlg->OnStart();
    });
    Upload({0});
    EXPECT_EQ(boxes.texts(), (QStringList{kBusy, kBusy, kBusy}));
    EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
    EXPECT_EQ(boxes.calls()[0].style, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(WrittenFrames(), (std::vector<Bytes>{RecordRequest(0xE5, 1)}));
}

TEST_F(SearchUpload, TheTestChosenInTheTreeDuringTheUploadIsSentWhenItEnds) {
    Search(false);
    port.ClearWritten();
    std::vector<Bytes> sentMeanwhile;
    DuringUpload([&] {
        frame->m_LTree->SelectTest(4);
        sentMeanwhile = WrittenFrames();
    });
    Upload({0, 1});
    EXPECT_TRUE(sentMeanwhile.empty());
    EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, 4); // the page follows at once
    // The kind follows the last record request, after the upload has let go of the link.
    EXPECT_EQ(WrittenFrames(), (std::vector<Bytes>{RecordRequest(0xE5, 1), RecordRequest(0xE5, 2),
                                                   Bytes{0xAA, 0x55, 0xEC, 0x1F, 0x0D, 0x0A}}));
    EXPECT_EQ(engine.TestKind(), 0x1F);

    // Without a choice meanwhile, the end of an upload sends nothing of its own.
    Upload({2});
    EXPECT_EQ(WrittenFrames(), (std::vector<Bytes>{RecordRequest(0xE5, 3)}));
}

TEST_F(SearchUpload, ClosingTheWindowDuringTheUploadStopsItAndClosesThePort) {
    Search(false);
    port.ClearWritten();
    // Closed from the event loop, as the operator's click arrives, while record 1 is fetched.
    DuringUpload([&] { QTimer::singleShot(0, frame, [this] { frame->close(); }); });
    dlg->m_SearchList->selectAll();
    dlg->m_btnOK->click();
    QElapsedTimer elapsed;
    elapsed.start();
    while (link->IsOpen() && elapsed.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);

    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(port.Device(), nullptr);
    EXPECT_FALSE(dlg->IsUploading());
    EXPECT_TRUE(dlg->m_btnOK->isEnabled());
    EXPECT_FALSE(dlg->findChild<QTimer*>()->isActive());
    // The worker stops after the step it was in: record 1 may or may not have been asked for
    // (that depends on when the worker thread next runs), nothing after it was, and the link
    // said goodbye last.
    std::vector<Bytes> frames = WrittenFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (Bytes{0xAA, 0x55, 0xD1, 0x0D, 0x0A}));
    frames.pop_back();
    EXPECT_LE(frames.size(), 1u);
    if (!frames.empty()) {
        EXPECT_EQ(frames[0], RecordRequest(0xE5, 1));
        EXPECT_FALSE(app.m_CTRecords[0].strTestTime.isEmpty()); // its reply was served
    }
    EXPECT_EQ(Children(frame->m_LTree->m_hCTHistory), QStringList{"1"});
    EXPECT_EQ(boxes.texts(), QStringList{kAskExit});
}

// "否" keeps the window and lets the upload run to its end.
TEST_F(SearchUpload, ClosingDuringTheUploadAsksFirstAndNoLetsItFinish) {
    Search(false);
    boxes.setAnswer(IDNO);
    bool closed = true;
    DuringUpload([&] { QTimer::singleShot(0, frame, [&] { closed = frame->close(); }); });
    Upload({0, 1});
    EXPECT_FALSE(closed);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(link->IsOpen());
    EXPECT_EQ(Children(frame->m_LTree->m_hCTHistory), (QStringList{"1", "2"}));
    EXPECT_EQ(dlg->GetDlgItemText(1022), kDone);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, kAskExit);
    EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
    EXPECT_EQ(boxes.calls()[0].style & MB_TYPEMASK, MB_YESNO);
}

// The message pane names the uploaded record on the page in front, in live mode too, until a
// new result replaces it.
TEST_F(SearchUpload, TheMessagePaneNamesTheRecordOnShowUntilANewResultReplacesIt) {
    Search(false);
    Upload({1});
    const QString note = "历史记录 2  测试时间：" + app.m_CTRecords[1].strTestTime;
    auto paneSays = [this](const QString& text) {
        return QTest::qWaitFor([&] { return frame->MessagePaneText() == text; }, 5000);
    };
    CLTree* tree = frame->m_LTree;
    tree->setCurrentItem(tree->m_hCTHistory->child(0));
    EXPECT_TRUE(paneSays(note));
    tree->SelectTest(0);
    EXPECT_TRUE(paneSays(note));
    tree->SelectTest(1);
    EXPECT_TRUE(paneSays("就绪"));
    tree->SelectTest(0);
    EXPECT_TRUE(paneSays(note));
    QTest::mouseClick(app.m_pIVADlg->findChild<QPushButton*>("id1009"), Qt::LeftButton);
    EXPECT_TRUE(app.m_pIVADlg->m_bResultArrived);
    EXPECT_TRUE(paneSays("就绪"));
}

TEST_F(SearchUpload, ACountPastTheBytesSentIsCutThroughTheDispatcher) {
    dlg->m_nRecordKind = 0;
    const std::vector<sim::HistoryRecord> records = engine.Records().Ct();
    const std::vector<std::uint8_t> block =
        sim::EncodeHistoryList(0xE4, {records[0], records[1]}, 40);
    std::memcpy(g_RxBuf, block.data(), block.size());
    g_RxLen = static_cast<std::int16_t>(block.size());
    frame->OnDeviceReply({g_RxBuf, static_cast<std::size_t>(g_RxLen)});
    QCoreApplication::processEvents(); // the list view is built once the dispatch is over
    EXPECT_EQ(dlg->m_SearchList->topLevelItemCount(), 2);
    EXPECT_EQ(app.m_CTRecords.size(), 2);

    dlg->m_nCurrentIndex = 1;
    const std::vector<std::uint8_t> record = sim::EncodeHistoryRecord(0xE5, records[1], 7);
    std::memcpy(g_RxBuf, record.data(), record.size());
    g_RxLen = static_cast<std::int16_t>(record.size());
    frame->OnDeviceReply({g_RxBuf, static_cast<std::size_t>(g_RxLen)});
    // Seven points more claimed than sent: the voltage block of the claimed count starts seven
    // words later, so seven points fewer have both their words.
    const qsizetype sent = qsizetype(records[1].currents.size());
    ASSERT_EQ(record[3 + 43], sent + 7);
    ASSERT_EQ(app.m_CTRecords[1].arrCurrent.size(), sent - 7);
    for (qsizetype j = 0; j < sent - 7; ++j)
        EXPECT_FLOAT_EQ(app.m_CTRecords[1].arrCurrent[j], records[1].currents[j] / 1000.0f);
}

// Enough stored records for the numbers 7 (CT) and 12 (PT).
class SearchUploadMany : public SearchUpload {
  protected:
    void SetUp() override {
        sim::RecordStore store = sim::RecordStore::Default();
        for (std::size_t i = store.Ct().size(); i < 7; ++i) {
            sim::HistoryRecord r = store.Ct()[i % 4];
            r.day = int(i) + 1;
            store.Ct().push_back(r);
        }
        for (std::size_t i = store.Pt().size(); i < 12; ++i) {
            sim::HistoryRecord r = store.Pt()[i % 3];
            r.day = int(i) + 1;
            store.Pt().push_back(r);
        }
        engine.SetRecords(store);
        SearchUpload::SetUp();
    }
};

TEST_F(SearchUploadMany, AnUploadedRecordChosenInTheTreeShowsOnItsExcitationPage) {
    struct Case {
        bool pt;
        int row;
        const char* date;
        const char* saveName;
    };
    const Case cases[] = {{false, 6, "24-03-07", "CT007"}, {true, 11, "24-06-12", "PT012"}};
    for (const Case& c : cases) {
        Search(c.pt);
        Upload({c.row});
        CLTree* tree = frame->m_LTree;
        QTreeWidgetItem* node = c.pt ? tree->m_hPTHistory : tree->m_hCTHistory;
        ASSERT_EQ(node->childCount(), 1) << c.saveName;
        tree->setCurrentItem(node->child(0));

        CExcitationPage* page = c.pt ? static_cast<CExcitationPage*>(app.m_pUVADlg)
                                     : static_cast<CExcitationPage*>(app.m_pIVADlg);
        const tagTESTRECORD& rec = (c.pt ? app.m_PTRecords : app.m_CTRecords)[c.row];
        EXPECT_EQ(frame->m_TabCtrl->m_tabCurrent, c.pt ? 4 : 0);
        EXPECT_EQ(page->m_bHistoryMode, 1);
        EXPECT_EQ(page->GetDlgItemText(1032), QString::number(c.row + 1));
        EXPECT_EQ(page->GetDlgItemText(1011), c.date);
        page->BuildResultText();
        EXPECT_TRUE(app.m_strReport.startsWith("测试时间：" + rec.strTestTime + "\r\n"));
        EXPECT_FLOAT_EQ(page->m_fKneeVoltage, rec.fKneeVoltage);
        EXPECT_EQ(page->m_Points.size(), std::size_t(rec.arrCurrent.size()));
        EXPECT_FALSE(rec.arrCurrent.isEmpty());
        EXPECT_EQ(frame->m_nReportKind, c.pt ? 1 : 0);
        EXPECT_EQ(tree->SuggestedSaveName(), c.saveName);
    }
}

// Record 1 answers after its wait, record 2 not at all: record 2 must not take record 1's
// reply, and the operator is told that a record went unanswered.
TEST_F(SearchUploadMany, ALateRecordReplyIsThrownAwayNotTakenByTheNextRecord) {
    Search(false);
    sim::FaultSettings late;
    late.lateMarginMs = 1000; // during the pause before the next request
    engine.SetFaultSettings(late);
    engine.SetFaults({{sim::Fault::LateReply, {0xE5}, 1}, {sim::Fault::NoReply, {0xE5}, 1}});
    Upload({0, 1, 2, 3});
    const auto stored = engine.Records().Ct();
    EXPECT_TRUE(app.m_CTRecords[0].arrCurrent.isEmpty());
    EXPECT_TRUE(app.m_CTRecords[1].arrCurrent.isEmpty());
    EXPECT_TRUE(app.m_CTRecords[1].strTestTime.isEmpty());
    for (int row : {2, 3}) {
        EXPECT_EQ(app.m_CTRecords[row].arrCurrent.size(), qsizetype(stored[row].currents.size()));
        EXPECT_FLOAT_EQ(app.m_CTRecords[row].fKneeVoltage, stored[row].kneeVoltageRaw / 25.0f);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->MessagePaneText() == "仪器无应答"; }, 2000));
}

// 1400 records do not fit in what one read holds: the operator is told, no half list is shown.
TEST_F(SearchUpload, AListTooLongToBeReadWholeIsReportedNotShownEmptyInSilence) {
    sim::RecordStore store = sim::RecordStore::Default();
    while (store.Ct().size() < 1400)
        store.Ct().push_back(store.Ct()[0]);
    engine.SetRecords(store);
    Search(false);
    EXPECT_EQ(dlg->m_SearchList->topLevelItemCount(), 0);
    EXPECT_EQ(boxes.texts(), QStringList{"历史数据记录过多，列表无法完整读取"});
}
