// Makes "the stage at frame k" a fixed moment rather than a race with the frame
// rate: a copy of the movie gets, on frame k, a DoAction that stops the timeline
// and tells the page it got there. The actions are the two a version-3 movie may
// carry: Stop (0x07) and GetURL (0x83) of "FSCommand:reelwright-frame" with k as
// its target, which is how fscommand("reelwright-frame", k) is compiled; Ruffle
// hands it to the player element's onFSCommand. Once it has fired, every later
// render of the stage is frame k.
'use strict';

const FRAME_COMMAND = 'reelwright-frame';
const SHOW_FRAME = 1;
const DO_ACTION = 12;

function tagBytes(code, body) {
    if (body.length < 0x3f) {
        const header = Buffer.alloc(2);
        header.writeUInt16LE((code << 6) | body.length);
        return Buffer.concat([header, body]);
    }
    const header = Buffer.alloc(6);
    header.writeUInt16LE((code << 6) | 0x3f);
    header.writeUInt32LE(body.length, 2);
    return Buffer.concat([header, body]);
}

function stopAndReportActions(frame) {
    const strings = Buffer.from(`FSCommand:${FRAME_COMMAND}\0${frame}\0`, 'latin1');
    const getUrl = Buffer.alloc(3);
    getUrl.writeUInt8(0x83);
    getUrl.writeUInt16LE(strings.length, 1);
    return Buffer.concat([Buffer.from([0x07]), getUrl, strings, Buffer.from([0x00])]);
}

// Offset of the first tag: the 8 fixed bytes, the frame RECT (5 bits of field
// width, then four fields of that width, padded to a byte), rate and count.
function firstTagOffset(movie) {
    const bits = movie[8] >> 3;
    return 8 + Math.ceil((5 + 4 * bits) / 8) + 4;
}

// The movie (an uncompressed SWF in a Buffer) with the stop on frame `frame`
// (1 for the first frame). Throws when the movie has fewer frames.
function stopAtFrame(movie, frame) {
    if (movie.length < 21 || movie.toString('latin1', 0, 3) !== 'FWS') {
        throw new Error('not an uncompressed SWF movie');
    }
    let offset = firstTagOffset(movie);
    let framesSeen = 0;
    while (offset + 2 <= movie.length) {
        const codeAndLength = movie.readUInt16LE(offset);
        const code = codeAndLength >> 6;
        let length = codeAndLength & 0x3f;
        let headerLength = 2;
        if (length === 0x3f) {
            length = movie.readUInt32LE(offset + 2);
            headerLength = 6;
        }
        if (code === SHOW_FRAME && ++framesSeen === frame) {
            const action = tagBytes(DO_ACTION, stopAndReportActions(frame));
            const stopped =
                Buffer.concat([movie.subarray(0, offset), action, movie.subarray(offset)]);
            stopped.writeUInt32LE(stopped.length, 4);
            return stopped;
        }
        if (code === 0) {
            break;
        }
        offset += headerLength + length;
    }
    throw new Error(`the movie has ${framesSeen} frames, so no frame ${frame}`);
}

module.exports = {
    stopAtFrame,
    FRAME_COMMAND
};
