// The viewer dialog's mouse navigation: left drag turns, right drag slides, the wheel raises and
// lowers, Reset Camera restores the defaults. Every camera change draws a frame first and then
// refreshes the two readouts.

#include <cmath>

#include "camera/camera_state.h"
#include "render/renderer.h"
#include "ui/camera_readouts.h"
#include "ui/navigation_constants.h"
#include "ui/viewer_dialog.h"

void ViewerDialog::OnMouseMove(UINT nFlags, CPoint point) {
    const bool turning = (nFlags & MK_LBUTTON) != 0;
    const bool sliding = !turning && (nFlags & MK_RBUTTON) != 0;
    if (!turning && !sliding) {
        // Neither the left nor the right button: the drag, if any, is over.
        DragAnchor.x = NoAnchor;
        DragAnchor.y = NoAnchor;
    } else if (DragAnchor.x == NoAnchor && DragAnchor.y == NoAnchor) {
        // The first move of a drag only anchors it.
        DragAnchor.x = point.x;
        DragAnchor.y = point.y;
    } else {
        const int dx = point.x - DragAnchor.x;
        const int dy = point.y - DragAnchor.y;
        if (turning) {
            CameraYaw = CameraYaw - dx * TurnStep;
            CameraPitch = CameraPitch + dy * TurnStep;
        } else {
            // One world unit per pixel in the ground plane, whatever the pitch; the sine and
            // cosine are double precision, the last product uses the cosine as a float.
            const double s = std::sin(static_cast<double>(CameraYaw));
            const double c = std::cos(static_cast<double>(CameraYaw));
            CameraX = static_cast<FLOAT>(CameraX + dy * s);
            CameraY = static_cast<FLOAT>(CameraY + dy * c - dx * s);
            CameraX = CameraX + dx * static_cast<FLOAT>(c);
        }
        RenderFrame();
        UpdateCameraReadouts();
        DragAnchor.x = point.x;
        DragAnchor.y = point.y;
    }
    Default();
}

BOOL ViewerDialog::OnMouseWheel(UINT /*nFlags*/, short zDelta, CPoint /*pt*/) {
    CameraZ = CameraZ - zDelta * WheelStep;
    RenderFrame();
    UpdateCameraReadouts();
    return static_cast<BOOL>(Default());
}

void ViewerDialog::ResetCamera() {
    // The drag anchor stays: a drag that goes on applies its next delta to the defaults.
    CameraPosition = DefaultCameraPosition;
    CameraYaw = DefaultCameraYaw;
    CameraPitch = DefaultCameraPitch;
    RenderFrame();
    UpdateCameraReadouts();
}

void ViewerDialog::UpdateCameraReadouts() {
    m_angleEdit.SetWindowText(FormatCameraAngles());
    m_locationEdit.SetWindowText(FormatCameraLocation());
}
