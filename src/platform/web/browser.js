// The page side of the web backend (an Emscripten JavaScript library): the canvas, the
// keys, the title, the error box, the debugger output, the music and the downloads. Each
// browser* function is called from web_platform.cpp; the page itself is index.html.
var pageSideLibrary = {
  $PageSide: {
    // The message types of the platform interface, in its order.
    KEY_UP: 0,
    CLOSE: 1,

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

    // The demo's key codes (the Windows virtual-key codes) for the keys it acts on.
    keyCode: function(event) {
      if (event.key === 'Escape') return 27;
      if (event.key === ' ') return 32;
      if (event.key === 's' || event.key === 'S') return 83;
      return 0;
    },

    onKeyDown: function(event) {
      if (event.key === 'Shift') PageSide.shiftHeld = true;
      var code = PageSide.keyCode(event);
      if (!code) return;
      event.preventDefault();  // Space would scroll the page
      PageSide.keysDown[code] = true;
    },

    // Keys act on release, as on the desktop. A key pressed before the show opened (the
    // one that answered "Window Mode?") is not released into it.
    onKeyUp: function(event) {
      if (event.key === 'Shift') PageSide.shiftHeld = false;
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
      } else if (PageSide.fullScreen && PageSide.wasFullScreen) {
        PageSide.wasFullScreen = false;
        PageSide.messages.push(PageSide.CLOSE * 256);
      }
    },

    listen: function(on) {
      var method = on ? 'addEventListener' : 'removeEventListener';
      window[method]('keydown', PageSide.onKeyDown);
      window[method]('keyup', PageSide.onKeyUp);
      window[method]('blur', PageSide.onBlur);
      document[method]('fullscreenchange', PageSide.onFullScreenChange);
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
      music.source.connect(context.destination);
      music.source.start(0, offset);
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
    var music = PageSide.music = {buffer: null, source: null, playFrom: null, stopped: false};
    var data = HEAPU8.slice(bytes, bytes + size).buffer;
    Module.audioContext.decodeAudioData(data).then(function(buffer) {
      music.buffer = buffer;
      PageSide.startMusicIfDue();
    }, function() {
      music.stopped = true;  // undecodable: the show plays silent
    });
  },

  browserAudioPlay__deps: ['$PageSide'],
  browserAudioPlay: function(fromSeconds) {
    if (!PageSide.music) return;
    PageSide.music.playFrom = {seconds: fromSeconds, asked: Module.audioContext.currentTime};
    PageSide.startMusicIfDue();
  },

  browserAudioStop__deps: ['$PageSide'],
  browserAudioStop: function() {
    var music = PageSide.music;
    if (!music) return;
    music.stopped = true;
    if (music.source) music.source.stop();
  },

  browserAudioClose__deps: ['$PageSide'],
  browserAudioClose: function() {
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
