#include "openfailure.h"

#include <QStringList>

namespace tarvex {
namespace {

// "（进程 123，锁文件 /var/lock/LCK..ttyUSB0）", as much of it as is known.
QString BusyDetail(int ownerPid, const std::string& lockFile) {
    QStringList parts;
    if (ownerPid > 0)
        parts << QString("进程 %1").arg(ownerPid);
    if (!lockFile.empty())
        parts << QString("锁文件 %1").arg(QString::fromStdString(lockFile));
    return parts.isEmpty() ? QString() : "（" + parts.join("，") + "）";
}

} // namespace

QString OpenFailure::Text() const {
    const QString path = QString::fromStdString(device);
    switch (cause) {
    case None:
        return {};
    case NoDevice:
        return "找不到串口设备，请检查连接线和USB转串口适配器";
    case NoPermission:
        return group.empty() ? QString("没有打开%1的权限").arg(path)
                             : QString("没有打开%1的权限，请将当前用户加入 %2 组")
                                   .arg(path, QString::fromStdString(group));
    case Busy:
        return QString("%1正被其他程序使用%2").arg(path, BusyDetail(ownerPid, lockFile));
    case Settings:
        return QString("%1不支持波特率 %2bps").arg(path).arg(baud);
    case Terminal:
        return QString("%1是进程 %2 的控制终端，不是仪器的串口").arg(path).arg(ownerPid);
    }
    return {};
}

OpenFailure& LastOpenFailure() {
    thread_local OpenFailure failure;
    return failure;
}

} // namespace tarvex
