#pragma once
#include <QList>
#include <QString>

#include <cstdint>

// One excitation-test record uploaded from the instrument. The list reply fills the date, line,
// group and phase; the record reply fills the rest.
struct tagTESTRECORD {
    QString strDate;     // "%02d-%02d-%02d"
    QString strTestTime; // "%02d-%02d-%02d %02d:%02d:%02d"
    QString strText1;
    QString strText2;
    QString strText3;
    float fKneeVoltage = 0;        // V
    float fKneeCurrent = 0;        // A
    std::int16_t nTestVoltage = 0; // V
    std::int16_t nTestCurrent = 0; // A
    unsigned char byLineNo = 0;
    unsigned char byGroupNo = 0;
    // The phase code plus 10: 0x0A, 0x0B, 0x0C, so that "%X" writes A, B, C. Wider than a byte,
    // as an unknown code (up to 255) keeps its sum: 250 shows "104".
    int byPhase = 0;
    QList<float> arrCurrent; // A
    QList<float> arrVoltage; // V, same length and order as arrCurrent
};

using CRecordArray = QList<tagTESTRECORD>;
