// One page playing a movie in Ruffle: what the page reports as an error on its
// console (and every uncaught script error), the requests that failed, the renderer
// Ruffle chose, the player element, and the stage's pixels at a chosen frame.
'use strict';

const {FRAME_COMMAND} = require('./stop_at_frame');

const WAIT_TIMEOUT_MS = 30000;

// Runs in the page before its own scripts: every Ruffle player that appears records
// the frames the movie's stop actions report in window.reelwrightFramesReached.
// Ruffle passes fscommand calls on only where the page allows script access.
function reportStopFrames(frameCommand) {
    window.reelwrightFramesReached = [];
    new MutationObserver(() => {
        for (const player of document.querySelectorAll('ruffle-player')) {
            player.onFSCommand = (command, argument) => {
                if (command === frameCommand) {
                    window.reelwrightFramesReached.push(Number(argument));
                }
                return true;
            };
        }
    }).observe(document, {childList: true, subtree: true});
}

class PlayerPage {
    constructor(page) {
        this.page = page;
        this.consoleErrors = [];
        // Kept apart from the console errors: Chromium reports Ruffle's WebAssembly
        // module as an aborted request although it arrives whole and runs (the
        // server's log shows it served); a missing file shows as a console error too.
        this.failedRequests = [];
        this.renderer = null;
        page.on('console', (message) => {
            if (message.type() === 'error') {
                this.consoleErrors.push(message.text());
            }
            const used = /Used renderer: ([\w-]+)/.exec(message.text());
            if (used) {
                this.renderer = used[1];
            }
        });
        page.on('pageerror', (error) => this.consoleErrors.push(`script error: ${error.message}`));
        page.on(
            'requestfailed',
            (request) =>
                this.failedRequests.push(`${request.url()} (${request.failure().errorText})`));
    }

    // Opens `address` in a new page of the browser context and waits until Ruffle's
    // player element is there and has read the movie's header. Resolves to the
    // PlayerPage.
    static async open(context, address) {
        const playerPage = new PlayerPage(await context.newPage());
        await playerPage.page.addInitScript(reportStopFrames, FRAME_COMMAND);
        await playerPage.page.goto(address);
        await playerPage.page.locator('ruffle-player').waitFor({timeout: WAIT_TIMEOUT_MS});
        await playerPage.page.waitForFunction(
            () => document.querySelector('ruffle-player')?.ruffle?.().metadata, null,
            {timeout: WAIT_TIMEOUT_MS});
        return playerPage;
    }

    // What Ruffle read from the movie's header: width, height, frameRate, numFrames,
    // swfVersion, backgroundColor, ...
    metadata() {
        return this.page.evaluate(
            () => ({...document.querySelector('ruffle-player').ruffle().metadata}));
    }

    // The player element's box on the page: { x, y, width, height } in CSS pixels.
    playerBox() { return this.page.locator('ruffle-player').boundingBox(); }

    // Waits until the movie stopped on `frame` (see stop_at_frame.js) and Ruffle has
    // drawn it: its stop action reports the frame while the frame runs, and the
    // player draws the stage on its next animation frame, so two animation frames
    // later the stage shows it for good.
    async waitForFrame(frame) {
        await this.page.waitForFunction(
            (wanted) => window.reelwrightFramesReached.includes(wanted), frame,
            {timeout: WAIT_TIMEOUT_MS});
        await this.page.evaluate(
            () => new Promise(
                (resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    }

    // Saves the stage (the player element's box) as a PNG file.
    async screenshotStage(file) {
        const box = await this.playerBox();
        await this.page.screenshot({path: file, clip: box});
    }

    close() { return this.page.close(); }
}

module.exports = {PlayerPage};
