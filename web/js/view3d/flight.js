// How input moves the camera, as velmora-world flies it (src/world_view/flight.cpp, glide.cpp):
// left drag turns, right drag slides, the wheel lowers and raises, in the viewer's directions;
// sliding and the wheel go faster the higher the camera is above the ground, and keys fly at a
// speed proportional to that height.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    // Radians of turn per pixel of left drag; units of height per unit of wheel rotation (120
    // a notch).
    v.TurnStep = 0.005;
    v.WheelStep = 0.1;
    // Height above the ground at which sliding and the wheel go at the viewer's pace.
    v.PaceHeight = 400.0;
    v.GroundClearance = 5.0;
    // Flying speed in world units a second per unit of height above the ground, and the least.
    v.SpeedPerHeight = 0.8;
    v.LeastSpeed = 30.0;
    v.FastFactor = 4.0;
    v.GlideSeconds = 0.8;
    // Frames further apart than this (a busy machine) move as if they were this far apart.
    v.LongestTick = 0.1;

    v.paceScale = function (heightAboveGround) {
        // Never quite stopped, even on the ground.
        return Math.max(0.05, heightAboveGround / v.PaceHeight);
    };

    v.turn = function (camera, dx, dy) {
        camera.yaw -= dx * v.TurnStep;
        camera.pitch += dy * v.TurnStep;
    };

    // A right drag of (dx, dy) pixels: one unit a pixel in the ground plane at the viewer's pace.
    v.slide = function (camera, dx, dy, scale) {
        var s = Math.sin(camera.yaw);
        var c = Math.cos(camera.yaw);
        camera.x += (dy * s + dx * c) * scale;
        camera.y += (dy * c - dx * s) * scale;
    };

    // A wheel rotation: forward (positive) lowers.
    v.lower = function (camera, rotation, scale) {
        camera.z -= rotation * v.WheelStep * scale;
    };

    // The ground direction ahead: the view's, or looking nearly straight down, the picture's
    // top's; both agree in the usual range of pitch, so the heading never jumps there.
    v.headingOf = function (camera) {
        var sp = Math.sin(camera.pitch);
        var cp = Math.cos(camera.pitch);
        var along = Math.abs(sp) >= 0.5 ? sp : cp;
        var sign = along < 0 ? -1 : 1;
        return {x: sign * Math.sin(camera.yaw), y: sign * Math.cos(camera.yaw)};
    };

    // thrust: {forward, right, up} each -1, 0 or 1, and fast.
    v.thrustAny = function (thrust) {
        return thrust.forward !== 0 || thrust.right !== 0 || thrust.up !== 0;
    };

    // topSpeed (optional): the most world units a second, whatever the height and Shift.
    v.fly = function (camera, thrust, seconds, heightAboveGround, topSpeed) {
        var speed = Math.max(v.LeastSpeed, v.SpeedPerHeight * Math.max(heightAboveGround, 0)) *
            (thrust.fast ? v.FastFactor : 1);
        if (topSpeed !== undefined) {
            speed = Math.min(speed, topSpeed);
        }
        var ahead = v.headingOf(camera);
        var rightX = Math.cos(camera.yaw);
        var rightY = -Math.sin(camera.yaw);
        var x = thrust.forward * ahead.x + thrust.right * rightX;
        var y = thrust.forward * ahead.y + thrust.right * rightY;
        var length = Math.hypot(x, y);
        if (length > 1) {
            x /= length;
            y /= length;
        }
        camera.x += x * speed * seconds;
        camera.y += y * speed * seconds;
        camera.z += thrust.up * speed * seconds;
    };

    // Lifts the camera to the clearance above `ground` (null: no ground there).
    v.keepAboveGround = function (camera, ground) {
        if (ground !== null && ground !== undefined && camera.z < ground + v.GroundClearance) {
            camera.z = ground + v.GroundClearance;
        }
    };

    // The same angle as `to`, less than half a turn from `from` (std::remainder's rounding).
    function nearestAngle(from, to) {
        var turn = 2 * Math.PI;
        var d = to - from;
        var n = d / turn;
        var rounded = Math.round(n);
        if (Math.abs(n - Math.trunc(n)) === 0.5) {
            rounded = 2 * Math.round(n / 2);
        }
        return from + (d - rounded * turn);
    }

    // A smooth flight between two cameras over `seconds`, easing in and out, turning the short
    // way round.
    v.Glide = function (from, to, seconds) {
        this.from = v.copyCamera(from);
        this.to = v.copyCamera(to);
        this.to.yaw = nearestAngle(from.yaw, to.yaw);
        this.to.pitch = nearestAngle(from.pitch, to.pitch);
        this.seconds = seconds;
    };

    v.Glide.prototype.over = function (elapsed) {
        return elapsed >= this.seconds;
    };

    v.Glide.prototype.at = function (elapsed) {
        if (this.over(elapsed) || this.seconds <= 0) {
            return v.copyCamera(this.to);
        }
        var t = Math.min(Math.max(elapsed / this.seconds, 0), 1);
        var s = t * t * (3 - 2 * t);
        var from = this.from;
        var to = this.to;
        function mix(a, b) { return a + (b - a) * s; }
        return {x: mix(from.x, to.x), y: mix(from.y, to.y), z: mix(from.z, to.z),
            yaw: mix(from.yaw, to.yaw), pitch: mix(from.pitch, to.pitch)};
    };
})(Velmora.view3d);
