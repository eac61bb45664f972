#include "updatebatch.h"

#include <QObject>
#include <QPointer>

#include <utility>
#include <vector>

namespace tarvex {
namespace {

struct Pending {
    QPointer<QObject> owner;
    std::function<void()> work;
};

int g_depth = 0;
std::vector<Pending> g_pending;

} // namespace

UpdateBatch::UpdateBatch() {
    ++g_depth;
}

UpdateBatch::~UpdateBatch() {
    if (--g_depth > 0)
        return;
    // Work that runs now sees no batch and so runs anything it hands on at once.
    std::vector<Pending> pending;
    pending.swap(g_pending);
    for (Pending& p : pending) {
        if (p.owner)
            p.work();
    }
}

void ShowWhenBatchEnds(QObject* owner, std::function<void()> work) {
    if (g_depth == 0) {
        work();
        return;
    }
    for (Pending& p : g_pending) {
        if (p.owner == owner) {
            p.work = std::move(work);
            return;
        }
    }
    g_pending.push_back({owner, std::move(work)});
}

} // namespace tarvex
