// One movie made of a picture of every format reelwright-cli reads plays in Ruffle:
// each frame's stage shows its picture stretched to the frame, whatever the format
// it came from (BMP, GIF, ICO, JPEG, PNG, TGA, WebP, HEIC, AVIF).
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const {after, before, describe, test} = require('node:test');
const {BrowserSession} = require('./harness/browser_session');
const {drawPicture, psnr, runProgram, runReelwrightCli, stretchPicture} =
    require('./harness/outside_programs');
const {stopAtFrame} = require('./harness/stop_at_frame');

const WIDTH = 240;
const HEIGHT = 180;
// Each picture is drawn as a PNG master by ImageMagick, then written in its format by
// the encoder named (MASTER and FILE stand for the two paths). TGA comes from ffmpeg,
// since ImageMagick marks its TGA files bottom-up yet stores them top row first; the
// GIF's gradient has fewer than 256 colours, so its palette keeps it whole.
const CONVERT = ['convert', 'MASTER', '-type', 'TrueColor', 'FILE'];
const PICTURES = [
    ['one.bmp', ['-size', '320x240', 'gradient:red-blue'], CONVERT],
    ['two.gif', ['-size', '120x90', 'gradient:green-white'], ['convert', 'MASTER', 'FILE']],
    ['three.ico', ['-size', '48x48', 'gradient:purple-yellow'], ['convert', 'MASTER', 'FILE']],
    ['four.jpg', ['-size', '200x150', 'radial-gradient:yellow-navy'], CONVERT],
    ['five.png', ['-size', '300x300', 'gradient:white-darkgreen', '-rotate', '90'], CONVERT],
    [
        'six.tga', ['-size', '400x100', 'gradient:black-orange'],
        ['ffmpeg', '-v', 'error', '-i', 'MASTER', '-pix_fmt', 'bgr24', 'FILE']
    ],
    [
        'seven.webp', ['-size', '640x480', 'radial-gradient:orange-blue'],
        ['cwebp', '-quiet', '-q', '90', 'MASTER', '-o', 'FILE']
    ],
    [
        'eight.heic', ['-size', '500x300', 'gradient:cyan-maroon'],
        ['heif-enc', '-q', '90', 'MASTER', '-o', 'FILE']
    ],
    [
        'nine.avif', ['-size', '300x500', 'gradient:pink-darkblue'],
        ['avifenc', '--jobs', '1', 'MASTER', 'FILE']
    ],
];
// As in slideshow_plays_test.js: these smooth pictures come through quality 80 at
// 45-49 dB and Ruffle draws that JPEG within 50-65 dB of ImageMagick's decoding; the
// lossy WebP, HEIC and AVIF encodings at quality 90 cost these gradients little
// more (42-50 dB measured). A stage showing another of these pictures is at most
// 13 dB from this one.
const MIN_PSNR_DB = 35;

describe('a movie of every picture format in Ruffle', () => {
    let session;
    let movie;
    const references = [];

    before(async () => {
        session = await BrowserSession.open();
        const pictures = PICTURES.map(([name, drawing, encoder]) => {
            const master = session.workFile(`${name}.master.png`);
            drawPicture(master, drawing);
            const file = session.workFile(name);
            const [program, ...args] = encoder.map(
                (arg) =>
                    (arg === 'MASTER'   ? master :
                         arg === 'FILE' ? file :
                                          arg));
            runProgram(program, args);
            const reference = session.workFile(`${name}.reference.png`);
            stretchPicture(master, WIDTH, HEIGHT, reference);
            references.push(reference);
            return file;
        });
        const moviePath = session.workFile('FORMATS.SWF');
        runReelwrightCli(
            ['--strict', '--size', `${WIDTH}x${HEIGHT}`, '-o', moviePath, ...pictures]);
        movie = fs.readFileSync(moviePath);
    });

    after(() => session?.close());

    PICTURES.forEach(([name], index) => {
        const frame = index + 1;
        test(`frame ${frame} shows ${name} stretched to the frame`, async (t) => {
            const stopped = `STOP${frame}.SWF`;
            session.addSiteFile(stopped, stopAtFrame(movie, frame));
            const player = await session.openPlayer(stopped);
            try {
                const {width, height, numFrames} = await player.metadata();
                assert.deepEqual(
                    {width, height, numFrames}, {width: 240, height: 180, numFrames: 9});
                await player.waitForFrame(frame);
                const stage = session.workFile(`stage${frame}.png`);
                await player.screenshotStage(stage);
                const decibels = psnr(stage, references[index], {edge: 1});
                t.diagnostic(`${decibels} dB from ${name}, renderer ${player.renderer}`);
                assert.ok(
                    decibels >= MIN_PSNR_DB,
                    `the stage of frame ${frame} is ${decibels} dB from ${name}, ` +
                        `below ${MIN_PSNR_DB} dB`);
                assert.deepEqual(player.consoleErrors, []);
            } finally {
                await player.close();
            }
        });
    });
});
