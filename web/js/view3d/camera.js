// The viewer's camera over the whole world (src/world/world_camera.cpp, overview_camera.cpp,
// src/world_view/view_cameras.cpp): a position in world units and two angles in radians. The
// view moves the world by -position, turns it about z by yaw, then about x by pitch, in
// Direct3D's left-handed space with z up and row vectors. All in double, as the desktop works.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    v.FieldOfView = Math.PI / 4;
    v.NearPlane = 1.0;
    // World units between samples, per unit of a sample's height, samples between sectors.
    v.SampleSpacing = 10.0;
    v.SampleHeight = 0.25;
    v.SectorStride = 126;
    v.GridSide = 127;
    // A sector's side in world units: the least size the overview plans for.
    v.SectorSideUnits = 1260.0;

    // Direct3D's RotationZ(yaw) then RotationX(pitch), row-major for row vectors.
    v.viewRotation = function (camera) {
        var cy = Math.cos(camera.yaw);
        var sy = Math.sin(camera.yaw);
        var cp = Math.cos(camera.pitch);
        var sp = Math.sin(camera.pitch);
        var z = [cy, sy, 0, -sy, cy, 0, 0, 0, 1];
        var x = [1, 0, 0, 0, cp, sp, 0, -sp, cp];
        var product = [0, 0, 0, 0, 0, 0, 0, 0, 0];
        for (var row = 0; row < 3; row += 1) {
            for (var column = 0; column < 3; column += 1) {
                for (var k = 0; k < 3; k += 1) {
                    product[row * 3 + column] += z[row * 3 + k] * x[k * 3 + column];
                }
            }
        }
        return product;
    };

    // A point relative to the camera in view space: x right, y up, z ahead.
    v.toView = function (r, dx, dy, dz) {
        return [dx * r[0] + dy * r[3] + dz * r[6], dx * r[1] + dy * r[4] + dz * r[7],
            dx * r[2] + dy * r[5] + dz * r[8]];
    };

    v.copyCamera = function (camera) {
        return {x: camera.x, y: camera.y, z: camera.z, yaw: camera.yaw, pitch: camera.pitch};
    };

    // A camera at (x, y, z) heading along (headingX, headingY) on the ground, looking `down`
    // radians below the horizon, upright: a pitch between pi and 3 pi / 2 has the sky on top.
    v.lookingAlong = function (x, y, z, headingX, headingY, down) {
        return {x: x, y: y, z: z, yaw: Math.atan2(-headingX, -headingY), pitch: 1.5 * Math.PI - down};
    };

    // The whole world at a glance, as velmora-world and render --all start: from beyond the
    // world's low-y edge, raised by half its larger side above its highest ground, along +y
    // and down at its middle. `extent` is world.js's [minX, minY, minZ, maxX, maxY, maxZ].
    v.overviewCamera = function (extent) {
        var spanX = Math.max(extent[3] - extent[0], v.SectorSideUnits);
        var spanY = Math.max(extent[4] - extent[1], v.SectorSideUnits);
        var span = Math.max(spanX, spanY);
        var middleX = (extent[0] + extent[3]) / 2;
        var middleY = (extent[1] + extent[4]) / 2;
        var y = extent[1] - 0.6 * span;
        var z = extent[5] + 0.5 * span;
        var down = Math.atan2(z - extent[2], middleY - y);
        return v.lookingAlong(middleX, y, z, 0, 1, down);
    };

    // Where a glide to the ground point (x, y, z) ends: a third of the way (150 to 4000 units
    // off), on the side it is seen from, 35 degrees above it and looking at it.
    v.lookingAt = function (from, x, y, z) {
        var Down = 35 * Math.PI / 180;
        var dx = x - from.x;
        var dy = y - from.y;
        var dz = z - from.z;
        var distance = Math.min(Math.max(Math.sqrt(dx * dx + dy * dy + dz * dz) / 3, 150), 4000);
        var along = Math.hypot(dx, dy);
        var headingX = dx;
        var headingY = dy;
        if (along < 1) {
            // Straight below: keep the way the picture's top points.
            headingX = -Math.sin(from.yaw);
            headingY = -Math.cos(from.yaw);
            along = 1;
        }
        headingX /= along;
        headingY /= along;
        var back = distance * Math.cos(Down);
        return v.lookingAlong(x - headingX * back, y - headingY * back, z + distance * Math.sin(Down),
            headingX, headingY, Down);
    };

    // "X,Y,Z,YAW,PITCH" as velmora render --camera takes it; null when it is not one.
    v.parseCamera = function (text) {
        var parts = String(text).split(",");
        if (parts.length !== 5) {
            return null;
        }
        var values = parts.map(function (part) { return part.trim() === "" ? NaN : Number(part); });
        if (!values.every(isFinite)) {
            return null;
        }
        return {x: values[0], y: values[1], z: values[2], yaw: values[3], pitch: values[4]};
    };

    // The camera as velmora-world copies it (readouts.cpp CameraArgument).
    v.cameraText = function (camera) {
        return [camera.x.toFixed(3), camera.y.toFixed(3), camera.z.toFixed(3),
            camera.yaw.toFixed(6), camera.pitch.toFixed(6)].join(",");
    };
})(Velmora.view3d);
