// What a page opened from disk loads, seen from inside it. Firefox reports no file:// request
// over WebDriver BiDi, so there the page itself names each script, style sheet and image its
// elements ask for (a page of this site loads everything through them) and each that fails.
"use strict";

// Runs in the page before its own scripts; `name` is the exposed function to report through.
function reportLoadsThrough(name) {
    const Loading = "script[src], link[href], img[src], iframe[src], source[src], " +
        "video[src], audio[src], object[data]";
    // Each element's address once, though the parser's insertion and its attributes may both
    // be seen.
    const asked = new WeakMap();
    const report = (what, element) => {
        const url = String(element.src || element.href || element.data || "");
        if (url && (what === "failed" || asked.get(element) !== url)) {
            asked.set(element, url);
            window[name](what, url);
        }
    };
    const visit = (node) => {
        if (node.nodeType !== Node.ELEMENT_NODE) {
            return;
        }
        if (node.matches(Loading)) {
            report("request", node);
        }
        node.querySelectorAll(Loading).forEach((inner) => report("request", inner));
    };
    new MutationObserver((records) => {
        for (const record of records) {
            if (record.type === "attributes") {
                if (record.target.matches(Loading)) {
                    report("request", record.target);
                }
            } else {
                record.addedNodes.forEach(visit);
            }
        }
    }).observe(document, {childList: true, subtree: true, attributes: true,
        attributeFilter: ["src", "href", "data"]});
    // A resource's error does not bubble; the window sees it while capturing.
    window.addEventListener("error", (event) => {
        if (event.target instanceof Element) {
            report("failed", event.target);
        }
    }, true);
}

// Calls onRequest(url) for each load the page's elements ask for and onFailure(url) for each
// that fails, in every document `page` shows from now on.
async function watchFileLoads(page, onRequest, onFailure) {
    const name = "velmoraTestLoad";
    await page.exposeFunction(name, (what, url) => {
        (what === "failed" ? onFailure : onRequest)(url);
    });
    await page.evaluateOnNewDocument(reportLoadsThrough, name);
}

module.exports = {watchFileLoads};
