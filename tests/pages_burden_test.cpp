// The CT and PT secondary-burden pages and the DC resistance page: their one-value replies, the
// unit picture, and what a start sends.
#include "pages/dzdlg.h"
#include "pages/ifhdlg.h"
#include "pages/ufhdlg.h"
#include "res/tarvexres.h"
#include "support/pagebench.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

namespace {

struct ValueCase {
    Bytes payload;
    int length;
    const char* shown;
};

// Both burden pages read the same layout: a signed word in tenths.
const ValueCase kBurdenCases[] = {
    {{0x01, 0xF4}, 2, "50.0"},   {{0xFF, 0xFF}, 2, "-0.1"},    {{0x00, 0x19}, 2, "2.5"},
    {{0x7F, 0xFF}, 2, "3276.7"}, {{0x80, 0x00}, 2, "-3276.8"}, {{0x00, 0x00}, 2, "0.0"},
    {{0x01, 0xF4}, 1, ""},       {{0x01, 0xF4}, 0, ""},
};

template <class Page> class BurdenPage : public ::testing::Test {
  protected:
    PageBench bench;
    Page page;
};

using BurdenPages = ::testing::Types<CIFHDlg, CUFHDlg>;
TYPED_TEST_SUITE(BurdenPage, BurdenPages);

// Hands a reply to a page as the dispatcher does: decoded, and only when its bytes arrived.
void ShowBurden(CBurdenPage& page, const Bytes& payload, int length) {
    if (const auto burden = tarvex::DecodeBurdenReply(Arrived(payload, length)))
        page.ShowBurdenResult(*burden);
}

void ShowResistance(CDZDlg& page, const Bytes& payload, int length = -1) {
    if (const auto resistance = tarvex::DecodeResistanceReply(Arrived(payload, length)))
        page.ShowResistanceResult(*resistance);
}

QImage Picture(const QLabel* label) {
    return label->pixmap().toImage();
}

class ResistancePage : public ::testing::Test {
  protected:
    QImage Unit() const { return Picture(page.findChild<QLabel*>("id1034")); }
    QImage Icon(int id) const { return QPixmap(tarvex::IconPath(id)).toImage(); }

    PageBench bench;
    CDZDlg page;
};

} // namespace

TYPED_TEST(BurdenPage, ResultShowsTenthsWhenBothBytesArrived) {
    for (const ValueCase& c : kBurdenCases) {
        SCOPED_TRACE(c.shown);
        this->page.ClearResults();
        ShowBurden(this->page, c.payload, c.length);
        EXPECT_EQ(this->page.GetDlgItemText(1004), c.shown);
    }
}

TYPED_TEST(BurdenPage, StartEmptiesTheResultAndStartsAfter300Ms) {
    const Bytes payload = {0x01, 0xF4};
    ShowBurden(this->page, payload, 2);
    PageBench::Start(&this->page);
    EXPECT_EQ(this->page.GetDlgItemText(1004), "");
    const std::vector<Bytes> frames = this->bench.Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[1], Frame(0xEB, {}));
    const std::uint8_t command = frames[0][2];
    EXPECT_EQ(this->bench.GapMs(command, 0xEB), 300);
}

TEST(CtBurdenPage, StartSendsRatedSecondaryCurrentWithTheTrailingZero) {
    const struct {
        int radio;
        std::uint8_t amperes;
    } cases[] = {{1012, 5}, {1011, 1}, {1012, 5}};
    PageBench bench;
    CIFHDlg page;
    EXPECT_EQ(bench.app.m_pIFHDlg, &page);
    EXPECT_TRUE(page.IsChecked(1012));
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radio);
        bench.port.ClearWritten();
        page.CheckRadio(c.radio);
        PageBench::Start(&page);
        ASSERT_FALSE(bench.Frames().empty());
        EXPECT_EQ(bench.Frames()[0], (Bytes{0xAA, 0x55, 0xF2, c.amperes, 0x0D, 0x0A, 0x00}));
    }
}

TEST(CtBurdenPage, UnitPictureIsOhm) {
    PageBench bench;
    CIFHDlg page;
    const QImage unit = Picture(page.findChild<QLabel*>("id1034"));
    ASSERT_FALSE(unit.isNull());
    EXPECT_EQ(unit, QPixmap(tarvex::IconPath(168)).toImage());
}

