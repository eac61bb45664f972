#include "openfailure.h"

namespace tarvex {

QString OpenFailure::Text() const
{
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
        return ownerPid > 0 ? QString("%1正被其他程序使用（进程 %2）").arg(path).arg(ownerPid)
                            : QString("%1正被其他程序使用").arg(path);
    case Settings:
        return QString("%1不支持波特率 %2bps").arg(path).arg(baud);
    }
    return {};
}

OpenFailure& LastOpenFailure()
{
    thread_local OpenFailure failure;
    return failure;
}

} // namespace tarvex
