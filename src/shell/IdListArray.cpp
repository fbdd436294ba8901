#include "shell/IdListArray.h"

#include <cstring>

TPTIdListArray::TPTIdListArray(const ITEMIDLIST* pidl) : source_(pidl) {
    if (pidl == nullptr) return;
    for (; pidl->mkid.cb != 0; pidl = NextPidlItem(pidl)) ++count_;
}

const BYTE* TPTIdListArray::ItemStart(int index) const {
    const ITEMIDLIST* item = source_;
    for (int i = 0; i < index; ++i) item = NextPidlItem(item);
    return reinterpret_cast<const BYTE*>(item);
}

const ITEMIDLIST* TPTIdListArray::Produce(const BYTE* items, std::size_t size) {
    result_.Reset();
    auto* bytes = static_cast<BYTE*>(ShellAlloc(size + 2));
    if (bytes == nullptr) return nullptr;
    std::memset(bytes, 0, size + 2);
    if (size != 0) std::memcpy(bytes, items, size);
    result_.Reset(reinterpret_cast<ITEMIDLIST*>(bytes));
    return result_.Get();
}

const ITEMIDLIST* TPTIdListArray::ParentPidl(int levels) {
    if (source_ == nullptr || levels < 0 || levels > count_) return nullptr;
    const BYTE* start = ItemStart(0);
    return Produce(start, ItemStart(count_ - levels) - start);
}

const ITEMIDLIST* TPTIdListArray::ItemPidl(int index) {
    if (source_ == nullptr || index < 0) return nullptr;
    // An empty source gives the empty list for any index.
    if (count_ == 0) return Produce(nullptr, 0);
    if (index >= count_) return nullptr;
    const BYTE* item = ItemStart(index);
    return Produce(item, reinterpret_cast<const ITEMIDLIST*>(item)->mkid.cb);
}
