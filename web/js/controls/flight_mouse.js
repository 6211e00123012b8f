// Flying with the mouse, as velmora-world: left drag turns, right drag slides, the wheel lowers
// (forward) and raises, a double click glides to the point under the pointer, and a still
// pointer tells the ground under it. As in the viewer, the first move of a drag only anchors it.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.controls = Velmora.controls || {};

(function (controls) {
    // A notch is 120 units of wheel rotation, as wx gives it. Browsers give pixels (about 100
    // a notch in Chromium), lines (3 a notch in Firefox) or pages.
    var RotationPerPixel = 120 / 100;
    var RotationPerLine = 120 / 3;
    var RotationPerPage = 120 * 3;

    controls.wheelRotation = function (event) {
        var per = event.deltaMode === 1 ? RotationPerLine :
            event.deltaMode === 2 ? RotationPerPage : RotationPerPixel;
        // Rolled forward (away from the user) gives a negative deltaY and a positive rotation.
        return -event.deltaY * per;
    };

    // Listens on `element`. pilot: focus(), turn(dx, dy), slide(dx, dy), lower(rotation),
    // pointer(x, y) and pointer(null) as it leaves, glideTo(x, y); points in CSS pixels from the
    // element's top left. Returns a function that stops listening.
    controls.flightMouse = function (element, pilot) {
        var anchor = null;

        function point(event) {
            var box = element.getBoundingClientRect();
            return {x: event.clientX - box.left, y: event.clientY - box.top};
        }

        function down(event) {
            pilot.focus();
            anchor = null;
            if (event.button === 2 || event.button === 0) {
                event.preventDefault();
            }
        }

        function move(event) {
            var at = point(event);
            pilot.pointer(at.x, at.y);
            var turning = (event.buttons & 1) !== 0;
            var sliding = !turning && (event.buttons & 2) !== 0;
            if (!turning && !sliding) {
                anchor = null;
                return;
            }
            if (!anchor) {
                anchor = at;
                return;
            }
            var dx = at.x - anchor.x;
            var dy = at.y - anchor.y;
            anchor = at;
            if (turning) {
                pilot.turn(dx, dy);
            } else {
                pilot.slide(dx, dy);
            }
        }

        function wheel(event) {
            event.preventDefault();
            if (event.deltaY === 0) {
                return;
            }
            pilot.lower(controls.wheelRotation(event));
        }

        function doubleClick(event) {
            var at = point(event);
            pilot.glideTo(at.x, at.y);
        }

        function leave() {
            pilot.pointer(null);
        }

        function menu(event) {
            event.preventDefault();
        }

        element.addEventListener("mousedown", down);
        element.addEventListener("mousemove", move);
        element.addEventListener("wheel", wheel, {passive: false});
        element.addEventListener("dblclick", doubleClick);
        element.addEventListener("mouseleave", leave);
        element.addEventListener("contextmenu", menu);
        return function () {
            element.removeEventListener("mousedown", down);
            element.removeEventListener("mousemove", move);
            element.removeEventListener("wheel", wheel);
            element.removeEventListener("dblclick", doubleClick);
            element.removeEventListener("mouseleave", leave);
            element.removeEventListener("contextmenu", menu);
        };
    };
})(Velmora.controls);
