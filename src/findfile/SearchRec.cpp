#include "findfile/SearchRec.h"

namespace findfile {

std::int32_t TSearchRec::Time() const noexcept {
    FILETIME local{};
    WORD date = 0;
    WORD time = 0;
    if (FileTimeToLocalFileTime(&FindData.ftLastWriteTime, &local))
        FileTimeToDosDateTime(&local, &date, &time);
    return std::int32_t((std::uint32_t(date) << 16) | time);
}

}  // namespace findfile
