#pragma once
// The view transform of the current camera state.

#include <d3dx9math.h>

// V = T(-position) x Rz(yaw) x Rx(pitch) in the row-vector convention: a world point is moved by
// minus the camera position, then turned about z by the yaw, then about x by the pitch.
D3DXMATRIX BuildViewMatrix();