TEST(PtBurdenPage, StartSendsRatedSecondaryIndexWithTheTrailingZero) {
    const struct {
        int index; // -1: as initialised, nothing selected
        std::uint8_t sent;
    } cases[] = {{-1, 0}, {3, 3}, {2, 2}, {1, 1}, {0, 0}};
    PageBench bench;
    CUFHDlg page;
    EXPECT_EQ(bench.app.m_pUFHDlg, &page);
    EXPECT_EQ(page.GetDlgItemText(1014), "100");
    EXPECT_EQ(page.GetSelectedIndex(1014), -1);
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        bench.port.ClearWritten();
        if (c.index >= 0)
            page.SetSelectedIndex(1014, c.index);
        PageBench::Start(&page);
        ASSERT_FALSE(bench.Frames().empty());
        EXPECT_EQ(bench.Frames()[0], (Bytes{0xAA, 0x55, 0xF3, c.sent, 0x0D, 0x0A, 0x00}));
    }
}

TEST_F(ResistancePage, ResultShowsTenthsWithTheUnitPictureOfItsUnitByte) {
    const struct {
        Bytes payload;
        int milliOhmOrOhm; // icon number
        const char* shown;
    } cases[] = {
        {{0x04, 0xD2, 0x01}, 169, "123.4"},  {{0x04, 0xD2, 0x00}, 168, "123.4"},
        {{0x04, 0xD2, 0x02}, 169, "123.4"},  {{0xFF, 0xFF, 0x00}, 168, "-0.1"},
        {{0x7F, 0xFF, 0xFF}, 169, "3276.7"}, {{0x00, 0x00, 0x00}, 168, "0.0"},
    };
    ASSERT_NE(Icon(168), Icon(169));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ShowResistance(page, c.payload);
        EXPECT_EQ(page.GetDlgItemText(1004), c.shown);
        EXPECT_EQ(Unit(), Icon(c.milliOhmOrOhm));
        EXPECT_EQ(page.findChild<QLabel*>("id1034")->accessibleName(),
                  c.milliOhmOrOhm == 169 ? "mΩ" : "Ω");
    }
}

TEST_F(ResistancePage, ShowsMilliohmUntilAResultSetsTheUnit) {
    EXPECT_EQ(bench.app.m_pDZDlg, &page);
    EXPECT_EQ(Unit(), Icon(169));
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
}

TEST_F(ResistancePage, ShortResultShowsNeitherNumberNorUnit) {
    const Bytes ohms = {0x04, 0xD2, 0x00};
    for (const int length : {0, 1, 2}) {
        SCOPED_TRACE(length);
        ShowResistance(page, ohms, length);
        EXPECT_EQ(page.GetDlgItemText(1004), "");
        EXPECT_EQ(Unit(), Icon(169));
    }
}

// The picture goes up before the number, so whoever watches the number sees the right unit.
TEST_F(ResistancePage, UnitPictureIsSetBeforeTheNumber) {
    auto* entry = page.findChild<QLineEdit*>("id1004");
    QImage unitWhenNumberChanged;
    QObject::connect(entry, &QLineEdit::textChanged, [&] { unitWhenNumberChanged = Unit(); });
    const Bytes ohms = {0x04, 0xD2, 0x00};
    ShowResistance(page, ohms);
    EXPECT_EQ(unitWhenNumberChanged, Icon(168));
}

TEST_F(ResistancePage, StartSendsOnlyTheStartAndKeepsTheUnit) {
    const Bytes ohms = {0x04, 0xD2, 0x00};
    ShowResistance(page, ohms);
    PageBench::Start(&page);
    const std::vector<Bytes> frames = bench.Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0], Frame(0xEB, {}));
    for (const Bytes& frame : frames)
        EXPECT_TRUE(frame == Frame(0xEB, {}) || frame == Frame(0xF6, {})) << int(frame[2]);
    EXPECT_EQ(page.GetDlgItemText(1004), "");
    EXPECT_EQ(Unit(), Icon(168));
}
