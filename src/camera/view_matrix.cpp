#include "camera/view_matrix.h"

#include "camera/camera_state.h"

D3DXMATRIX BuildViewMatrix() {
    D3DXMATRIX view(1.0f, 0.0f, 0.0f, 0.0f,  //
                    0.0f, 1.0f, 0.0f, 0.0f,  //
                    0.0f, 0.0f, 1.0f, 0.0f,  //
                    0.0f, 0.0f, 0.0f, 1.0f);
    D3DXMATRIX step;

    D3DXMatrixTranslation(&step, -CameraX, -CameraY, -CameraZ);
    D3DXMatrixMultiply(&view, &view, &step);

    D3DXMatrixRotationZ(&step, CameraYaw);
    D3DXMatrixMultiply(&view, &view, &step);

    D3DXMatrixRotationX(&step, CameraPitch);
    D3DXMatrixMultiply(&view, &view, &step);
    return view;
}
