#include "app/platform/win32/item_collation.h"

#include "text/natural_order.h"

namespace win32 {

int CompareItemText(std::string_view left, std::string_view right) {
    return text::CompareNatural(left, right);
}

}  // namespace win32
