#include "app/platform/win32/dialog_fit.h"

#include <algorithm>

namespace win32 {

namespace {

SIZE ClientPixels(SIZE dialogUnits, BaseUnits base) {
    return SIZE{DialogUnitsToPixels(dialogUnits.cx, base.width, 4),
                DialogUnitsToPixels(dialogUnits.cy, base.height, 8)};
}

bool Within(SIZE size, SIZE room) {
    return size.cx <= room.cx && size.cy <= room.cy;
}

BaseUnits Scaled(BaseUnits base, double factor) {
    return BaseUnits{base.width * factor, base.height * factor};
}

}  // namespace

DialogFit FitDialogToRoom(SIZE dialogUnits, BaseUnits natural, BaseUnits smallest, SIZE room) {
    if (Within(ClientPixels(dialogUnits, natural), room) || dialogUnits.cx <= 0 ||
        dialogUnits.cy <= 0 || natural.width <= 0 || natural.height <= 0) {
        return DialogFit{natural, true};
    }
    const double widthAtNatural = dialogUnits.cx * natural.width / 4;
    const double heightAtNatural = dialogUnits.cy * natural.height / 8;
    double factor = std::min(std::max<LONG>(room.cx, 0) / widthAtNatural,
                             std::max<LONG>(room.cy, 0) / heightAtNatural);
    // Rounding to whole pixels may still overshoot by one; step down until it does not.
    while (factor > 0 && !Within(ClientPixels(dialogUnits, Scaled(natural, factor)), room)) {
        factor *= 1 - 1e-6;
    }
    const double floor = std::max(smallest.width / natural.width, smallest.height / natural.height);
    if (factor < floor) {
        return DialogFit{Scaled(natural, std::min(floor, 1.0)), false};
    }
    return DialogFit{Scaled(natural, factor), true};
}

}  // namespace win32
