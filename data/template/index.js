// Qiv Zarim page script.
//
// The generated data block that follows the definition of C sets:
//   SRC_WIDTH, SRC_HEIGHT  size of the picture in pixels;
//   DATA                   17 values for every colour and event, at (colour*3+event)*17+position,
//                          then the background music's url, volume and loop flag;
//   Count                  number of colours that have values in DATA;
//   C[n]                   map row n: the colour indexes of picture row 3n+1 sampled at
//                          x = 1, 4, 7, ..., as groups of four hex digits (index, run length)
//                          closed by the group "2323".
// The brightness script, when published, runs in followPointer() below and sets its own globals.
// Everything else lives inside the function at the end, so no name of ours meets theirs.

if (window.performance && performance.mark) performance.mark('qiv-zarim-start');
var C=new Array();
[DATA]
(function () {
  // Events of a region, in the order of DATA.
  var OVER = 0;
  var CLICK = 1;
  var DOUBLE_CLICK = 2;
  var EVENT_COUNT = 3;

  // Positions of the values of one event of one colour in DATA.
  var VALUES_PER_EVENT = 17;
  var LINK = 0;
  var LINK_NEW_WINDOW = 1;
  var SOUND = 2;
  var SOUND_LOOP = 3;
  var SOUND_VOLUME = 4;
  var PICTURE = 5;
  var PICTURE_WIDTH = 6;
  var PICTURE_HEIGHT = 7;
  var PICTURE_FRAME = 8;
  var VIDEO = 9;
  var VIDEO_LOOP = 10;
  var VIDEO_WIDTH = 11;
  var VIDEO_HEIGHT = 12;
  var VIDEO_VOLUME = 13;
  var VIDEO_FRAME = 14;
  var HINT = 15;
  var HINT_STYLE = 16;
  // A region has a set for an event when one of these is given. A link in the pointer-over
  // set is not followed on a mere pointer move, which would surprise the visitor (and
  // browsers refuse new windows opened without a click); a click follows it instead when the
  // click set has no link of its own.
  var CONTENT_POSITIONS = [LINK, SOUND, PICTURE, VIDEO, HINT];
  var SHOWN_POSITIONS = [SOUND, PICTURE, VIDEO, HINT];

  var SAMPLE_STEP = 3; // the map is sampled every third pixel in both directions
  var DOUBLE_CLICK_WAIT_MS = 450; // a click waits this long where a double click means more
  var PANEL_GAP = 16; // pixels between the pointer and the panel beside it
  var DEFAULT_HINT_STYLE = 9; // light yellow
  var DEFAULT_FRAME = 1; // black frame
  var SOUND_TYPES = [['.mp3', 'audio/mpeg'], ['.ogg', 'audio/ogg']];
  var VIDEO_TYPES = [['.mp4', 'video/mp4'], ['.webm', 'video/webm'], ['.ogv', 'video/ogg']];

  var img = document.getElementById('qz-picture');
  var stage = document.getElementById('qz-stage');
  if (!img || !stage) return;

  // ---- Data block -------------------------------------------------------------------------

  var values = typeof DATA !== 'undefined' && Array.isArray(DATA) ? DATA : [];
  var declaredCount = typeof Count === 'number' && isFinite(Count) ? Math.floor(Count) : 0;
  // Colours 1 .. regionCount-1 may carry values; 0 is "no region".
  var regionCount = Math.max(0, Math.min(declaredCount, 256,
      Math.floor((values.length - 3) / (EVENT_COUNT * VALUES_PER_EVENT))));
  var mapRows = typeof C !== 'undefined' && Array.isArray(C) ? C : [];
  var sourceWidth = positiveNumber(typeof SRC_WIDTH !== 'undefined' ? SRC_WIDTH : 0);
  var sourceHeight = positiveNumber(typeof SRC_HEIGHT !== 'undefined' ? SRC_HEIGHT : 0);

  function positiveNumber(value) {
    var number = Number(value);
    return isFinite(number) && number > 0 ? number : 0;
  }

  // Value at a position of an event of a colour, always a string ('' when not set).
  function valueOf(color, event, position) {
    var value = values[(color * EVENT_COUNT + event) * VALUES_PER_EVENT + position];
    return value === undefined || value === null ? '' : String(value);
  }

  // Bit e of eventMask[c] is set when colour c has something to do for event e.
  var eventMask = new Uint8Array(256);
  for (var color = 1; color < regionCount; color++) {
    for (var event = 0; event < EVENT_COUNT; event++) {
      var positions = event === OVER ? SHOWN_POSITIONS : CONTENT_POSITIONS;
      for (var k = 0; k < positions.length; k++) {
        if (valueOf(color, event, positions[k]) !== '') {
          eventMask[color] |= 1 << event;
          break;
        }
      }
    }
  }

  for (color = 1; color < regionCount; color++) {
    if (valueOf(color, OVER, LINK) !== '') eventMask[color] |= 1 << CLICK;
  }

  function hasSet(color, event) {
    return (eventMask[color] & (1 << event)) !== 0;
  }

  // ---- Map ----------------------------------------------------------------------------------

  // Value of every ASCII hex digit, -1 for other characters.
  var HEX = new Int8Array(128).fill(-1);
  for (var digit = 0; digit < 16; digit++) {
    HEX['0123456789ABCDEF'.charCodeAt(digit)] = digit;
    HEX['0123456789abcdef'.charCodeAt(digit)] = digit;
  }

  function hexByte(text, at) {
    var high = text.charCodeAt(at);
    var low = text.charCodeAt(at + 1);
    // NaN past the end of the text fails the first test.
    if (!(high < 128 && low < 128) || HEX[high] < 0 || HEX[low] < 0) return -1;
    return HEX[high] * 16 + HEX[low];
  }

  // Characters of a row string that hold runs: whole groups, without the closing "2323".
  function runsLength(text) {
    var end = text.length - (text.length % 4);
    if (end >= 4 && text.substr(end - 4, 4) === '2323') end -= 4;
    return end;
  }

  // The map as one byte per sample, row after row. The rows are read once at load for the
  // grid's width and the bounding box of every region; each row is written into the grid
  // the first time the pointer needs it, which keeps the start quick for large pictures.
  function MapGrid(rows) {
    this.texts = [];
    this.columns = 0;
    // Sampled bounding box of every colour with something to do: left, top, right, bottom.
    this.boxes = new Int32Array(256 * 4);
    for (var b = 0; b < 256; b++) {
      this.boxes.set([0x7fffffff, 0x7fffffff, -1, -1], b * 4);
    }
    for (var n = 0; n < rows.length; n++) {
      var text = typeof rows[n] === 'string' ? rows[n] : '';
      this.texts.push(text);
      var x = 0;
      for (var at = 0, end = runsLength(text); at < end; at += 4) {
        var index = hexByte(text, at);
        var run = hexByte(text, at + 2);
        if (run <= 0) continue;
        if (index > 0 && eventMask[index]) this.extendBox(index, x, x + run - 1, n);
        x += run;
      }
      if (x > this.columns) this.columns = x;
    }
    this.rows = this.texts.length;
    this.cells = new Uint8Array(this.columns * this.rows);
    this.rowReady = new Uint8Array(this.rows);
  }

  MapGrid.prototype.extendBox = function (index, left, right, row) {
    var box = index * 4;
    var boxes = this.boxes;
    if (left < boxes[box]) boxes[box] = left;
    if (row < boxes[box + 1]) boxes[box + 1] = row;
    if (right > boxes[box + 2]) boxes[box + 2] = right;
    if (row > boxes[box + 3]) boxes[box + 3] = row;
  };

  MapGrid.prototype.writeRow = function (row) {
    var text = this.texts[row];
    var base = row * this.columns;
    var x = 0;
    for (var at = 0, end = runsLength(text); at < end && x < this.columns; at += 4) {
      var index = hexByte(text, at);
      var run = hexByte(text, at + 2);
      if (run <= 0) continue;
      var last = Math.min(x + run, this.columns);
      if (index > 0) this.cells.fill(index, base + x, base + last);
      x = last;
    }
    this.rowReady[row] = 1;
  };

  // Colour index of sample (sx, sy); the last partial cell of a row or column belongs to the
  // last sample, and beyond it lies no map at all (a stored map smaller than the picture).
  MapGrid.prototype.indexAt = function (sx, sy) {
    if (sx < 0 || sy < 0 || sx > this.columns || sy > this.rows || !this.columns || !this.rows) {
      return 0;
    }
    if (sx === this.columns) sx--;
    if (sy === this.rows) sy--;
    if (!this.rowReady[sy]) this.writeRow(sy);
    return this.cells[sy * this.columns + sx];
  };

  var map = new MapGrid(mapRows);

  // Colour of the region with something to do at picture pixel (x, y), or 0.
  function regionAt(pictureX, pictureY) {
    var index = map.indexAt(Math.floor(pictureX / SAMPLE_STEP), Math.floor(pictureY / SAMPLE_STEP));
    return index < regionCount && eventMask[index] ? index : 0;
  }

  // ---- Picture ------------------------------------------------------------------------------

  // Reserve the picture's box before it loads; CSS keeps it within the window and its
  // proportions.
  if (sourceWidth && sourceHeight) {
    img.width = sourceWidth;
    img.height = sourceHeight;
  }

  // Pointer position over the picture: x, y in pixels of the shown picture, color under it.
  function pointOf(event) {
    var rect = img.getBoundingClientRect();
    if (rect.width <= 0 || rect.height <= 0) return null;
    var x = event.clientX - rect.left;
    var y = event.clientY - rect.top;
    var inside = x >= 0 && y >= 0 && x < rect.width && y < rect.height;
    var pictureWidth = sourceWidth || img.naturalWidth || rect.width;
    var pictureHeight = sourceHeight || img.naturalHeight || rect.height;
    return {
      x: x,
      y: y,
      clientX: event.clientX,
      clientY: event.clientY,
      color: inside ? regionAt(x * pictureWidth / rect.width, y * pictureHeight / rect.height) : 0
    };
  }

  // The brightness script published with the page, if any. It reads x and y (pointer position
  // in pixels of the shown picture, within img.width by img.height) and img, and sets img's
  // style attribute.
  function followPointer(x, y, img) {
[EFFECT]
  }

  function applyEffect(point) {
    var width = img.width;
    var height = img.height;
    if (!point || width <= 0 || height <= 0) return;
    var x = Math.min(Math.max(point.x, 0), width - 1);
    var y = Math.min(Math.max(point.y, 0), height - 1);
    try {
      followPointer(x, y, img);
    } catch (error) {
      // A faulty effect must not stop the regions from working.
    }
  }

  function resetEffect() {
    img.removeAttribute('style');
  }

  // ---- Media --------------------------------------------------------------------------------

  // The publisher names the copies of a medium after the file name in the url with its
  // extension exchanged; a name without "." gives copies with an empty base name.
  function withExtension(url, extension) {
    var slash = url.lastIndexOf('/');
    var dot = url.lastIndexOf('.');
    return (dot > slash ? url.slice(0, dot) : url.slice(0, slash + 1)) + extension;
  }

  // The url's last segment is a file name as it lies on disk; escape it so blanks, "#", "?"
  // and "%" stay part of the name.
  function fileUrl(url) {
    var slash = url.lastIndexOf('/');
    try {
      return url.slice(0, slash + 1) + encodeURIComponent(url.slice(slash + 1));
    } catch (error) {
      return url;
    }
  }

  function volumeOf(text) {
    var volume = parseFloat(text);
    if (text === '' || !isFinite(volume)) return 1;
    return Math.min(Math.max(volume, 0), 1);
  }

  // A size in pixels, or 0 when the value does not give one (natural size).
  function sizeOf(text) {
    return /^\s*\d+\s*$/.test(text) ? parseInt(text, 10) : 0;
  }

  function styleIndex(text, count, fallback) {
    var index = /^\s*\d+\s*$/.test(text) ? parseInt(text, 10) : -1;
    return index >= 0 && index < count ? index : fallback;
  }

  var mediaUrls = new WeakMap(); // media element -> url whose copies it holds

  // Points a media element at the copies of url (the browser takes the first it can play) or
  // restarts it when it already holds them. onMissing runs when no copy can be played.
  function loadMedia(media, url, types, onMissing) {
    if (mediaUrls.get(media) === url) {
      if (media.networkState === media.NETWORK_NO_SOURCE) {
        if (onMissing) onMissing();
        return;
      }
      try {
        media.currentTime = 0;
      } catch (error) {
        // Not seekable yet: it starts from the beginning anyway.
      }
      return;
    }
    while (media.firstChild) media.removeChild(media.firstChild);
    for (var i = 0; i < types.length; i++) {
      var source = document.createElement('source');
      source.src = fileUrl(withExtension(url, types[i][0]));
      source.type = types[i][1];
      media.appendChild(source);
    }
    // The browser tries the copies in order and reports an error at the last one only when
    // every one has failed.
    if (onMissing) {
      source.addEventListener('error', function () {
        if (mediaUrls.get(media) === url) onMissing();
      });
    }
    mediaUrls.set(media, url);
    media.load();
  }

  // Browsers refuse sound until the visitor has interacted with the page. Media refused that
  // way wait here and start on the first key press, click or touch. Videos meanwhile play
  // muted, which every browser allows.
  var wanted = new Set();
  var waiting = new Set();
  var mutedByUs = new WeakSet();

  function playMedia(media) {
    wanted.add(media);
    tryPlay(media);
  }

  function tryPlay(media) {
    var promise;
    try {
      promise = media.play();
    } catch (error) {
      return;
    }
    if (!promise || !promise.then) return;
    promise.then(function () {
      if (!mutedByUs.has(media)) waiting.delete(media); // a muted video still waits for its sound
    }, function (error) {
      // Other failures (no playable copy, interrupted by pause or a new load) leave the
      // element silent; the page goes on.
      if (!error || error.name !== 'NotAllowedError' || !wanted.has(media)) return;
      waiting.add(media);
      if (media.tagName === 'VIDEO' && !media.muted) {
        media.muted = true;
        mutedByUs.add(media);
        tryPlay(media);
      }
    });
  }

  function stopMedia(media) {
    wanted.delete(media);
    waiting.delete(media);
    try {
      media.pause();
    } catch (error) {
      // Nothing to stop.
    }
  }

  function retryRefusedMedia() {
    if (!waiting.size) return;
    waiting.forEach(function (media) {
      if (!wanted.has(media)) {
        waiting.delete(media);
        return;
      }
      if (mutedByUs.has(media)) {
        mutedByUs.delete(media);
        media.muted = false;
      }
      tryPlay(media);
    });
  }

  ['pointerdown', 'pointerup', 'keydown', 'touchstart', 'touchend', 'click'].forEach(function (type) {
    window.addEventListener(type, retryRefusedMedia, true);
  });

  // ---- Panel beside the pointer: tooltip, picture, video -----------------------------------

  var panel = document.createElement('div');
  panel.className = 'qz-panel';
  panel.hidden = true;

  var hintBox = document.createElement('div');
  hintBox.className = 'qz-hint';
  hintBox.id = 'qz-hint';
  hintBox.setAttribute('role', 'tooltip');
  hintBox.hidden = true;

  var pictureBox = document.createElement('img');
  pictureBox.className = 'qz-media';
  pictureBox.alt = '';
  pictureBox.hidden = true;

  var videoBox = document.createElement('video');
  videoBox.className = 'qz-media';
  videoBox.playsInline = true;
  videoBox.preload = 'auto';
  videoBox.hidden = true;

  var soundPlayer = document.createElement('audio');
  soundPlayer.preload = 'auto';

  panel.appendChild(hintBox);
  panel.appendChild(pictureBox);
  panel.appendChild(videoBox);
  document.body.appendChild(panel);

  // Viewport point the panel stands beside.
  var anchorX = 0;
  var anchorY = 0;

  function updatePanel() {
    panel.hidden = hintBox.hidden && pictureBox.hidden && videoBox.hidden;
    placePanel();
  }

  // Right of and below the anchor; left of or above it where the window ends.
  function placePanel() {
    if (panel.hidden) return;
    var viewWidth = document.documentElement.clientWidth;
    var viewHeight = document.documentElement.clientHeight;
    var width = panel.offsetWidth;
    var height = panel.offsetHeight;
    var left = anchorX + PANEL_GAP;
    var top = anchorY + PANEL_GAP;
    if (left + width > viewWidth) left = anchorX - PANEL_GAP - width;
    if (top + height > viewHeight) top = anchorY - PANEL_GAP - height;
    left = Math.max(0, Math.min(left, viewWidth - width));
    top = Math.max(0, Math.min(top, viewHeight - height));
    panel.style.left = Math.round(left) + 'px';
    panel.style.top = Math.round(top) + 'px';
  }

  function setBoxSize(element, widthText, heightText) {
    var width = sizeOf(widthText);
    var height = sizeOf(heightText);
    if (width > 0) element.width = width;
    else element.removeAttribute('width');
    if (height > 0) element.height = height;
    else element.removeAttribute('height');
  }

  pictureBox.addEventListener('load', placePanel);
  pictureBox.addEventListener('error', function () {
    if (pictureBox.hidden || !pictureBox.getAttribute('src')) return;
    pictureBox.hidden = true; // missing picture: show no broken-image sign
    updatePanel();
  });
  videoBox.addEventListener('loadedmetadata', placePanel);
  window.addEventListener('resize', placePanel);

  // A video without any playable copy shows no empty box.
  function hideMissingVideo() {
    if (videoBox.hidden) return;
    stopMedia(videoBox);
    videoBox.hidden = true;
    updatePanel();
  }

  // Shows and plays what colour color has for event; what the event leaves out stays as it is.
  function showSet(color, event) {
    var hint = valueOf(color, event, HINT);
    if (hint !== '') {
      hintBox.textContent = hint;
      hintBox.className = 'qz-hint qz-hint-' +
          styleIndex(valueOf(color, event, HINT_STYLE), 16, DEFAULT_HINT_STYLE);
      hintBox.hidden = false;
    }

    var picture = valueOf(color, event, PICTURE);
    if (picture !== '') {
      var pictureUrl = fileUrl(picture);
      pictureBox.className = 'qz-media qz-frame-' +
          styleIndex(valueOf(color, event, PICTURE_FRAME), 10, DEFAULT_FRAME);
      setBoxSize(pictureBox, valueOf(color, event, PICTURE_WIDTH),
          valueOf(color, event, PICTURE_HEIGHT));
      pictureBox.hidden = false;
      if (pictureBox.getAttribute('src') !== pictureUrl) pictureBox.src = pictureUrl;
      else if (pictureBox.complete && !pictureBox.naturalWidth) pictureBox.hidden = true;
    }

    var video = valueOf(color, event, VIDEO);
    if (video !== '') {
      videoBox.className = 'qz-media qz-frame-' +
          styleIndex(valueOf(color, event, VIDEO_FRAME), 10, DEFAULT_FRAME);
      setBoxSize(videoBox, valueOf(color, event, VIDEO_WIDTH), valueOf(color, event, VIDEO_HEIGHT));
      videoBox.loop = valueOf(color, event, VIDEO_LOOP) === '1';
      videoBox.volume = volumeOf(valueOf(color, event, VIDEO_VOLUME));
      if (mutedByUs.has(videoBox)) {
        mutedByUs.delete(videoBox);
        videoBox.muted = false;
      }
      videoBox.hidden = false;
      loadMedia(videoBox, video, VIDEO_TYPES, hideMissingVideo);
      if (!videoBox.hidden) playMedia(videoBox);
    }

    var sound = valueOf(color, event, SOUND);
    if (sound !== '') {
      soundPlayer.loop = valueOf(color, event, SOUND_LOOP) === '1';
      soundPlayer.volume = volumeOf(valueOf(color, event, SOUND_VOLUME));
      loadMedia(soundPlayer, sound, SOUND_TYPES);
      playMedia(soundPlayer);
    }
    updatePanel();
  }

  function hideAll() {
    hintBox.hidden = true;
    hintBox.textContent = '';
    pictureBox.hidden = true;
    videoBox.hidden = true;
    stopMedia(videoBox);
    stopMedia(soundPlayer);
    updatePanel();
  }

  function followLink(color, event) {
    if (event === CLICK && valueOf(color, CLICK, LINK) === '') event = OVER;
    var link = valueOf(color, event, LINK).trim();
    if (link === '') return;
    try {
      if (valueOf(color, event, LINK_NEW_WINDOW) === '1') window.open(link, '_blank', 'noopener');
      else window.location.assign(link);
    } catch (error) {
      // An address the browser cannot use: stay on the page.
    }
  }

  // ---- Regions ------------------------------------------------------------------------------

  var activeColor = 0; // region whose sets are shown, 0 for none
  var activeBy = ''; // 'pointer', 'touch' or 'focus': what made it active
  var pendingClick = 0; // timer of a click that waits for a possible double click
  var lastPointerType = 'mouse';

  // Makes color the active region: hides what the last one showed and shows the new one's
  // pointer-over set.
  function activate(color, by) {
    activeBy = by;
    if (color === activeColor) return;
    hideAll();
    activeColor = color;
    stage.classList.toggle('qz-action', color !== 0 && (hasSet(color, CLICK) || hasSet(color, DOUBLE_CLICK)));
    if (color !== 0 && hasSet(color, OVER)) showSet(color, OVER);
  }

  function perform(color, event, by) {
    activate(color, by);
    showSet(color, event);
    followLink(color, event);
  }

  // The set a tap, Enter or a screen reader's activation performs: the click set, or the
  // double-click set of a region that has only that one.
  function performMain(color, by) {
    if (hasSet(color, CLICK)) perform(color, CLICK, by);
    else if (hasSet(color, DOUBLE_CLICK)) perform(color, DOUBLE_CLICK, by);
  }

  function cancelPendingClick() {
    if (pendingClick) clearTimeout(pendingClick);
    pendingClick = 0;
  }

  function anchorAt(point) {
    anchorX = point.clientX;
    anchorY = point.clientY;
  }

  stage.addEventListener('pointerdown', function (event) {
    lastPointerType = event.pointerType || 'mouse';
    if (lastPointerType === 'touch') applyEffect(pointOf(event));
  });

  stage.addEventListener('pointermove', function (event) {
    if (event.pointerType === 'touch') return; // touch works through taps
    var point = pointOf(event);
    if (!point) return;
    applyEffect(point);
    // Off every region, a region shown for the keyboard stays until focus moves on.
    if (point.color !== 0 || activeBy !== 'focus') {
      anchorAt(point);
      activate(point.color, 'pointer');
      placePanel();
    }
  });

  stage.addEventListener('pointerleave', function (event) {
    if (event.pointerType === 'touch') return;
    resetEffect();
    if (activeBy === 'pointer') activate(0, 'pointer');
  });

  stage.addEventListener('click', function (event) {
    var point = pointOf(event);
    var color = point ? point.color : 0;
    if (lastPointerType === 'touch') {
      // Touch has no pointer-over: a first tap shows the pointer-over set, a second tap on the
      // same region performs the click set. A region with nothing to show acts at once.
      if (point) anchorAt(point);
      if (color !== 0 && color === activeColor && activeBy === 'touch') performMain(color, 'touch');
      else if (color !== 0 && !hasSet(color, OVER)) performMain(color, 'touch');
      else activate(color, 'touch');
      placePanel();
      return;
    }
    if (event.detail > 1 || color === 0) return; // later clicks of a double click
    anchorAt(point);
    cancelPendingClick();
    if (!hasSet(color, DOUBLE_CLICK)) {
      perform(color, CLICK, 'pointer');
      return;
    }
    pendingClick = setTimeout(function () {
      pendingClick = 0;
      if (hasSet(color, CLICK)) perform(color, CLICK, 'pointer');
    }, DOUBLE_CLICK_WAIT_MS);
  });

  stage.addEventListener('dblclick', function (event) {
    if (lastPointerType === 'touch') return;
    var point = pointOf(event);
    if (!point || point.color === 0 || !hasSet(point.color, DOUBLE_CLICK)) return;
    cancelPendingClick();
    anchorAt(point);
    perform(point.color, DOUBLE_CLICK, 'pointer');
  });

  // A touch outside the picture closes what a tap showed.
  document.addEventListener('pointerdown', function (event) {
    if (event.pointerType === 'touch' && !stage.contains(event.target) && activeBy === 'touch') {
      activate(0, 'touch');
    }
  });

  document.addEventListener('keydown', function (event) {
    if (event.key === 'Escape') activate(0, activeBy);
  });

  // ---- Keyboard and screen readers ----------------------------------------------------------

  // One button per region with something to do, over the region's bounding box: Tab reaches
  // it, focus shows its pointer-over set, Enter performs its click set.
  function labelOf(color) {
    for (var event = 0; event < EVENT_COUNT; event++) {
      var hint = valueOf(color, event, HINT).replace(/\s+/g, ' ').trim();
      if (hint !== '') return hint;
    }
    return 'Область ' + color;
  }

  function percent(part, whole) {
    return Math.max(0, Math.min(100, part / whole * 100)) + '%';
  }

  function buildRegionButtons() {
    var pictureWidth = sourceWidth || map.columns * SAMPLE_STEP;
    var pictureHeight = sourceHeight || map.rows * SAMPLE_STEP;
    var regions = [];
    for (var color = 1; color < regionCount; color++) {
      var box = color * 4;
      if (map.boxes[box + 2] < 0) continue;
      regions.push({
        color: color,
        left: map.boxes[box] * SAMPLE_STEP,
        top: map.boxes[box + 1] * SAMPLE_STEP,
        right: (map.boxes[box + 2] + 1) * SAMPLE_STEP,
        bottom: (map.boxes[box + 3] + 1) * SAMPLE_STEP
      });
    }
    if (!regions.length || !pictureWidth || !pictureHeight) return;
    regions.sort(function (a, b) { return a.top - b.top || a.left - b.left || a.color - b.color; });

    var layer = document.createElement('div');
    layer.className = 'qz-regions';
    regions.forEach(function (region) {
      var button = document.createElement('button');
      button.type = 'button';
      button.className = 'qz-region';
      button.setAttribute('aria-label', labelOf(region.color));
      button.setAttribute('data-color', String(region.color));
      button.style.left = percent(region.left, pictureWidth);
      button.style.top = percent(region.top, pictureHeight);
      button.style.width = percent(Math.min(region.right, pictureWidth) - region.left, pictureWidth);
      button.style.height = percent(Math.min(region.bottom, pictureHeight) - region.top, pictureHeight);
      button.addEventListener('focus', function () {
        var rect = button.getBoundingClientRect();
        anchorX = rect.left + rect.width / 2;
        anchorY = rect.bottom - PANEL_GAP / 2;
        activate(region.color, 'focus');
        placePanel();
      });
      button.addEventListener('blur', function () {
        if (activeBy === 'focus' && activeColor === region.color) activate(0, 'focus');
      });
      button.addEventListener('click', function (event) {
        event.stopPropagation(); // not a click on the picture
        performMain(region.color, 'focus');
        placePanel();
      });
      layer.appendChild(button);
    });
    stage.appendChild(layer);
  }

  buildRegionButtons();

  // ---- Background music ---------------------------------------------------------------------

  if (values.length >= 3 && String(values[values.length - 3]) !== '') {
    var music = document.createElement('audio');
    music.preload = 'auto';
    music.loop = String(values[values.length - 1]) === '1';
    music.volume = volumeOf(String(values[values.length - 2]));
    loadMedia(music, String(values[values.length - 3]), SOUND_TYPES);
    playMedia(music);
  }

  if (window.performance && performance.mark) performance.mark('qiv-zarim-ready');
})();
