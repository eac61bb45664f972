#pragma once
#include <functional>

class QObject;

namespace tarvex {

// A run of changes that the window shows only as a whole. The main frame's dispatcher holds
// one while it hands the frames of a reply block to the pages, so that a block holding the
// same result a thousand times fills a page's list once, not a thousand times.
// While a batch lives, work given to ShowWhenBatchEnds waits until the outermost batch ends and
// then runs once per owner (an owner's latest work replaces its earlier work; an owner that has
// gone meanwhile is skipped). Without a batch the work runs at once. GUI thread only.
class UpdateBatch {
  public:
    UpdateBatch();
    ~UpdateBatch();
    UpdateBatch(const UpdateBatch&) = delete;
    UpdateBatch& operator=(const UpdateBatch&) = delete;
};

void ShowWhenBatchEnds(QObject* owner, std::function<void()> work);

} // namespace tarvex
