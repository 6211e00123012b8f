// Flying on a touch screen: one finger turns (as a left drag), two slide (as a right drag, by
// their middle), and pinching lowers (fingers apart) or raises (together), as the wheel does.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.controls = Velmora.controls || {};

(function (controls) {
    // Wheel rotation per pixel the fingers spread: a notch (120) per 20 pixels.
    var RotationPerSpread = 6;

    // What a change of touches means, from the fingers before to the fingers now (arrays of
    // {id, x, y}): {turn: [dx, dy]} for one finger, {slide: [dx, dy], lower: rotation} for two,
    // null when the fingers are not the same ones.
    controls.touchGesture = function (before, now) {
        if (before.length !== now.length || now.length === 0 || now.length > 2) {
            return null;
        }
        function find(list, id) {
            for (var k = 0; k < list.length; k += 1) {
                if (list[k].id === id) {
                    return list[k];
                }
            }
            return null;
        }
        var pairs = now.map(function (touch) { return [find(before, touch.id), touch]; });
        if (pairs.some(function (pair) { return pair[0] === null; })) {
            return null;
        }
        if (now.length === 1) {
            return {turn: [now[0].x - pairs[0][0].x, now[0].y - pairs[0][0].y]};
        }
        var a0 = pairs[0][0];
        var b0 = pairs[1][0];
        var a1 = pairs[0][1];
        var b1 = pairs[1][1];
        var middleX = ((a1.x + b1.x) - (a0.x + b0.x)) / 2;
        var middleY = ((a1.y + b1.y) - (a0.y + b0.y)) / 2;
        var spread = Math.hypot(a1.x - b1.x, a1.y - b1.y) - Math.hypot(a0.x - b0.x, a0.y - b0.y);
        return {slide: [middleX, middleY], lower: spread * RotationPerSpread};
    };

    // Listens on `element`. pilot: focus(), turn(dx, dy), slide(dx, dy), lower(rotation).
    // Returns a function that stops listening.
    controls.flightTouch = function (element, pilot) {
        var fingers = [];

        function read(event) {
            var box = element.getBoundingClientRect();
            return Array.prototype.map.call(event.touches, function (touch) {
                return {id: touch.identifier, x: touch.clientX - box.left, y: touch.clientY - box.top};
            });
        }

        function start(event) {
            event.preventDefault();
            pilot.focus();
            fingers = read(event);
        }

        function move(event) {
            event.preventDefault();
            var now = read(event);
            var gesture = controls.touchGesture(fingers, now);
            fingers = now;
            if (!gesture) {
                return;
            }
            if (gesture.turn) {
                pilot.turn(gesture.turn[0], gesture.turn[1]);
            } else {
                pilot.slide(gesture.slide[0], gesture.slide[1]);
                if (gesture.lower !== 0) {
                    pilot.lower(gesture.lower);
                }
            }
        }

        function end(event) {
            event.preventDefault();
            // The fingers left start afresh: a lifted finger must not make the other jump.
            fingers = read(event);
        }

        var options = {passive: false};
        element.addEventListener("touchstart", start, options);
        element.addEventListener("touchmove", move, options);
        element.addEventListener("touchend", end, options);
        element.addEventListener("touchcancel", end, options);
        return function () {
            element.removeEventListener("touchstart", start, options);
            element.removeEventListener("touchmove", move, options);
            element.removeEventListener("touchend", end, options);
            element.removeEventListener("touchcancel", end, options);
        };
    };
})(Velmora.controls);
