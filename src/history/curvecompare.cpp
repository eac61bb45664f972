#include "curvecompare.h"

#include "comparechart.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>

namespace {

// A short stretch of the curve's line with its knee cross, as the chart draws them.
QIcon LegendMark(int i) {
    QPixmap mark(32, 16);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(CCompareChart::CurveColour(i), 2, CCompareChart::CurveStyle(i)));
    p.drawLine(1, 8, 31, 8);
    p.setPen(QPen(CCompareChart::CurveColour(i), 2));
    p.drawLine(16, 2, 16, 14);
    return QIcon(mark);
}

QListWidget* Legend(const QList<ComparedCurve>& curves) {
    auto* legend = new QListWidget;
    legend->setObjectName("legend");
    legend->setAccessibleName("图例");
    legend->setSelectionMode(QAbstractItemView::NoSelection);
    legend->setFocusPolicy(Qt::NoFocus);
    legend->setIconSize(QSize(32, 16));
    for (int i = 0; i < curves.size(); ++i) {
        const tarvex::ExcitationReply& curve = curves[i].curve;
        auto* item = new QListWidgetItem(LegendMark(i), curves[i].label, legend);
        item->setToolTip(QString("拐点：%1 V，%2 A")
                             .arg(curve.kneeVoltage, 0, 'g', 6)
                             .arg(curve.kneeCurrent, 0, 'g', 6));
    }
    legend->setFixedWidth(legend->sizeHintForColumn(0) + 2 * legend->frameWidth() + 8);
    return legend;
}

} // namespace

void ShowCurveComparison(QWidget* parent, const QList<ComparedCurve>& curves) {
    auto* window = new QWidget(parent, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName("compareCurves");
    window->setWindowTitle("比较曲线");
    auto* layout = new QHBoxLayout(window);
    layout->addWidget(new CCompareChart(curves), 1);
    layout->addWidget(Legend(curves));
    window->show();
}
