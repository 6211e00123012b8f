// The worlds the web tests look at.
"use strict";

// Rolling ground with places of known samples:
//
//   sectors 0_0 to 2_2 around a hole at 1_1, and 5_5 far off, so that the map has a level
//   beyond the first (the box spans 6 x 6 places, more than one 504-sample tile);
//   samples (50, 50) and (51, 50): 2001 and 2003, heights 500.25 and 500.75 (ties at one
//   decimal);
//   the cell (10, 20)-(11, 21): 1600 at three corners, 2000 at (11, 21);
//   sector 5_5: a checkerboard of 3000 and 3004, whose every coarser pixel averages 3002.
const Rolling = {
    sectors: ["0_0", "1_0", "2_0", "0_1", "2_1", "0_2", "1_2", "2_2", "5_5"],
    sample(x, y) {
        if (x >= 630 && y >= 630) {
            return 3000 + 4 * ((x + y) % 2);
        }
        if (y === 50 && (x === 50 || x === 51)) {
            return x === 50 ? 2001 : 2003;
        }
        if ((x === 10 || x === 11) && (y === 20 || y === 21)) {
            return x === 11 && y === 21 ? 2000 : 1600;
        }
        // Water (100 and less) in one corner, hills elsewhere.
        if (x + y < 12) {
            return 80;
        }
        return Math.round(1500 + 400 * Math.sin(x / 13) * Math.cos(y / 9) + x + 2 * y);
    },
};

module.exports = {Rolling};
