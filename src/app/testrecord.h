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
    float fKneeVoltage = 0; // V
    float fKneeCurrent = 0; // A
    std::int16_t nTestVoltage = 0; // V
    std::int16_t nTestCurrent = 0; // A
    unsigned char byLineNo = 0;
    unsigned char byGroupNo = 0;
    unsigned char byPhase = 0; // 0x0A, 0x0B, 0x0C: "%X" writes A, B, C
    QList<float> arrCurrent;   // A
    QList<float> arrVoltage;   // V, same length and order as arrCurrent
};

using CRecordArray = QList<tagTESTRECORD>;
