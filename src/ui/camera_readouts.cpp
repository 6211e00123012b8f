#include "ui/camera_readouts.h"

#include "camera/camera_state.h"

double RadiansToDegrees(double radians) {
    return radians * 0.5 / 3.14159265359 * 360;
}

CString FormatCameraAngles() {
    CString text;
    text.Format("Z:%04.1f, Y:%04.1f", RadiansToDegrees(CameraYaw), RadiansToDegrees(CameraPitch));
    return text;
}

CString FormatCameraLocation() {
    CString text;
    text.Format("x:%07.1f, y:%07.1f, z:%07.1f", static_cast<double>(CameraX),
                static_cast<double>(CameraY), static_cast<double>(CameraZ));
    return text;
}
