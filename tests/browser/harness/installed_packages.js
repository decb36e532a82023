// The npm packages of the browser tests live in the build tree, where
// install_packages.sh put them (CTest passes the folder in
// REELWRIGHT_BROWSER_PACKAGES), not beside these sources.
'use strict';

const path = require('node:path');
const {createRequire} = require('node:module');

function packagesFolder() {
    const folder = process.env.REELWRIGHT_BROWSER_PACKAGES;
    if (!folder) {
        throw new Error(
            'REELWRIGHT_BROWSER_PACKAGES is not set: run the browser tests with ' +
            '`ctest --test-dir build -L browser`, which installs their npm packages first');
    }
    return folder;
}

// require() of an installed package, e.g. requireInstalled("playwright-core").
function requireInstalled(name) {
    return createRequire(path.join(packagesFolder(), 'package.json'))(name);
}

// The folder of the self-hosted Ruffle (ruffle.js, its core scripts and .wasm modules).
function ruffleFolder() {
    return path.join(packagesFolder(), 'node_modules', '@ruffle-rs', 'ruffle');
}

module.exports = {
    requireInstalled,
    ruffleFolder
};
