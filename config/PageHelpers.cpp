#include "config/PageHelpers.h"

#include "config/SliderCtrl.h"

namespace pages {

bool ActsOn(int nSBCode)
{
    switch (nSBCode) {
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_PAGEUP:
    case TB_PAGEDOWN:
    case TB_THUMBTRACK:
    case TB_ENDTRACK:
        return true;
    default:
        return false;
    }
}

} // namespace pages
