// Flying with the keys, as velmora-world: W/S or the up and down arrows forward and back, A/D or
// left and right sideways, E/Q or Page Up/Page Down up and down, Shift four times as fast, Home
// back to the overview. Held keys move the camera for as long as they are held, not by the
// keyboard's repeat. Letters are taken by their place on the keyboard (event.code), so that
// every layout flies with the same fingers.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.controls = Velmora.controls || {};

(function (controls) {
    var Forward = ["KeyW", "ArrowUp"];
    var Back = ["KeyS", "ArrowDown"];
    var Right = ["KeyD", "ArrowRight"];
    var Left = ["KeyA", "ArrowLeft"];
    var Up = ["KeyE", "PageUp"];
    var Down = ["KeyQ", "PageDown"];
    var Fast = ["ShiftLeft", "ShiftRight", "Shift"];
    var Flying = [].concat(Forward, Back, Right, Left, Up, Down, Fast);

    // The name a key is held by: the arrows and page keys by what they mean (the keypad's too,
    // with Num Lock off), letters by their place.
    function keyName(event) {
        if (/^(Arrow|Page)/.test(event.key)) {
            return event.key;
        }
        if (event.key === "Shift") {
            return "Shift";
        }
        return event.code;
    }

    // The thrust the held keys give: {forward, right, up} each -1, 0 or 1, and fast.
    controls.thrustOf = function (held) {
        function any(names) {
            return names.some(function (name) { return held.has(name); }) ? 1 : 0;
        }
        return {forward: any(Forward) - any(Back), right: any(Right) - any(Left),
            up: any(Up) - any(Down), fast: any(Fast) === 1};
    };

    // Listens on `element` (which must be able to take focus). pilot: thrustChanged(thrust)
    // when the held keys change, home() for Home. Returns a function that stops listening.
    controls.flightKeyboard = function (element, pilot) {
        var held = new Set();

        function changed() {
            pilot.thrustChanged(controls.thrustOf(held));
        }

        function down(event) {
            if (event.ctrlKey || event.altKey || event.metaKey) {
                return;
            }
            if (event.key === "Home") {
                event.preventDefault();
                pilot.home();
                return;
            }
            var name = keyName(event);
            if (Flying.indexOf(name) < 0) {
                return;
            }
            // Arrows and page keys would scroll the page.
            event.preventDefault();
            if (!held.has(name)) {
                held.add(name);
                changed();
            }
        }

        function up(event) {
            var name = keyName(event);
            if (held.delete(name)) {
                changed();
            }
            // Shift let go while a letter is held still gives the letter's code: nothing to do.
        }

        // Releases elsewhere never reach the element.
        function lost() {
            if (held.size > 0) {
                held.clear();
                changed();
            }
        }

        element.addEventListener("keydown", down);
        element.addEventListener("keyup", up);
        element.addEventListener("blur", lost);
        window.addEventListener("blur", lost);
        return function () {
            element.removeEventListener("keydown", down);
            element.removeEventListener("keyup", up);
            element.removeEventListener("blur", lost);
            window.removeEventListener("blur", lost);
            lost();
        };
    };
})(Velmora.controls);
