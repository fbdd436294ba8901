#include "ui/CommandIds.h"

#include <iterator>

#include "base/Error.h"

namespace ui {

UINT CommandIdRange::Allocate() {
    if (!freed_.empty()) return freed_.extract(freed_.begin()).value();
    if (next_ > last_) throw base::Error(L"No menu command identifier is free");
    return next_++;
}

void CommandIdRange::Free(UINT id) noexcept {
    if (!Contains(id) || id >= next_) return;
    if (id + 1 == next_) {
        --next_;
        // Freed identifiers just below the new end go back to the never-used part.
        while (!freed_.empty() && *freed_.rbegin() + 1 == next_) {
            freed_.erase(std::prev(freed_.end()));
            --next_;
        }
        return;
    }
    freed_.insert(id);
}

CommandIdRange& ProgramCommandIds() {
    static CommandIdRange range(kFirstProgramCommandId, kLastProgramCommandId);
    return range;
}

}  // namespace ui
