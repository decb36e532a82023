// The programs the browser tests make pictures and movies with and measure them
// by: reelwright-cli (the build's own, named by REELWRIGHT_CLI) and ImageMagick.
// Each runs without a shell; a program that fails fails the test with what it said.
'use strict';

const {spawnSync} = require('node:child_process');

const RUN_TIMEOUT_MS = 120000;

// Runs program with args and returns { status, stdout, stderr }; throws unless it
// exits with one of okStatuses.
function runProgram(program, args, okStatuses = [0]) {
    const run = spawnSync(
        program, args,
        {encoding: 'utf8', timeout: RUN_TIMEOUT_MS, stdio: ['ignore', 'pipe', 'pipe']});
    if (run.error) {
        const hint = run.error.code === 'ENOENT' ?
            ' (scripts/setup.sh installs every program the tests use)' :
            '';
        throw new Error(`${program} could not run: ${run.error.message}${hint}`);
    }
    if (!okStatuses.includes(run.status)) {
        throw new Error(
            `${program} ${args.join(' ')} ended with ${run.status ?? run.signal}: ${run.stderr}`);
    }
    return run;
}

// Builds a movie with the reelwright-cli of this build tree.
function runReelwrightCli(args) {
    const cli = process.env.REELWRIGHT_CLI;
    if (!cli) {
        throw new Error('REELWRIGHT_CLI is not set: run the browser tests through ctest');
    }
    return runProgram(cli, ['--quiet', ...args]);
}

// Draws a picture with ImageMagick: drawing is what follows `convert` before the
// output file, e.g. ["-size", "640x480", "gradient:red-blue"].
function drawPicture(file, drawing) { runProgram('convert', [...drawing, file]); }

// The picture stretched to exactly width x height, by ImageMagick.
function stretchPicture(source, width, height, file) {
    runProgram('convert', [source, '-resize', `${width}x${height}!`, '-alpha', 'off', file]);
}

// The size of a picture: { width, height }, by ImageMagick's identify.
function pictureSize(file) {
    const [width, height] =
        runProgram('identify', ['-format', '%w %h', file]).stdout.split(' ').map(Number);
    return {width, height};
}

// The peak signal-to-noise ratio of two pictures of the same size in dB, by
// ImageMagick (Infinity for identical pictures), leaving out `edge` pixels on every
// side. ImageMagick would match a smaller picture against part of a larger one, so
// the sizes are checked first.
function psnr(first, second, {edge = 0} = {}) {
    const firstSize = pictureSize(first);
    const secondSize = pictureSize(second);
    if (firstSize.width !== secondSize.width || firstSize.height !== secondSize.height) {
        throw new Error(
            `${first} is ${firstSize.width}x${firstSize.height} pixels, ` +
            `${second} ${secondSize.width}x${secondSize.height}`);
    }
    const text = runProgram('convert', [
                     first, second, '-shave', `${edge}x${edge}`, '-alpha', 'off', '-metric', 'PSNR',
                     '-compare', '-format', '%[distortion]', 'info:'
                 ]).stdout.trim();
    const value = text === 'inf' ? Infinity : Number.parseFloat(text);
    if (Number.isNaN(value)) {
        throw new Error(`ImageMagick gave "${text}" as the PSNR`);
    }
    return value;
}

module.exports = {
    runProgram,
    runReelwrightCli,
    drawPicture,
    stretchPicture,
    pictureSize,
    psnr
};
