#include "ui/settle_wait.h"

#include <algorithm>

bool SettleWait::Due(long now) {
    if (lastEdit < 0 || now - lastEdit < wait) return false;
    lastEdit = -1;
    return true;
}

long SettleWait::Left(long now) const { return lastEdit < 0 ? 0 : std::max(1L, wait - (now - lastEdit)); }
