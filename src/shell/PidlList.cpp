#include "shell/PidlList.h"

#include <algorithm>
#include <cstring>

#include "shell/Pidl.h"
#include "base/Error.h"

TPTPidlList::~TPTPidlList() { Clear(); }

int TPTPidlList::Add(ITEMIDLIST* pidl) { return AddObject(pidl, nullptr); }

int TPTPidlList::AddObject(ITEMIDLIST* pidl, void* object) {
    int index = Count();
    if (sorted_ && Find(pidl, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) throw base::Error(L"TPTPidlList: Duplicate PIDL");
    }
    entries_.insert(entries_.begin() + index, Entry{pidl, object});
    return index;
}

void TPTPidlList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw base::Error(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

const TPTPidlList::Entry& TPTPidlList::At(int index) const {
    CheckIndex(index);
    return entries_[index];
}

void TPTPidlList::SetCapacity(int capacity) {
    if (capacity < Count())
        throw base::Error(L"List capacity out of bounds (" + std::to_wstring(capacity) + L")");
    if (capacity == Capacity()) return;
    std::vector<Entry> resized;
    resized.reserve(capacity);
    resized.assign(entries_.begin(), entries_.end());
    entries_.swap(resized);
}

int TPTPidlList::IndexOf(const ITEMIDLIST* pidl) const {
    if (sorted_) {
        int index = 0;
        return Find(pidl, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(entries_[i].pidl, pidl) == 0) return i;
    return -1;
}

void TPTPidlList::Delete(int index) {
    CheckIndex(index);
    if (malloc_ != nullptr && entries_[index].pidl != nullptr) malloc_->Free(entries_[index].pidl);
    entries_.erase(entries_.begin() + index);
}

void TPTPidlList::Clear() {
    if (malloc_ != nullptr)
        for (const Entry& entry : entries_)
            if (entry.pidl != nullptr) malloc_->Free(entry.pidl);
    entries_.clear();
}

void TPTPidlList::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

int TPTPidlList::Compare(const ITEMIDLIST* entry, const ITEMIDLIST* key) const {
    if (shellFolder_ != nullptr) {
        // The folder's answer counts even when it reports a failure: its low word orders.
        return static_cast<short>(HRESULT_CODE(shellFolder_->CompareIDs(0, entry, key)));
    }
    const UINT entrySize = PidlSize(entry);
    const UINT keySize = PidlSize(key);
    const auto* e = reinterpret_cast<const unsigned char*>(entry);
    const auto* k = reinterpret_cast<const unsigned char*>(key);
    for (UINT i = 0, n = std::min(entrySize, keySize); i < n; ++i)
        if (e[i] != k[i]) return int(e[i]) - int(k[i]);
    return int(entrySize) - int(keySize);
}

bool TPTPidlList::Find(const ITEMIDLIST* pidl, int& index) const {
    bool found = false;
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
        const int mid = static_cast<int>((unsigned(lo) + unsigned(hi)) >> 1);
        const int c = Compare(entries_[mid].pidl, pidl);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TPTPidlList::Sort() {
    // A bottom-up merge sort: stable, and safe with a shell folder whose answers are not a
    // consistent order (std::sort may run past the range then).
    const auto less = [this](const Entry& a, const Entry& b) {
        return Compare(a.pidl, b.pidl) < 0;
    };
    std::vector<Entry> buffer(entries_.size());
    const std::size_t n = entries_.size();
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::merge(entries_.begin() + lo, entries_.begin() + mid, entries_.begin() + mid,
                       entries_.begin() + hi, buffer.begin() + lo, less);
        }
        entries_.swap(buffer);
    }
}
