// Where one view opens when the user switches from the other: the 3D view above the map's
// centre looking straight down, high enough to show about what the map showed; the map centred
// on the ground the camera looks at (or, looking up or far off, the ground below it) at a zoom
// that shows about what the camera saw there.
"use strict";

(function () {
    var SampleSpacing = 10;
    // The viewer's vertical field of view.
    var FieldOfView = Math.PI / 4;
    // Looking at ground further than this many times the camera's height above it shows too
    // little of it to centre the map there.
    var FarRatio = 8;

    // The height in world units to plan for at world (x, y): the ground there when its tile is
    // loaded, else the middle of the world's heights.
    function groundHeight(world, ground, x, y) {
        var found = ground ? ground.lookup(x, y) : null;
        if (found && found.height !== undefined) {
            return found.height;
        }
        return (world.extent[2] + world.extent[5]) / 2;
    }

    // The camera above a map view ({x, y} in samples, height: the samples it spans downwards),
    // upright as the map is: yaw 0 and pitch pi look straight down with +x to the right and +y
    // down the screen.
    function cameraAboveMap(world, ground, view) {
        var x = view.x * SampleSpacing;
        var y = view.y * SampleSpacing;
        var span = view.height * SampleSpacing;
        var distance = span / 2 / Math.tan(FieldOfView / 2);
        return {x: x, y: y, z: groundHeight(world, ground, x, y) + distance, yaw: 0, pitch: Math.PI};
    }

    // The map's centre (in samples) and the samples to show down the view, for a camera.
    function mapUnderCamera(world, ground, camera) {
        var below = groundHeight(world, ground, camera.x, camera.y);
        var above = Math.max(camera.z - below, 1);
        // The view's direction: (sin pitch sin yaw, sin pitch cos yaw, cos pitch).
        var sinPitch = Math.sin(camera.pitch);
        var dx = sinPitch * Math.sin(camera.yaw);
        var dy = sinPitch * Math.cos(camera.yaw);
        var dz = Math.cos(camera.pitch);
        var x = camera.x;
        var y = camera.y;
        var distance = above;
        if (dz < 0) {
            var along = above / -dz;
            if (along <= FarRatio * above) {
                x += dx * along;
                y += dy * along;
                distance = along;
            }
        }
        var seen = 2 * distance * Math.tan(FieldOfView / 2);
        return {x: x / SampleSpacing, y: y / SampleSpacing, samples: seen / SampleSpacing};
    }

    Velmora.Handover = {
        cameraAboveMap: cameraAboveMap,
        mapUnderCamera: mapUnderCamera,
    };
})();
