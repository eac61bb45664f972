#pragma once
#include "link/replydecoders.h"

#include <QList>
#include <QString>

class QWidget;

// One excitation curve to compare, with the legend's text for it (the caller writes the time
// and line, group and phase).
struct ComparedCurve {
    QString label;
    tarvex::ExcitationReply curve;
};

// Opens a window "比较曲线" beside `parent` (which keeps working) with the curves overlaid on
// linear axes that hold the largest of them, each in a colour of its own with its knee point
// marked, and a legend of their labels. The window deletes itself when closed. GUI thread.
void ShowCurveComparison(QWidget* parent, const QList<ComparedCurve>& curves);
