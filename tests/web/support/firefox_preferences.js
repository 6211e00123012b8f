// Preferences of the Firefox the web tests drive, over those puppeteer writes into its profile
// (first-run pages, updates, telemetry, safe browsing) and those Firefox sets itself when
// driven: a user's Firefox where the page is concerned, one that starts on a blank page and
// makes no connection of its own, so that every request a test sees is the page's.
"use strict";

const firefoxPreferences = {
    // Puppeteer lets documents from disk read each other; a user's Firefox does not, and the
    // site opened from disk must work as it is.
    "security.fileuri.strict_origin_policy": true,

    // No welcome, no tour, no what's new, no default-browser question.
    "browser.aboutwelcome.enabled": false,
    "browser.startup.homepage_override.mstone": "ignore",
    "trailhead.firstrun.didSeeAboutWelcome": true,
    "datareporting.policy.firstRunURL": "",
    "browser.shell.checkDefaultBrowser": false,

    // Connections Firefox makes by itself: network checks, DNS over HTTPS, prefetching,
    // push, region and search lookups, remote settings, add-on and plugin updates, studies,
    // telemetry, and the new tab page's feeds.
    "network.captive-portal-service.enabled": false,
    "network.connectivity-service.enabled": false,
    "network.trr.mode": 5,
    "network.dns.disablePrefetch": true,
    "network.prefetch-next": false,
    "network.predictor.enabled": false,
    "network.http.speculative-parallel-limit": 0,
    "dom.push.connection.enabled": false,
    "dom.push.serverURL": "",
    "browser.region.network.url": "",
    "browser.region.update.enabled": false,
    "browser.search.geoSpecificDefaults": false,
    "geo.provider.network.url": "",
    "services.settings.server": "data:,#remote-settings-off",
    "security.remote_settings.crlite_filters.enabled": false,
    "security.remote_settings.intermediates.enabled": false,
    "security.OCSP.enabled": 0,
    "extensions.blocklist.enabled": false,
    "extensions.systemAddon.update.enabled": false,
    "extensions.systemAddon.update.url": "",
    "extensions.update.enabled": false,
    "extensions.getAddons.cache.enabled": false,
    "media.gmp-manager.url": "",
    "media.gmp-manager.updateEnabled": false,
    "media.gmp-gmpopenh264.enabled": false,
    "app.update.disabledForTesting": true,
    "app.normandy.enabled": false,
    "app.normandy.api_url": "",
    "app.shield.optoutstudies.enabled": false,
    "messaging-system.rsexperimentloader.enabled": false,
    "toolkit.telemetry.enabled": false,
    "toolkit.telemetry.server": "",
    "toolkit.telemetry.unified": false,
    "datareporting.healthreport.uploadEnabled": false,
    "datareporting.policy.dataSubmissionEnabled": false,
    "browser.ping-centre.telemetry": false,
    "browser.newtabpage.enabled": false,
    "browser.newtabpage.activity-stream.feeds.system.topstories": false,
    "browser.newtabpage.activity-stream.feeds.topsites": false,
    "browser.newtabpage.activity-stream.feeds.telemetry": false,
    "browser.newtabpage.activity-stream.telemetry": false,
    "browser.topsites.contile.enabled": false,
    "browser.safebrowsing.malware.enabled": false,
    "browser.safebrowsing.phishing.enabled": false,
    "browser.safebrowsing.downloads.enabled": false,
    "browser.safebrowsing.downloads.remote.enabled": false,
    "browser.safebrowsing.blockedURIs.enabled": false,
    "browser.safebrowsing.provider.google4.updateURL": "",
    "browser.safebrowsing.provider.google.updateURL": "",
    "browser.safebrowsing.provider.mozilla.updateURL": "",
    "identity.fxaccounts.enabled": false,
    "services.sync.engine.addons": false,
    "browser.translations.enable": false,
    "browser.ml.enable": false,

    // The page's scripts run as they do for a user whose tab is in front.
    "focusmanager.testmode": true,
    // No sessions to restore, no crash pages.
    "browser.sessionstore.resume_from_crash": false,
    "browser.sessionstore.max_resumed_crashes": 0,
};

module.exports = {firefoxPreferences};
