// Debian's Chromium, driven by playwright-core: headless, with no network of its
// own (no first-run, sync, component or background traffic, no QUIC) and a new,
// empty profile folder for every launch.
'use strict';

const fs = require('node:fs');
const {requireInstalled} = require('./installed_packages');

const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_FLAGS = [
    '--headless',
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
];
const LAUNCH_TIMEOUT_MS = 60000;

// Launches Chromium with its profile in profileFolder (which must not exist yet, so
// it starts empty). Resolves to a playwright BrowserContext; closing it ends the
// browser. Playwright also kills the browser when this process exits, and Chromium
// ends by itself when its control pipe to this process closes; signals are left to
// the caller (BrowserSession closes its sessions on them).
async function launchChromium(profileFolder) {
    if (!fs.existsSync(CHROMIUM)) {
        throw new Error(`${CHROMIUM} is missing: scripts/setup.sh installs Debian's chromium`);
    }
    if (fs.existsSync(profileFolder)) {
        throw new Error(`the profile folder ${profileFolder} exists already`);
    }
    const {chromium} = requireInstalled('playwright-core');
    return chromium.launchPersistentContext(profileFolder, {
        executablePath: CHROMIUM,
        headless: true,
        args: CHROMIUM_FLAGS,
        timeout: LAUNCH_TIMEOUT_MS,
        viewport: {width: 1280, height: 960},
        deviceScaleFactor: 1,
        handleSIGINT: false,
        handleSIGTERM: false,
        handleSIGHUP: false,
    });
}

module.exports = {
    launchChromium,
    CHROMIUM_FLAGS
};
