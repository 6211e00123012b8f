// Where the camera may go, so that the world stays in reach: a box around the world's extent,
// wide enough for the overview camera, under a ceiling from which the whole world still fills a
// fair part of the view, over a floor that rises beyond the world's edges (a camera low down
// outside the world would see it edge-on, or not at all); and a flying speed that crosses at most
// a sixth or so of the world a second. Near the ground over the world neither changes anything.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    // The overview camera stands 0.6 of the world's span beyond its low-y edge and half a span
    // above its highest ground: the box holds it with room to spare.
    var SideMargin = 0.65;
    var Ceiling = 0.6;
    // Units the floor rises per unit beyond the world's edges.
    var FloorSlope = 0.5;
    // Angles beyond this many turns are reduced to their place within one.
    var TurnsKept = 2;
    v.WorldFractionPerSecond = 0.15;

    // The extent to plan for: the world's, or where it has none to give (every sector
    // unreadable), one sector's square at the origin.
    function usable(extent) {
        var whole = extent && extent.length === 6 && extent.every(function (value) {
            return typeof value === "number" && isFinite(value);
        }) && extent[0] <= extent[3] && extent[1] <= extent[4] && extent[2] <= extent[5];
        return whole ? extent : [0, 0, 0, v.SectorSideUnits, v.SectorSideUnits, 0];
    }

    // The larger of the world's sides in world units, a sector's at least.
    v.worldSpan = function (extent) {
        extent = usable(extent);
        return Math.max(extent[3] - extent[0], extent[4] - extent[1], v.SectorSideUnits);
    };

    // {minX, minY, minZ, maxX, maxY, maxZ} the camera stays within; minZ is the floor over the
    // world, which rises beyond it (floorAt).
    v.cameraBox = function (extent) {
        extent = usable(extent);
        var span = v.worldSpan(extent);
        var side = SideMargin * span;
        return {minX: extent[0] - side, minY: extent[1] - side, minZ: extent[2],
            maxX: extent[3] + side, maxY: extent[4] + side, maxZ: extent[5] + Ceiling * span};
    };

    // The lowest the camera may be at (x, y): the world's lowest ground over it, higher by half
    // the distance beyond its edges.
    v.floorAt = function (extent, x, y) {
        extent = usable(extent);
        var outX = Math.max(extent[0] - x, 0, x - extent[3]);
        var outY = Math.max(extent[1] - y, 0, y - extent[4]);
        return extent[2] + FloorSlope * Math.hypot(outX, outY);
    };

    function within(value, low, high) {
        return Math.min(Math.max(value, low), high);
    }

    function reduced(angle) {
        var turn = 2 * Math.PI;
        return Math.abs(angle) > TurnsKept * turn ? angle % turn : angle;
    }

    // Moves `camera` into the box (in place); angles of many turns come back to one.
    v.keepInBox = function (camera, extent) {
        var box = v.cameraBox(extent);
        camera.x = within(camera.x, box.minX, box.maxX);
        camera.y = within(camera.y, box.minY, box.maxY);
        camera.z = within(camera.z, v.floorAt(extent, camera.x, camera.y), box.maxZ);
        camera.yaw = reduced(camera.yaw);
        camera.pitch = reduced(camera.pitch);
        return camera;
    };

    // The fastest the camera flies over this world, in world units a second: 0.15 of its
    // size, taken as the geometric mean of its sides, so that a long narrow world is not left
    // behind across its narrow side in a few seconds.
    v.topSpeed = function (extent) {
        extent = usable(extent);
        var spanX = Math.max(extent[3] - extent[0], v.SectorSideUnits);
        var spanY = Math.max(extent[4] - extent[1], v.SectorSideUnits);
        return v.WorldFractionPerSecond * Math.sqrt(spanX * spanY);
    };
})(Velmora.view3d);
