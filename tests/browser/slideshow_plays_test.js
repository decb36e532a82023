// A slideshow built by reelwright-cli plays in Ruffle in headless Chromium: the
// player takes the movie's frame size, the page reports no error, and the stage
// shows each picture, stretched to the frame, on its own frame.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const {after, before, describe, test} = require('node:test');
const {BrowserSession} = require('./harness/browser_session');
const {drawPicture, psnr, runReelwrightCli, stretchPicture} = require('./harness/outside_programs');
const {stopAtFrame} = require('./harness/stop_at_frame');

const WIDTH = 300;
const HEIGHT = 200;
// Smooth pictures that differ in colour, direction and size: two shrink to the
// frame, one grows, one is squeezed one way and stretched the other.
const PICTURES = [
    ['-size', '640x480', 'gradient:red-blue'],
    ['-size', '200x150', 'radial-gradient:yellow-navy'],
    ['-size', '300x300', 'gradient:white-darkgreen', '-rotate', '90'],
    ['-size', '400x100', 'gradient:black-orange'],
];
// The stage against the picture stretched to the frame by ImageMagick. Quality 80
// quantises the lowest frequencies, which hold nearly all of a smooth picture, in
// steps of 4 to 7 levels, so the frame's JPEG itself, decoded by ImageMagick, keeps
// these pictures at 45-49 dB; Ruffle's drawing of it is within 50-65 dB of that
// decoding. 35 dB leaves 10 dB for another decoder's rounding and chroma upsampling
// and another resampler, and lies over 25 dB above the 5-9 dB of a stage that shows
// any other of the pictures.
const MIN_PSNR_DB = 35;

describe('a slideshow in Ruffle', () => {
    let session;
    let movie;
    const references = [];

    before(async () => {
        session = await BrowserSession.open();
        const pictures = PICTURES.map((drawing, index) => {
            const picture = session.workFile(`picture${index + 1}.png`);
            drawPicture(picture, drawing);
            const reference = session.workFile(`reference${index + 1}.png`);
            stretchPicture(picture, WIDTH, HEIGHT, reference);
            references.push(reference);
            return picture;
        });
        const moviePath = session.workFile('SLIDES.SWF');
        runReelwrightCli(['--size', `${WIDTH}x${HEIGHT}`, '-o', moviePath, ...pictures]);
        movie = fs.readFileSync(moviePath);
    });

    after(() => session?.close());

    // The first frame and a later one, each in a movie that stops there. Every
    // frame's shape has the movie's hairline outline, which covers half of each
    // outermost pixel, so the stage is compared inside it.
    for (const frame of [1, 3]) {
        test(
            `frame ${frame} shows picture ${frame} at the frame size, with no error on the page`,
            async (t) => {
                const name = `STOP${frame}.SWF`;
                session.addSiteFile(name, stopAtFrame(movie, frame));
                const player = await session.openPlayer(name);
                try {
                    const {width, height, numFrames, swfVersion} = await player.metadata();
                    assert.deepEqual(
                        {width, height, numFrames, swfVersion},
                        {width: 300, height: 200, numFrames: 4, swfVersion: 3});
                    const box = await player.playerBox();
                    assert.deepEqual(
                        {width: box.width, height: box.height}, {width: 300, height: 200});

                    await player.waitForFrame(frame);
                    const stage = session.workFile(`stage${frame}.png`);
                    await player.screenshotStage(stage);
                    const decibels = psnr(stage, references[frame - 1], {edge: 1});
                    t.diagnostic(
                        `${decibels} dB from picture ${frame}, renderer ${player.renderer}`);
                    assert.ok(
                        decibels >= MIN_PSNR_DB,
                        `the stage of frame ${frame} is ${decibels} dB from picture ${frame}, ` +
                            `below ${MIN_PSNR_DB} dB (renderer ${player.renderer})`);
                    assert.deepEqual(player.consoleErrors, []);
                } finally {
                    await player.close();
                }
            });
    }
});
