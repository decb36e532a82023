// Movies made with the photo options play in Ruffle as the options say: a picture
// contained in a frame of another shape stands centred on borders of the background
// colour, a photo stored sideways with its EXIF orientation stands upright, and a
// frame of quality 1 (16-bit quantisation tables) is drawn as its JPEG decodes.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const {after, before, describe, test} = require('node:test');
const {BrowserSession} = require('./harness/browser_session');
const {drawPicture, psnr, runProgram, runReelwrightCli} = require('./harness/outside_programs');
const {stopAtFrame} = require('./harness/stop_at_frame');

const WIDTH = 300;
const HEIGHT = 200;
// As in slideshow_plays_test.js: smooth pictures keep 45-49 dB through the frame's
// JPEG and Ruffle's drawing; another picture is 5-9 dB away.
const MIN_PSNR_DB = 35;
// A contained picture's borders are a sharp step of colour, whose chroma bleeds a row
// or two across it in any JPEG decoder: the frame's own JPEG, decoded by ImageMagick,
// is 35.9 dB from the reference. The picture one row off its place would be 26.9 dB
// away, stretched over the frame instead 9.7 dB; 32 dB lies between.
const MIN_CONTAINED_PSNR_DB = 32;
// Red grows to the right and green downwards: a picture turned or placed wrong is
// far from it.
const RAMPS = [
    'xc:', '-channel', 'R', '-fx', 'i/w', '-channel', 'G', '-fx', 'j/h', '-channel', 'B', '-fx',
    '0.4', '+channel'
];

// The JPEG with an EXIF block after its start-of-image marker whose first directory
// holds one entry, Orientation (a short, big-endian), as a camera writes it.
function withExifOrientation(jpeg, orientation) {
    const tiff = Buffer.alloc(8 + 2 + 12 + 4);
    tiff.write('MM', 0, 'latin1');
    tiff.writeUInt16BE(42, 2);
    tiff.writeUInt32BE(8, 4);
    tiff.writeUInt16BE(1, 8);  // one entry
    tiff.writeUInt16BE(0x0112, 10);
    tiff.writeUInt16BE(3, 12);  // SHORT
    tiff.writeUInt32BE(1, 14);
    tiff.writeUInt16BE(orientation, 18);
    const body = Buffer.concat([Buffer.from('Exif\0\0', 'latin1'), tiff]);
    const header = Buffer.from([0xFF, 0xE1, 0, 0]);
    header.writeUInt16BE(body.length + 2, 2);
    return Buffer.concat([jpeg.subarray(0, 2), header, body, jpeg.subarray(2)]);
}

describe('movies made with the photo options in Ruffle', () => {
    let session;

    before(async () => {
        session = await BrowserSession.open();
    });
    after(() => session?.close());

    // Builds a one-picture movie of width x height with `options`, plays it to its
    // first frame and returns the stage's PSNR against `reference`, with no error on
    // the page.
    async function stageAgainst(
        name, pictures, options, reference, t, {width = WIDTH, height = HEIGHT} = {}) {
        const movie = session.workFile(`${name}.SWF`);
        runReelwrightCli(['--size', `${width}x${height}`, ...options, '-o', movie, ...pictures]);
        session.addSiteFile(`${name}.SWF`, stopAtFrame(fs.readFileSync(movie), 1));
        const player = await session.openPlayer(`${name}.SWF`);
        try {
            const box = await player.playerBox();
            assert.deepEqual({width: box.width, height: box.height}, {width, height});
            await player.waitForFrame(1);
            const stage = session.workFile(`${name}-stage.png`);
            await player.screenshotStage(stage);
            const decibels = psnr(stage, reference, {edge: 1});
            t.diagnostic(`${decibels} dB, renderer ${player.renderer}`);
            assert.deepEqual(player.consoleErrors, []);
            return decibels;
        } finally {
            await player.close();
        }
    }

    test('a contained picture stands centred on borders of the background colour', async (t) => {
        // 600 x 128 in 300 x 192: 300 x 64 between borders of 64 rows, an even split,
        // where ImageMagick's centring and ours (DESIGN.md) agree to the pixel.
        const picture = session.workFile('wide.png');
        drawPicture(picture, ['-size', '600x128', ...RAMPS]);
        const reference = session.workFile('contained.png');
        runProgram('convert', [
            picture, '-resize', '300x192', '-background', '#3366CC', '-gravity', 'center',
            '-extent', '300x192', reference
        ]);
        const decibels = await stageAgainst(
            'CONTAIN', [picture], ['--fit', 'contain', '--background', '3366CC'], reference, t,
            {width: 300, height: 192});
        assert.ok(
            decibels >= MIN_CONTAINED_PSNR_DB, `the stage is ${decibels} dB from the reference`);
    });

    test('a photo stored sideways stands upright', async (t) => {
        // The photo as seen: the reference. Stored a quarter turn anticlockwise, with
        // orientation 6 (turn it clockwise to see it).
        const upright = session.workFile('upright.png');
        drawPicture(upright, ['-size', `${WIDTH}x${HEIGHT}`, ...RAMPS]);
        const stored = session.workFile('stored.jpg');
        runProgram('convert', [upright, '-rotate', '270', '-quality', '95', stored]);
        const photo = session.workFile('photo.jpg');
        fs.writeFileSync(photo, withExifOrientation(fs.readFileSync(stored), 6));
        const decibels = await stageAgainst('UPRIGHT', [photo], ['--upright'], upright, t);
        assert.ok(decibels >= MIN_PSNR_DB, `the stage is ${decibels} dB from the upright photo`);
    });

    test('a frame of quality 1 is drawn as its JPEG decodes', async (t) => {
        const picture = session.workFile('ramps.png');
        drawPicture(picture, ['-size', `${WIDTH}x${HEIGHT}`, ...RAMPS]);
        const movie = session.workFile('Q1.SWF');
        runReelwrightCli(['--size', `${WIDTH}x${HEIGHT}`, '--quality', '1', '-o', movie, picture]);
        // The frame's JPEG as stored in the movie, decoded by ImageMagick.
        const frame = session.workFile('q1-frame.jpg');
        runProgram(
            'ffmpeg', ['-v', 'error', '-y', '-i', movie, '-c', 'copy', '-f', 'image2', frame]);
        const reference = session.workFile('q1-frame.png');
        runProgram('convert', [frame, reference]);
        const decibels = await stageAgainst('Q1', [picture], ['--quality', '1'], reference, t);
        assert.ok(decibels >= MIN_PSNR_DB, `the stage is ${decibels} dB from the frame's JPEG`);
    });
});
