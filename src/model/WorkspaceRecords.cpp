#include "model/WorkspaceRecords.h"

namespace tessane {

void WorkspaceRecords::changed(size_t index) {
    if (index < records_.size()) records_[index].reset();
}

void WorkspaceRecords::replaced(const std::vector<Workspace>& list) {
    std::vector<std::shared_ptr<const Workspace>> kept(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        for (size_t at : {i, i + 1, i - 1}) {  // i - 1 wraps to the largest value when i is 0
            if (at >= records_.size() || !records_[at] || records_[at]->id != list[i].id) continue;
            if (*records_[at] == list[i]) kept[i] = records_[at];
            break;
        }
    }
    records_ = std::move(kept);
}

const std::vector<std::shared_ptr<const Workspace>>& WorkspaceRecords::of(const std::vector<Workspace>& list) {
    records_.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        if (!records_[i]) records_[i] = std::make_shared<const Workspace>(list[i]);
    return records_;
}

}  // namespace tessane
