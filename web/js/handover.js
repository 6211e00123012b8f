// Where one view opens when the user switches from the other: the 3D view looks at the map's
// centre from beyond the map's lower edge and above, at the overview's angle, so that relief
// reads, the place the map showed fills the view and x still runs to the right, as the map tilted
// back; the map centres on the ground the camera
// looks at (or, looking up or far off, the ground below it) at a zoom that shows about what the
// camera saw there.
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

    // The overview's proportions for the part of the world the map shows (its height, `span`):
    // from 0.6 span beyond its near (lower) edge, half a span above the ground, looking at its
    // middle.
    var Back = 1.1;
    var Up = 0.5;

    // The camera looking at a map view's centre ({x, y} in samples, height: the samples it
    // spans downwards) along -y, up the map.
    function cameraAboveMap(world, ground, view) {
        var x = view.x * SampleSpacing;
        var y = view.y * SampleSpacing;
        var span = view.height * SampleSpacing;
        var below = groundHeight(world, ground, x, y);
        var down = Math.atan2(Up, Back);
        return {x: x, y: y + Back * span, z: below + Up * span, yaw: 0,
            pitch: 1.5 * Math.PI - down};
    }

    // How far along the view (dx, dy, dz), within `farthest`, it first meets the ground, or null:
    // in steps, then halving the step that crosses (the ground below a camera that looks from
    // afar, or from beyond the world, is not the ground it looks at).
    var Steps = 64;
    var Halvings = 24;

    function groundAlong(world, ground, camera, dx, dy, dz, farthest) {
        var over = function (along) {
            return camera.z + dz * along -
                groundHeight(world, ground, camera.x + dx * along, camera.y + dy * along);
        };
        var before = 0;
        for (var step = 1; step <= Steps; step += 1) {
            var after = farthest * step / Steps;
            if (over(after) <= 0) {
                for (var k = 0; k < Halvings; k += 1) {
                    var middle = (before + after) / 2;
                    if (over(middle) <= 0) {
                        after = middle;
                    } else {
                        before = middle;
                    }
                }
                return after;
            }
            before = after;
        }
        return null;
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
            var along = groundAlong(world, ground, camera, dx, dy, dz, FarRatio * above);
            if (along !== null) {
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
