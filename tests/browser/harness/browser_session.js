// What a browser test works in: a scratch folder, a static server for its site/
// part (holding the harness page and a link to the Ruffle copy), and Chromium with
// a new profile. close() undoes all of it; so does the end of the process, by an
// error, an exit or SIGINT, SIGTERM or SIGHUP.
//
//     const session = await BrowserSession.open();
//     try {
//         session.addSiteFile("MOVIE.SWF", bytes);
//         const player = await session.openPlayer("MOVIE.SWF");
//         ...
//     } finally {
//         await session.close();
//     }
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {launchChromium} = require('./chromium');
const {ruffleFolder} = require('./installed_packages');
const {PlayerPage} = require('./player_page');
const {startStaticServer} = require('./static_server');

const FOLDER_PREFIX = 'reelwright-browser-';
const PAGE_FOLDER = path.join(__dirname, '..', 'page');
const PAGE_FILES = ['player.html', 'player.css', 'player.js'];
const SIGNAL_NUMBERS = {
    SIGHUP: 1,
    SIGINT: 2,
    SIGTERM: 15
};

const openSessions = new Set();

function removeFolder(folder) { fs.rmSync(folder, {recursive: true, force: true, maxRetries: 5}); }

function processIsAlive(pid) {
    try {
        process.kill(pid, 0);
        return true;
    } catch (error) {
        return error.code === 'EPERM';
    }
}

// A run killed outright (SIGKILL, as CTest ends a test past its timeout) cannot
// clean up; its browser ends with it, and the next run removes its folder, which
// is named after its process.
function removeFoldersOfEndedRuns() {
    for (const name of fs.readdirSync(os.tmpdir())) {
        const owner = new RegExp(`^${FOLDER_PREFIX}(\\d+)-`).exec(name);
        if (owner && !processIsAlive(Number(owner[1]))) {
            removeFolder(path.join(os.tmpdir(), name));
        }
    }
}

// A process that ends while sessions are open still leaves no folder behind;
// playwright kills the browser of each at exit.
process.on('exit', () => {
    for (const session of openSessions) {
        removeFolder(session.root);
    }
});
for (const [signal, number] of Object.entries(SIGNAL_NUMBERS)) {
    process.on(signal, () => {
        Promise.allSettled([...openSessions].map((session) => session.close()))
            .finally(() => process.exit(128 + number));
    });
}

class BrowserSession {
    constructor(root) {
        this.root = root;
        this.siteFolder = path.join(root, 'site');
        this.workFolder = path.join(root, 'work');
        this.server = null;
        this.context = null;
    }

    static async open() {
        removeFoldersOfEndedRuns();
        const session = new BrowserSession(
            fs.mkdtempSync(path.join(os.tmpdir(), `${FOLDER_PREFIX}${process.pid}-`)));
        openSessions.add(session);
        try {
            fs.mkdirSync(session.siteFolder);
            fs.mkdirSync(session.workFolder);
            for (const name of PAGE_FILES) {
                fs.copyFileSync(path.join(PAGE_FOLDER, name), path.join(session.siteFolder, name));
            }
            fs.symlinkSync(ruffleFolder(), path.join(session.siteFolder, 'ruffle'));
            session.server = await startStaticServer(session.siteFolder);
            session.context = await launchChromium(path.join(session.root, 'profile'));
        } catch (error) {
            await session.close();
            throw error;
        }
        return session;
    }

    // The address of the served site, ending in "/".
    get url() { return this.server.url; }

    // A path in the test's own part of the scratch folder, which is not served.
    workFile(name) { return path.join(this.workFolder, name); }

    // Puts a file (bytes or the path of a file to copy) into the served site.
    addSiteFile(name, bytesOrPath) {
        const target = path.join(this.siteFolder, name);
        if (Buffer.isBuffer(bytesOrPath)) {
            fs.writeFileSync(target, bytesOrPath);
        } else {
            fs.copyFileSync(bytesOrPath, target);
        }
        return target;
    }

    // Opens the harness page playing the site's movie `name`, at its frame size times
    // `scale`, and waits for the player (see PlayerPage.open).
    openPlayer(name, {scale = 1} = {}) {
        return PlayerPage.open(
            this.context,
            `${this.url}player.html?movie=${encodeURIComponent(name)}&scale=${scale}`);
    }

    // Opens any page of the site, e.g. one the product wrote, the same way.
    openPage(relativeAddress) { return PlayerPage.open(this.context, this.url + relativeAddress); }

    async close() {
        if (!openSessions.delete(this)) {
            return;
        }
        try {
            await this.context?.close();
        } finally {
            await this.server?.close();
            removeFolder(this.root);
        }
    }
}

module.exports = {BrowserSession};
