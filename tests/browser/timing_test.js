// A slideshow with seconds per picture and crossfades plays in Ruffle as the movie
// says: a frame in the middle of a fade shows the two pictures blended half and half,
// a held frame shows the picture alone, and a movie that stops at its end stays on
// its last picture.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const {after, before, describe, test} = require('node:test');
const {BrowserSession} = require('./harness/browser_session');
const {drawPicture, psnr, runProgram, runReelwrightCli} = require('./harness/outside_programs');
const {stopAtFrame} = require('./harness/stop_at_frame');

const WIDTH = 300;
const HEIGHT = 200;
// 0.5 s a picture at 10 fps is 5 frames; a 0.4 s crossfade takes 4 of them, with
// alphas 64, 128, 192 and 256 of 256. The second picture's frames are 6 to 10: frame 7
// is the fade's middle (alpha 128, an even blend), frame 10 a bare ShowFrame holding
// it, frame 3 one holding the first.
const TIMING = ['--rate', '10', '--seconds', '0.5', '--crossfade', '0.4'];
const MID_FADE_FRAME = 7;
// The references are made from the frames' own JPEGs, so what is left is Ruffle's
// drawing of a JPEG (50-65 dB, as in slideshow_plays_test.js) and, in the fade, its
// rounding of the blend: the middle of the fade measures 51 dB from the blend, the
// held frames 55 dB from their pictures. Either picture alone is 10 dB from the
// blend, and a stage one fade frame off (alpha 64 or 192) half as far, about 16 dB.
// 35 dB lies between, with room for another renderer's rounding.
const MIN_PSNR_DB = 35;
// Two smooth pictures far apart in every channel: ramps, and the same ramps turned
// half round with blue at 0.9 instead of 0.2.
const FIRST = [
    '-size', `${WIDTH}x${HEIGHT}`, 'xc:', '-channel', 'R', '-fx', 'i/w', '-channel', 'G', '-fx',
    'j/h', '-channel', 'B', '-fx', '0.2', '+channel'
];
const SECOND = [...FIRST.slice(0, -3), '-fx', '0.9', '+channel', '-rotate', '180'];

describe('a slideshow with timings in Ruffle', () => {
    let session;
    let movie;
    // The frames' JPEGs as stored in the movie, decoded by ImageMagick.
    let firstJpeg;
    let secondJpeg;

    before(async () => {
        session = await BrowserSession.open();
        const first = session.workFile('first.png');
        const second = session.workFile('second.png');
        drawPicture(first, FIRST);
        drawPicture(second, SECOND);
        movie = session.workFile('TIMED.SWF');
        runReelwrightCli([
            '--size', `${WIDTH}x${HEIGHT}`, ...TIMING, '--stop-at-end', '-o', movie, first, second
        ]);
        runProgram('ffmpeg', [
            '-v', 'error', '-y', '-i', movie, '-c', 'copy', '-f', 'image2',
            session.workFile('jpeg%d.jpg')
        ]);
        firstJpeg = session.workFile('first-jpeg.png');
        secondJpeg = session.workFile('second-jpeg.png');
        runProgram('convert', [session.workFile('jpeg1.jpg'), firstJpeg]);
        runProgram('convert', [session.workFile('jpeg2.jpg'), secondJpeg]);
    });
    after(() => session?.close());

    // The stage at frame k against each reference, in dB.
    async function stageAt(k, references, t) {
        const name = `STOP${k}.SWF`;
        session.addSiteFile(name, stopAtFrame(fs.readFileSync(movie), k));
        const player = await session.openPlayer(name);
        try {
            await player.waitForFrame(k);
            const stage = session.workFile(`stage${k}.png`);
            await player.screenshotStage(stage);
            assert.deepEqual(player.consoleErrors, []);
            const decibels = references.map((reference) => psnr(stage, reference, {edge: 1}));
            t.diagnostic(`frame ${k}: ${decibels.join(' / ')} dB, renderer ${player.renderer}`);
            return decibels;
        } finally {
            await player.close();
        }
    }

    test('the middle of a fade is the even blend of the two pictures', async (t) => {
        // ImageMagick's mean of the two decoded JPEGs, independent of our code.
        const blend = session.workFile('blend.png');
        runProgram('convert', [firstJpeg, secondJpeg, '-evaluate-sequence', 'mean', blend]);
        const [toBlend, toFirst, toSecond] =
            await stageAt(MID_FADE_FRAME, [blend, firstJpeg, secondJpeg], t);
        assert.ok(toBlend >= MIN_PSNR_DB, `the stage is ${toBlend} dB from the blend`);
        assert.ok(toFirst < MIN_PSNR_DB && toSecond < MIN_PSNR_DB, 'a picture shown alone');
    });

    test('held frames show the picture alone', async (t) => {
        const [first] = await stageAt(3, [firstJpeg], t);
        assert.ok(first >= MIN_PSNR_DB, `frame 3 is ${first} dB from the first picture`);
        const [second] = await stageAt(10, [secondJpeg], t);
        assert.ok(second >= MIN_PSNR_DB, `frame 10 is ${second} dB from the second picture`);
    });

    test('ffmpeg reads one picture per bitmap, and the movie stops on its last frame', () => {
        assert.ok(fs.existsSync(session.workFile('jpeg2.jpg')));
        assert.ok(!fs.existsSync(session.workFile('jpeg3.jpg')));
        // The last ShowFrame (40 00) before the End tag (00 00) follows a DoAction
        // holding Stop: 3F 03, length 2, 07 00.
        const bytes = fs.readFileSync(movie);
        assert.deepEqual(
            [...bytes.subarray(bytes.length - 12)],
            [0x3F, 0x03, 0x02, 0, 0, 0, 0x07, 0x00, 0x40, 0x00, 0x00, 0x00]);
    });
});
