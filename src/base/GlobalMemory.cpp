#include "base/GlobalMemory.h"

#include <cstring>

#include "base/Error.h"

namespace base {

GlobalHandle AllocateGlobal(std::size_t size) {
    GlobalHandle block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) ThrowLastError();
    return block;
}

GlobalHandle CopyGlobal(HGLOBAL source) {
    GlobalLock<> from(source);
    if (from.Get() == nullptr) ThrowLastError();
    GlobalHandle copy = AllocateGlobal(from.Size());
    GlobalLock<> to(copy.Get());
    if (to.Get() == nullptr) ThrowLastError();
    std::memcpy(to.Get(), from.Get(), from.Size());
    return copy;
}

}  // namespace base
