// The page side of the web backend (an Emscripten JavaScript library): the canvas, the
// keys, the title, the error box, the debugger output, the music, the downloads, the
// player bar with the system's media controls, and taps on a touch screen. Each browser*
// function is called from web_platform.cpp; the page itself is index.html.
var pageSideLibrary = {
  $PageSide: {
    // The message types of the platform interface, in its order.
    KEY_UP: 0,
    CLOSE: 1,
    SEEK_TO: 3,
    RETURNED: 4,
    // The demo's key codes that the player bar and the media keys send.
    PLAYER_KEYS: {pause: 80, back: 37, forward: 39, previous: 38, next: 40},

    canvas: null,
    context: null,
    messages: [],
    keysDown: {},
    shiftHeld: false,
    fullScreen: false,
    wasFullScreen: false,
    running: false,
    debugLine: '',
    music: null,
    seekTimes: [],
    leavingFullScreen: false,  // the bar's own button leaves full screen: the show goes on
    volume: 1,
    muted: false,
    // Where the show is, as the program said last (see browserShowPosition).
    position: {seconds: 0, length: 0, scene: 0, paused: false},
    chapters: [],
    // Where the default show flashes, [from, to] in show seconds: the build's flash report.
    flashSpans: [],
    // Since when the browser has held the sound back while the show wants it (0: it has
    // not).
    soundHeldSince: 0,

    // The demo's key codes (the Windows virtual-key codes) for the keys it acts on.
    keyCodes: {
      'Escape': 27, ' ': 32, 's': 83, 'S': 83, 'p': 80, 'P': 80,
      'ArrowLeft': 37, 'ArrowUp': 38, 'ArrowRight': 39, 'ArrowDown': 40,
      'PageUp': 33, 'PageDown': 34, 'Home': 36, ',': 188, '.': 190,
    },
    keyCode: function(event) {
      if (event.ctrlKey || event.altKey || event.metaKey) return 0;  // the browser's own
      if (/^[1-9]$/.test(event.key)) return 48 + Number(event.key);
      return PageSide.keyCodes[event.key] || 0;
    },

    // A key that a control of the bar takes for itself: Space and Enter press a button,
    // the arrows and the like move the volume slider.
    keyForControl: function(event) {
      var target = event.target;
      if (!target || !target.closest || !target.closest('#player')) return false;
      if (target.tagName === 'BUTTON') return event.key === ' ' || event.key === 'Enter';
      if (target.tagName === 'INPUT') return event.key !== 'Escape';
      return false;
    },

    onKeyDown: function(event) {
      if (event.key === 'Shift') PageSide.shiftHeld = true;
      if (PageSide.keyForControl(event)) return;
      var code = PageSide.keyCode(event);
      if (!code) return;
      event.preventDefault();  // Space would scroll the page
      PageSide.keysDown[code] = true;
    },

    // Keys act on release, as on the desktop. A key pressed before the show opened (the
    // one that answered "Window Mode?") is not released into it.
    onKeyUp: function(event) {
      if (event.key === 'Shift') PageSide.shiftHeld = false;
      if (PageSide.keyForControl(event)) return;
      var code = PageSide.keyCode(event);
      if (!code || !PageSide.keysDown[code]) return;
      event.preventDefault();
      PageSide.keysDown[code] = false;
      PageSide.messages.push(PageSide.KEY_UP * 256 + code);
    },

    onBlur: function() {
      PageSide.shiftHeld = false;
    },

    // Leaving full screen (the browser's own Escape, or any other way) closes the show,
    // as closing the window does on the desktop.
    onFullScreenChange: function() {
      if (document.fullscreenElement) {
        PageSide.wasFullScreen = true;
      } else if (PageSide.leavingFullScreen) {
        // The bar's button: the show plays on in the page from now on.
        PageSide.leavingFullScreen = false;
        PageSide.wasFullScreen = false;
        PageSide.fullScreen = false;
      } else if (PageSide.fullScreen && PageSide.wasFullScreen) {
        PageSide.wasFullScreen = false;
        PageSide.messages.push(PageSide.CLOSE * 256);
      }
      PageSide.player.update();
    },

    // Back from the background, where the browser ran no animation frames but the music
    // played on: the picture catches up with the music at the next pass.
    onVisibilityChange: function() {
      if (document.visibilityState !== 'visible') return;
      PageSide.messages.push(PageSide.RETURNED * 256);
      PageSide.resumeSound();
    },

    // ---- Sound the browser holds back ----
    // A phone locked or a page hidden may leave the audio context suspended (Safari calls
    // it interrupted), and only a tap or a key press may resume it: the page asks at every
    // such gesture, and says "Tap for sound" while the sound stays away.

    // The show plays and wants its music, unmuted.
    soundWanted: function() {
      var music = PageSide.music;
      return !!(music && music.playFrom && !music.stopped && !PageSide.muted &&
                !PageSide.position.paused);
    },

    soundRunning: function() {
      var context = Module.audioContext;
      return !!context && context.state === 'running';
    },

    resumeSound: function() {
      var context = Module.audioContext;
      if (context && context.state !== 'running' && context.state !== 'closed')
        context.resume().catch(function() {});
    },

    // The context has stopped or started again. Started, the music starts again at the
    // show's place: while the context stood still, its clock did too, and the picture
    // went on.
    onSoundStateChange: function() {
      var context = Module.audioContext;
      var music = PageSide.music;
      if (context && context.state === 'running' && music && music.playFrom) {
        PageSide.stopMusicSource();
        music.playFrom = {seconds: PageSide.position.seconds, asked: context.currentTime};
        PageSide.startMusicIfDue();
      }
      PageSide.player.update();
    },

    listen: function(on) {
      var method = on ? 'addEventListener' : 'removeEventListener';
      window[method]('keydown', PageSide.onKeyDown);
      window[method]('keyup', PageSide.onKeyUp);
      window[method]('blur', PageSide.onBlur);
      document[method]('fullscreenchange', PageSide.onFullScreenChange);
      document[method]('visibilitychange', PageSide.onVisibilityChange);
      // Any tap, click or key press may let held-back sound go.
      document[method]('pointerup', PageSide.resumeSound);
      document[method]('keydown', PageSide.resumeSound);
      if (Module.audioContext)
        Module.audioContext[method]('statechange', PageSide.onSoundStateChange);
      PageSide.player.listen(on);
    },

    pushKey: function(code) {
      PageSide.messages.push(PageSide.KEY_UP * 256 + code);
    },

    pushSeek: function(seconds) {
      PageSide.seekTimes.push(seconds);
      PageSide.messages.push(PageSide.SEEK_TO * 256);
    },

    // A seek while a finger or the mouse drags along the seek bar: a seek not yet taken
    // by the program moves to the new place instead of queueing one more.
    scrubTo: function(seconds) {
      var messages = PageSide.messages;
      if (messages.length && messages[messages.length - 1] === PageSide.SEEK_TO * 256) {
        PageSide.seekTimes[PageSide.seekTimes.length - 1] = seconds;
      } else {
        PageSide.pushSeek(seconds);
      }
    },

    // "0:06": the whole seconds, as a clock that counts them shows the moment.
    wholeSecondsText: function(seconds) {
      var whole = Math.floor(Math.max(0, seconds));
      return Math.floor(whole / 60) + ':' + String(whole % 60).padStart(2, '0');
    },

    // The flash span the show time lies in, or null.
    flashSpanAt: function(seconds) {
      return PageSide.flashSpans.find(function(span) {
        return seconds >= span[0] && seconds <= span[1];
      }) || null;
    },

    // "1:38.5" (tenths) or "3:04".
    clockText: function(seconds, tenths) {
      seconds = Math.max(0, seconds);
      if (!tenths) {
        var whole = Math.round(seconds);
        return Math.floor(whole / 60) + ':' + String(whole % 60).padStart(2, '0');
      }
      var t = Math.round(seconds * 10);
      return Math.floor(t / 600) + ':' + String(Math.floor(t / 10) % 60).padStart(2, '0') +
             '.' + (t % 10);
    },

    // The player bar under the picture (over it in full screen and on a phone on its
    // side, shown while the pointer moves, after a tap or while a control has the focus),
    // the lines under it, the system's media controls, and taps on the picture.
    player: {
      element: null,
      hideTimer: 0,
      skipTimer: 0,
      linkShown: '',
      mediaTitle: '',
      mediaPositionAt: -10,
      lastTap: null,  // {time, side} of the last tap on the picture
      scrubbing: -1,  // the pointer dragging along the seek bar

      byId: function(id) { return document.getElementById(id); },

      listen: function(on) {
        var bar = PageSide.player.element = PageSide.player.byId('player');
        if (!bar) return;
        var method = on ? 'addEventListener' : 'removeEventListener';
        var p = PageSide.player;
        p.byId('play')[method]('click', p.onPlay);
        p.byId('seek')[method]('pointerdown', p.onSeekPointer);
        p.byId('seek')[method]('pointermove', p.onSeekHover);
        p.byId('seek')[method]('pointerup', p.onSeekRelease);
        p.byId('seek')[method]('pointercancel', p.onSeekRelease);
        p.byId('seek')[method]('pointerleave', p.onSeekLeave);
        p.byId('seek')[method]('keydown', p.onSeekKey);
        p.byId('mute')[method]('click', p.onMute);
        p.byId('volume')[method]('input', p.onVolume);
        p.byId('full-screen')[method]('click', p.onFullScreen);
        p.byId('sound-now')[method]('click', PageSide.resumeSound);
        p.byId('view')[method]('pointerup', p.onPictureTap);
        var stage = document.getElementById('stage');
        stage[method]('pointermove', p.onPointerMove);
        stage[method]('pointerdown', p.onPointerMove);
        bar[method]('focusin', p.onPointerMove);
        bar.hidden = !on;
        // Where the browser has no full screen for a page (an iPhone), the installed page
        // runs standalone instead.
        p.byId('full-screen').hidden = !document.fullscreenEnabled;
        if (on) {
          PageSide.flashSpans = JSON.parse(p.byId('seek-flashes').dataset.spans || '[]');
          p.setUpMediaSession();
        }
        p.update();
      },

      onPlay: function() { PageSide.pushKey(PageSide.PLAYER_KEYS.pause); },

      // A show time from a place on the seek bar; near a scene's mark (a few pixels for
      // the mouse, more for a fingertip), that scene's first frame exactly.
      secondsAt: function(clientX, pointerType) {
        var track = PageSide.player.byId('seek').getBoundingClientRect();
        var length = PageSide.position.length;
        if (!(track.width > 0) || !(length > 0)) return 0;
        var reach = pointerType === 'mouse' ? 4 : 12;
        var x = Math.min(Math.max(clientX - track.left, 0), track.width);
        var nearest = null;
        PageSide.chapters.forEach(function(chapter) {
          var mark = chapter.seconds / length * track.width;
          if (Math.abs(mark - x) <= reach && (!nearest || Math.abs(mark - x) < nearest.distance))
            nearest = {seconds: chapter.seconds, distance: Math.abs(mark - x)};
        });
        return nearest ? nearest.seconds : x / track.width * length;
      },

      // A press on the seek bar goes there; dragging on from it goes along.
      onSeekPointer: function(event) {
        if (event.button !== 0) return;
        event.preventDefault();
        var p = PageSide.player;
        p.scrubbing = event.pointerId;
        if (event.target.setPointerCapture) event.target.setPointerCapture(event.pointerId);
        PageSide.pushSeek(p.secondsAt(event.clientX, event.pointerType));
      },

      onSeekRelease: function(event) {
        if (event.pointerId === PageSide.player.scrubbing) PageSide.player.scrubbing = -1;
      },

      // End goes to the end (Home, as the demo's own key, to the start).
      onSeekKey: function(event) {
        if (event.key !== 'End' || event.ctrlKey || event.altKey || event.metaKey) return;
        event.preventDefault();
        PageSide.pushSeek(PageSide.position.length);
      },

      // The name of the scene under the pointer, over the bar, and whether it flashes
      // there; a drag seeks as it goes.
      onSeekHover: function(event) {
        var p = PageSide.player;
        var seconds = p.secondsAt(event.clientX, event.pointerType);
        if (event.pointerId === p.scrubbing) PageSide.scrubTo(seconds);
        var chapter = null;
        PageSide.chapters.forEach(function(c) { if (c.seconds <= seconds) chapter = c; });
        var label = p.byId('seek-name');
        var track = p.byId('seek').getBoundingClientRect();
        label.textContent = (chapter ? chapter.label + ' \u00b7 ' : '') +
                            PageSide.clockText(seconds, true) +
                            (PageSide.flashSpanAt(seconds) ? ' \u00b7 flashing' : '');
        label.style.left = (event.clientX - track.left) + 'px';
        label.hidden = false;
      },

      onSeekLeave: function() { PageSide.player.byId('seek-name').hidden = true; },

      onMute: function() {
        PageSide.muted = !PageSide.muted;
        PageSide.applyVolume();
        PageSide.player.update();
      },

      onVolume: function(event) {
        PageSide.volume = Number(event.target.value);
        PageSide.muted = PageSide.volume === 0;
        PageSide.applyVolume();
        PageSide.player.update();
      },

      onFullScreen: function() {
        if (document.fullscreenElement) {
          PageSide.leavingFullScreen = true;
          document.exitFullscreen().catch(function() { PageSide.leavingFullScreen = false; });
        } else {
          document.getElementById('stage').requestFullscreen().catch(function() {});
        }
      },

      // A tap on the picture shows the bar. Two quick taps on its left or right third go
      // five seconds back or forward (the Left and Right keys), and each quick tap after
      // them on the same side five more.
      onPictureTap: function(event) {
        if (event.pointerType === 'mouse' || event.target.closest('.box')) return;
        var p = PageSide.player;
        p.onPointerMove();
        var picture = p.byId('view').getBoundingClientRect();
        var third = Math.floor((event.clientX - picture.left) / picture.width * 3);
        var side = third <= 0 ? 'back' : third >= 2 ? 'forward' : '';
        var last = p.lastTap;
        p.lastTap = {time: event.timeStamp, side: side};
        if (!side || !last || last.side !== side || event.timeStamp - last.time > 500) return;
        PageSide.pushKey(PageSide.PLAYER_KEYS[side]);
        p.showSkip(side);
      },

      // "-5 s" or "+5 s" on that side of the picture for a moment.
      showSkip: function(side) {
        var p = PageSide.player;
        var skip = p.byId('skip');
        skip.className = side;
        skip.textContent = side === 'back' ? '\u2212 5 s' : '+ 5 s';
        skip.hidden = false;
        clearTimeout(p.skipTimer);
        p.skipTimer = setTimeout(function() { skip.hidden = true; }, 700);
      },

      // The bar shows while the pointer moves or after a tap, and a while after.
      onPointerMove: function() {
        var p = PageSide.player;
        document.body.classList.add('pointer-moved');
        clearTimeout(p.hideTimer);
        p.hideTimer = setTimeout(function() {
          document.body.classList.remove('pointer-moved');
        }, 2500);
      },

      setUpMediaSession: function() {
        if (!('mediaSession' in navigator)) return;
        var session = navigator.mediaSession;
        var keys = PageSide.PLAYER_KEYS;
        var handlers = {
          play: function() { if (PageSide.position.paused) PageSide.pushKey(keys.pause); },
          pause: function() { if (!PageSide.position.paused) PageSide.pushKey(keys.pause); },
          seekbackward: function() { PageSide.pushKey(PageSide.PLAYER_KEYS.back); },
          seekforward: function() { PageSide.pushKey(PageSide.PLAYER_KEYS.forward); },
          seekto: function(details) { PageSide.pushSeek(details.seekTime); },
          previoustrack: function() { PageSide.pushKey(PageSide.PLAYER_KEYS.previous); },
          nexttrack: function() { PageSide.pushKey(PageSide.PLAYER_KEYS.next); },
        };
        Object.keys(handlers).forEach(function(action) {
          try {
            session.setActionHandler(action, handlers[action]);
          } catch (e) {}  // an action this browser does not know
        });
      },

      updateMediaSession: function(chapter) {
        if (!('mediaSession' in navigator)) return;
        var p = PageSide.player;
        var position = PageSide.position;
        var session = navigator.mediaSession;
        session.playbackState = position.paused ? 'paused' : 'playing';
        if (chapter && chapter.label !== p.mediaTitle && window.MediaMetadata) {
          p.mediaTitle = chapter.label;
          session.metadata = new MediaMetadata({title: chapter.label, artist: 'Dorminax'});
        }
        if (session.setPositionState && position.length > 0 &&
            Math.abs(position.seconds - p.mediaPositionAt) >= 1) {
          p.mediaPositionAt = position.seconds;
          try {
            session.setPositionState({duration: position.length, playbackRate: 1,
                                      position: Math.min(position.seconds, position.length)});
          } catch (e) {}
        }
      },

      // Held, the address is a link to this moment; playing, it is the page's own again.
      updateLink: function() {
        var position = PageSide.position;
        var link = position.paused
            ? '#t=' + String(Math.floor(position.seconds * 1000) / 1000) + '&paused' : '';
        var p = PageSide.player;
        if (link === p.linkShown) return;
        p.linkShown = link;
        history.replaceState(null, '', location.pathname + location.search + link);
      },

      update: function() {
        var p = PageSide.player;
        if (!p.element) return;
        var position = PageSide.position;
        var length = position.length;
        var chapter = PageSide.chapters[position.scene - 1];
        var at = PageSide.clockText(position.seconds, true);
        var total = PageSide.clockText(length, false);
        var play = p.byId('play');
        play.setAttribute('aria-label', position.paused ? 'Play' : 'Pause');
        play.dataset.paused = position.paused ? 'yes' : 'no';
        var seek = p.byId('seek');
        seek.setAttribute('aria-valuemax', String(Math.round(length * 10) / 10));
        seek.setAttribute('aria-valuenow', String(Math.round(position.seconds * 10) / 10));
        seek.setAttribute('aria-valuetext',
                          at + ' of ' + total + (chapter ? ', scene ' + chapter.label : ''));
        var share = length > 0 ? Math.min(position.seconds / length, 1) : 0;
        p.byId('seek-elapsed').style.width = (share * 100) + '%';
        p.byId('time').textContent = at + ' / ' + total;
        var mute = p.byId('mute');
        mute.setAttribute('aria-label', PageSide.muted ? 'Unmute' : 'Mute');
        mute.dataset.muted = PageSide.muted ? 'yes' : 'no';
        p.byId('volume').value = String(PageSide.muted ? 0 : PageSide.volume);
        p.byId('full-screen').setAttribute('aria-label',
            document.fullscreenElement ? 'Leave full screen' : 'Full screen');
        document.body.classList.toggle('held', position.paused);
        p.updateFlashLine();
        p.updateSoundLine();
        p.updateLink();
        p.updateMediaSession(chapter);
      },

      // Under the bar while the show is in a span that flashes and the gentle show is off.
      updateFlashLine: function() {
        var p = PageSide.player;
        var span = PageSide.flashSpanAt(PageSide.position.seconds);
        var text = span && !p.byId('gentle-now').checked
            ? 'Flashing until ' + PageSide.wholeSecondsText(span[1]) +
              ': tick Gentle to soften it'
            : '';
        var line = p.byId('flash-now');
        if (line.textContent !== text) line.textContent = text;
        line.hidden = !text;
      },

      // "Tap for sound" once the browser has held the sound back for more than a moment
      // (a context that comes back by itself in that time needs no word).
      updateSoundLine: function() {
        var held = PageSide.soundWanted() && !PageSide.soundRunning() &&
                   document.visibilityState === 'visible';
        var now = performance.now();
        if (!held) PageSide.soundHeldSince = 0;
        else if (!PageSide.soundHeldSince) PageSide.soundHeldSince = now;
        PageSide.player.byId('sound-now').hidden =
            !held || now - PageSide.soundHeldSince < 600;
      },

      // Where the show flashes, on the seek bar under its track, and in words for screen
      // readers: "flashing: 0:06-0:30, ...".
      placeFlashSpans: function() {
        var p = PageSide.player;
        var band = p.byId('seek-flashes');
        var length = PageSide.position.length;
        band.textContent = '';
        var words = [];
        PageSide.flashSpans.forEach(function(span) {
          if (!(length > 0) || span[0] >= length) return;
          var shown = document.createElement('div');
          shown.className = 'flash-span';
          shown.style.left = (span[0] / length * 100) + '%';
          shown.style.width = ((Math.min(span[1], length) - span[0]) / length * 100) + '%';
          band.appendChild(shown);
          words.push(PageSide.wholeSecondsText(span[0]) + '-' +
                     PageSide.wholeSecondsText(span[1]));
        });
        p.byId('seek-flashes-text').textContent =
            words.length ? 'flashing: ' + words.join(', ') : '';
      },

      // The scenes' marks on the seek bar, each named on hover and a button to its start.
      placeMarks: function() {
        PageSide.player.placeFlashSpans();
        var marks = PageSide.player.byId('seek-marks');
        if (!marks) return;
        marks.textContent = '';
        var length = PageSide.position.length;
        PageSide.chapters.forEach(function(chapter) {
          var mark = document.createElement('button');
          mark.className = 'mark';
          mark.tabIndex = -1;  // the digits reach them from the keyboard
          mark.dataset.name = chapter.label;
          mark.dataset.seconds = String(chapter.seconds);
          mark.setAttribute('aria-label', 'Scene ' + chapter.label);
          mark.style.left = (length > 0 ? chapter.seconds / length * 100 : 0) + '%';
          marks.appendChild(mark);
        });
      },
    },

    // The music's record, its buffer given or still to come, playing through its own gain
    // at the player's volume.
    newMusic: function(context, buffer) {
      var music = PageSide.music = {buffer: buffer, source: null, playFrom: null, stopped: false,
                                    startedAt: null, gain: context.createGain()};
      music.gain.connect(context.destination);
      PageSide.applyVolume();
      return music;
    },

    applyVolume: function() {
      var music = PageSide.music;
      if (music && music.gain) music.gain.gain.value = PageSide.muted ? 0 : PageSide.volume;
    },

    showOutput: function(line) {
      var output = document.getElementById('output');
      if (output) output.textContent = line;
    },

    // Starts the decoded music once the show has asked for it, at the place in the music
    // that the show has reached by then.
    startMusicIfDue: function() {
      var music = PageSide.music;
      if (!music || !music.buffer || !music.playFrom || music.source || music.stopped) return;
      var context = Module.audioContext;
      var offset = music.playFrom.seconds + (context.currentTime - music.playFrom.asked);
      if (offset >= music.buffer.duration) return;
      music.source = context.createBufferSource();
      music.source.buffer = music.buffer;
      music.source.connect(music.gain);
      music.source.start(0, offset);
      music.startedAt = {seconds: offset, time: context.currentTime};
    },

    stopMusicSource: function() {
      var music = PageSide.music;
      if (!music) return;
      if (music.source) music.source.stop();
      music.source = null;
      music.startedAt = null;
    },
  },

  browserOpenCanvas__deps: ['$PageSide'],
  browserOpenCanvas: function(fullScreen) {
    var canvas = document.getElementById('screen');
    var context = canvas ? canvas.getContext('2d', {alpha: false}) : null;
    if (!context) return 0;
    PageSide.canvas = canvas;
    PageSide.context = context;
    PageSide.fullScreen = !!fullScreen;
    PageSide.wasFullScreen = !!document.fullscreenElement;
    PageSide.messages = [];
    PageSide.keysDown = {};
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    if (fullScreen) canvas.style.cursor = 'none';
    PageSide.listen(true);
    return 1;
  },

  browserCloseCanvas__deps: ['$PageSide'],
  browserCloseCanvas: function() {
    PageSide.listen(false);
    if (PageSide.canvas) PageSide.canvas.style.cursor = '';
    PageSide.fullScreen = false;
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
  },

  browserPutFrame__deps: ['$PageSide'],
  browserPutFrame: function(rgba) {
    var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, 320 * 240 * 4);
    PageSide.context.putImageData(new ImageData(pixels, 320, 240), 0, 0);
  },

  browserSetTitle: function(title) {
    document.title = UTF8ToString(title);
  },

  browserTakeMessage__deps: ['$PageSide'],
  browserTakeMessage: function() {
    return PageSide.messages.length ? PageSide.messages.shift() : -1;
  },

  browserTakeSeekSeconds__deps: ['$PageSide'],
  browserTakeSeekSeconds: function() {
    return PageSide.seekTimes.length ? PageSide.seekTimes.shift() : 0;
  },

  browserClearChapters__deps: ['$PageSide'],
  browserClearChapters: function() {
    PageSide.chapters = [];
  },

  browserAddChapter__deps: ['$PageSide'],
  browserAddChapter: function(seconds, name) {
    var number = PageSide.chapters.length + 1;
    PageSide.chapters.push({seconds: seconds, label: number + ' ' + UTF8ToString(name)});
  },

  browserShowPosition__deps: ['$PageSide'],
  browserShowPosition: function(seconds, lengthSeconds, scene, paused) {
    var position = PageSide.position;
    var lengthChanged = position.length !== lengthSeconds;
    position.seconds = seconds;
    position.length = lengthSeconds;
    position.scene = scene;
    position.paused = !!paused;
    if (lengthChanged) PageSide.player.placeMarks();
    PageSide.player.update();
  },

  browserShiftHeld__deps: ['$PageSide'],
  browserShiftHeld: function() {
    return PageSide.shiftHeld ? 1 : 0;
  },

  browserShowErrorBox: function(text, caption) {
    var box = document.getElementById('error-box');
    text = UTF8ToString(text);
    caption = UTF8ToString(caption);
    console.error(caption + ': ' + text);
    if (!box) return;
    box.querySelector('.caption').textContent = caption;
    box.querySelector('.text').textContent = text;
    box.hidden = false;
    document.body.dataset.state = 'error';
    box.querySelector('button').focus();
  },

  // The debugger output, line by line: the console, and the line under the picture.
  browserDebugOutput__deps: ['$PageSide'],
  browserDebugOutput: function(text) {
    var lines = (PageSide.debugLine + UTF8ToString(text)).split('\n');
    PageSide.debugLine = lines.pop();
    lines.forEach(function(line) {
      console.log(line);
      PageSide.showOutput(line);
    });
  },

  browserLoopState__deps: ['$PageSide'],
  browserLoopState: function(running) {
    PageSide.running = !!running;
    document.body.dataset.state = running ? 'playing' : 'stopped';
  },

  browserAudioAvailable: function() {
    var context = Module.audioContext;
    return context && context.state !== 'closed' ? 1 : 0;
  },

  browserAudioDecode__deps: ['$PageSide'],
  browserAudioDecode: function(bytes, size) {
    var context = Module.audioContext;
    var music = PageSide.newMusic(context, null);
    var data = HEAPU8.slice(bytes, bytes + size).buffer;
    Module.audioContext.decodeAudioData(data).then(function(buffer) {
      music.buffer = buffer;
      PageSide.startMusicIfDue();
    }, function() {
      music.stopped = true;  // undecodable: the show plays silent
    });
  },

  // The calibration's clicks, played as the music is: a minute of silence with a 2 kHz
  // tone of 10 ms under a falling envelope at the start of every second.
  browserAudioClicks__deps: ['$PageSide'],
  browserAudioClicks: function() {
    var context = Module.audioContext;
    if (!context) return 0;
    var rate = context.sampleRate, click = Math.round(rate / 100);
    var buffer = context.createBuffer(1, rate * 60, rate);
    var samples = buffer.getChannelData(0);
    for (var second = 0; second < 60; ++second) {
      for (var i = 0; i < click; ++i) {
        samples[second * rate + i] =
            0.5 * Math.sin(2 * Math.PI * 2000 * i / rate) * (1 - i / click);
      }
    }
    PageSide.newMusic(context, buffer);
    return 1;
  },

  browserAudioPlay__deps: ['$PageSide'],
  browserAudioPlay: function(fromSeconds) {
    if (!PageSide.music) return;
    PageSide.stopMusicSource();  // playing already: from the new place
    PageSide.music.playFrom = {seconds: fromSeconds, asked: Module.audioContext.currentTime};
    PageSide.startMusicIfDue();
  },

  browserAudioPause__deps: ['$PageSide'],
  browserAudioPause: function() {
    if (!PageSide.music) return;
    PageSide.stopMusicSource();
    PageSide.music.playFrom = null;
  },

  browserAudioPosition__deps: ['$PageSide'],
  // -1 while the music does not play, held back by the browser too: the picture then
  // keeps its own time, and the music comes back there.
  // The context's clock runs ahead of the speaker by the output's latency: the time heard
  // is the output timestamp's, run on to now, or else the clock less outputLatency.
  browserAudioPosition: function() {
    var music = PageSide.music;
    if (!music || !music.startedAt || !PageSide.soundRunning()) return -1;
    var context = Module.audioContext, heard;
    var stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
    if (stamp && stamp.contextTime > 0 && stamp.performanceTime > 0) {
      heard = stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
    } else {
      heard = context.currentTime - (context.outputLatency || context.baseLatency || 0);
    }
    var at = music.startedAt.seconds + (heard - music.startedAt.time);
    if (at >= music.buffer.duration) return -1;
    return Math.max(at, 0);
  },

  browserAudioLength__deps: ['$PageSide'],
  browserAudioLength: function() {
    var music = PageSide.music;
    return music && music.buffer ? music.buffer.duration : 0;
  },

  browserAudioStop__deps: ['$PageSide'],
  browserAudioStop: function() {
    var music = PageSide.music;
    if (!music) return;
    music.stopped = true;
    PageSide.stopMusicSource();
  },

  browserAudioClose__deps: ['$PageSide'],
  browserAudioClose: function() {
    PageSide.stopMusicSource();
    PageSide.music = null;
    if (Module.audioContext) Module.audioContext.close();
    Module.audioContext = null;
  },

  browserOfferFile: function(name, bytes, size) {
    var blob = new Blob([HEAPU8.slice(bytes, bytes + size)], {type: 'application/octet-stream'});
    var link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = UTF8ToString(name);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
  },
};

mergeInto(LibraryManager.library, pageSideLibrary);
