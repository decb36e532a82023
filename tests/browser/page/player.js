// The browser tests' own page: plays the movie named by ?movie=NAME (beside the page)
// with the Ruffle copy in ruffle/, at the movie's frame size as Ruffle reads it from
// the movie's header, or at that size times SCALE with &scale=SCALE.
'use strict';

window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = {
    // Play at once, with nothing laid over the stage: no splash screen, no "click to
    // unmute" overlay, no letterbox bars, no right-click menu.
    autoplay: 'on',
    splashScreen: false,
    unmuteOverlay: 'hidden',
    letterbox: 'off',
    contextMenu: 'off',
    warnOnUnsupportedContent: false,
    // Only the player this page makes; fscommand calls reach the page (the tests'
    // movies report the frame they stopped on through one).
    polyfills: false,
    allowScriptAccess: true,
};

window.addEventListener('DOMContentLoaded', () => {
    const parameters = new URLSearchParams(window.location.search);
    const movie = parameters.get('movie');
    const scale = Number(parameters.get('scale') ?? 1);
    const player = window.RufflePlayer.newest().createPlayer();
    player.addEventListener('loadedmetadata', () => {
        const {width, height} = player.ruffle().metadata;
        player.style.width = `${width * scale}px`;
        player.style.height = `${height * scale}px`;
    });
    document.getElementById('stage').appendChild(player);
    player.ruffle()
        .load({url: movie})
        .catch((error) => console.error(`the movie did not load: ${error}`));
});
