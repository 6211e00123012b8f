// "Copy link": the address of the view shown now, on the clipboard; where the browser will not
// let the page write there (no secure context, no permission), the link in words to copy.
"use strict";

(function () {
    // Resolves with the words to tell the user.
    function copyLink(address) {
        var words = "Link copied: " + address;
        if (!navigator.clipboard || !navigator.clipboard.writeText) {
            return Promise.resolve("Copy this link: " + address);
        }
        return navigator.clipboard.writeText(address).then(function () {
            return words;
        }, function () {
            return "Copy this link: " + address;
        });
    }

    Velmora.Share = {copyLink: copyLink};
})();
