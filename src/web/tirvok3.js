// Tirvok 3 in a browser: builds the window from the engine's layout table, hands pointer input to the
// engine's plan-view handlers and shows a frame every kFrameMs. The engine is the WebAssembly module
// embedded in the page (base64), so the page works from disk as well as from any server.

// TControlKind, TPaneId and TTool as the engine numbers them.
const Kind = { Pane: 0, Label: 1, Readout: 2, Tool: 3 };
const Pane3B = 3;
const NoTool = 0;
// Fields of tv_control_number and tv_control_text.
const Num = { kind: 0, left: 1, top: 2, width: 3, height: 4, pane: 5, tool: 6, readout: 7 };
const Text = { name: 0, caption: 1, tooltip: 2, spokenName: 3, spokenDescription: 4 };
const Win = { face: 0, ink: 1, fontPixels: 2, frameMs: 3 };
const WinText = { caption: 0, font: 1, toolGroup: 2 };
// What the browser shows where the window's own face is missing.
const FontFallback = '"Microsoft Sans Serif", Tahoma, "Segoe UI", "DejaVu Sans", Arial, sans-serif';
// WASI's errno for a call the host does not offer.
const WasiNoSys = 52;
// Limits pane coordinates to what the engine's int arguments hold, far beyond any screen.
const CoordLimit = 1 << 29;

// TPointerPhase and TPointerKind as the engine numbers them.
const Phase = { Down: 0, Move: 1, Up: 2, Cancel: 3 };
const PointerKind = { mouse: 0, pen: 1, touch: 2 };

// The bit a button has in PointerEvent.buttons, by its PointerEvent.button number.
function buttonBit(button) {
  return button === 1 ? 4 : button === 2 ? 2 : 2 ** Math.min(button, 30);
}

// The engine, gzip'd and in base64 in the page: no fetch, so the page works from disk too.
async function moduleBytes() {
  const raw = atob(document.getElementById('tirvok3-module').textContent.replace(/\s/g, ''));
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
  const unpacked = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Response(unpacked).arrayBuffer();
}

function cssColour(rgb) {
  return '#' + rgb.toString(16).padStart(6, '0');
}

// The browser's decimal separator for the user's language; everything else of a readout is the engine's.
// A language Intl rejects (WebKitGTK reports "C" under LANG=C.UTF-8) gives the browser's default locale's,
// a browser without Intl ".".
function decimalSeparator() {
  for (const language of [navigator.language, undefined]) {
    try {
      const part = new Intl.NumberFormat(language).formatToParts(1.5).find((p) => p.type === 'decimal');
      return part ? part.value : '.';
    } catch {
      // not a language tag Intl takes: try the next
    }
  }
  return '.';
}

// The widest text a readout can show: a minus sign, 15 digits, the separator and a three-digit exponent.
const WidestReadout = '-8.88888888888888e-308';

// The window's size in CSS pixels: every control's box, the readouts at their widest text, so the width
// never follows the numbers; the same margin right and below as the panes have on the left.
function windowSize(win, separator) {
  let width = 0;
  let height = 0;
  let margin = Infinity;
  for (const e of win.querySelectorAll('.control')) {
    width = Math.max(width, e.offsetLeft + e.offsetWidth);
    height = Math.max(height, e.offsetTop + e.offsetHeight);
    margin = Math.min(margin, e.offsetLeft);
  }
  for (const readout of win.querySelectorAll('[data-readout]')) {
    const probe = win.appendChild(document.createElement('div'));
    probe.className = 'label control';
    probe.setAttribute('aria-hidden', 'true');
    Object.assign(probe.style, { left: `${readout.offsetLeft}px`, visibility: 'hidden' });
    probe.textContent = WidestReadout.replace('.', separator);
    width = Math.max(width, probe.offsetLeft + probe.offsetWidth);
    probe.remove();
  }
  return [Math.ceil(width + margin), Math.ceil(height + margin)];
}

// Scales the whole window down, as one piece, to the viewport when the viewport is smaller: every control
// keeps its place and size in the window, nothing reflows, nothing is left to scroll to. Where a tenth
// smaller makes every pane pixel a whole number of device pixels, the window takes that scale: crisp panes.
function fitWindow(win, width, height) {
  const view = document.documentElement;
  let scale = Math.min(1, view.clientWidth / width, view.clientHeight / height);
  const device = scale * window.devicePixelRatio;
  if (scale < 1 && Math.floor(device) >= 1 && Math.floor(device) / device >= 0.9) {
    scale = Math.floor(device) / window.devicePixelRatio;
  }
  Object.assign(win.style, { width: `${width}px`, height: `${height}px`,
                             transform: scale < 1 ? `scale(${scale})` : '' });
  return scale;
}

class Engine {
  constructor(instance) {
    this.x = instance.exports;
    this.decoder = new TextDecoder();
    this.x._initialize?.();
  }

  text(address) {
    const bytes = new Uint8Array(this.x.memory.buffer, address);
    return this.decoder.decode(bytes.subarray(0, bytes.indexOf(0)));
  }

  setSeparator(separator) {
    const encoded = new TextEncoder().encode(separator).subarray(0, 15);
    const address = this.x.tv_separator(); // may grow the memory: take the buffer after
    const target = new Uint8Array(this.x.memory.buffer, address, encoded.length + 1);
    target.set(encoded);
    target[encoded.length] = 0;
  }
}

// The window's pointer input, handed to the engine's input model as it comes: which pane holds the
// pointer, which buttons are held and which pointer edits are the engine's rules. Moves go one by one
// (edge scrolling counts them), in signed pane pixels of every plan pane.
class Pointers {
  constructor(shell) {
    this.shell = shell;
    this.captured = null; // the pointer id this page captured for the engine's hold
    for (const type of ['pointerdown', 'pointermove', 'pointerup']) {
      document.addEventListener(type, (e) => this.event(e));
    }
    document.addEventListener('pointercancel', (e) => this.send(e, Phase.Cancel));
    document.addEventListener('lostpointercapture', (e) => {
      if (e.pointerId === this.captured) this.cancel();
    });
    // Whatever ends a drag the page cannot see (another window takes the focus) ends it as a release would.
    window.addEventListener('blur', () => this.cancel());
    document.addEventListener('visibilitychange', () => document.hidden && this.cancel());
  }

  // Pane pixel under an event: floor, so a pointer left of or above the pane is negative at any zoom.
  static at(e, canvas) {
    const box = canvas.getBoundingClientRect();
    const pixel = (v, size, css) => Math.max(-CoordLimit, Math.min(CoordLimit, Math.floor((v * size) / css))) || 0;
    return [
      pixel(e.clientX - box.left, canvas.width, box.width),
      pixel(e.clientY - box.top, canvas.height, box.height),
    ];
  }

  event(e) {
    let phase = e.type === 'pointerdown' ? Phase.Down : e.type === 'pointerup' ? Phase.Up : Phase.Move;
    // A second button pressed or released while another is held arrives as a move that is no movement.
    if (phase === Phase.Move && e.button >= 0) phase = (e.buttons & buttonBit(e.button)) !== 0 ? Phase.Down : Phase.Up;
    if (e.target instanceof HTMLCanvasElement) e.preventDefault(); // no selection, focus change or scrolling
    const held = this.shell.engine.x.tv_holding();
    const moves = phase === Phase.Move && e.getCoalescedEvents ? e.getCoalescedEvents() : [];
    for (const m of moves.length > 0 ? moves : [e]) this.send(m, phase, e);
    // The press that began a hold captures its pointer until every button is up.
    if (!held && this.shell.engine.x.tv_holding() && e.target instanceof Element && e.target.isConnected) {
      e.target.setPointerCapture(e.pointerId);
      this.captured = e.pointerId;
    }
  }

  send(m, phase, e = m) {
    const at = this.shell.planes.map((canvas) => Pointers.at(m, canvas));
    const planes = this.shell.planes;
    const over = at.findIndex(([x, y], i) => x >= 0 && y >= 0 && x < planes[i].width && y < planes[i].height);
    const kind = PointerKind[e.pointerType] ?? PointerKind.mouse;
    const primary = e.isPrimary ? 1 : 0;
    const x = this.shell.engine.x;
    this.shell.showTool(x.tv_pointer(phase, e.pointerId, kind, primary, e.button, m.buttons, over, ...at.flat()));
  }

  cancel() {
    this.shell.showTool(this.shell.engine.x.tv_cancel());
  }
}

// The engine's TKey numbers by KeyboardEvent.key.
const Keys = { ArrowLeft: 0, ArrowRight: 1, ArrowUp: 2, ArrowDown: 3, Enter: 4, ' ': 5, Escape: 6 };
// The keyboard pointer's cross reaches this many pixels from its centre.
const CrossArm = 4;

// Editing without a mouse: the focus goes through the tools from Kamera, then the plan views, and a
// focused plan view hands its keys to the engine, which steps, clicks and holds with its keyboard pointer.
// The pointer shows over the view (an inverting cross, never in the canvas) while the view has the focus
// after keyboard use.
class Keyboard {
  constructor(shell, toolGroup) {
    this.shell = shell;
    this.used = false; // the keyboard was used in the focused view since it got the focus
    const tools = [...shell.tools.entries()].sort(([a], [b]) => a - b).map(([, button]) => button);
    toolGroup.append(...tools);
    toolGroup.parentNode.append(toolGroup, ...shell.planes); // the order of the work, not of the layout
    this.crosses = shell.planes.map((canvas, pane) => this.watch(canvas, pane));
    tools[0].focus({ preventScroll: true });
  }

  watch(canvas, pane) {
    canvas.tabIndex = 0;
    const cross = canvas.parentNode.appendChild(document.createElement('div'));
    const arm = `${2 * CrossArm + 1}px`;
    Object.assign(cross.style, {
      position: 'absolute', width: arm, height: arm, pointerEvents: 'none', mixBlendMode: 'difference',
      background: `linear-gradient(#fff, #fff) center / ${arm} 1px no-repeat, ` +
        `linear-gradient(#fff, #fff) center / 1px ${arm} no-repeat`, display: 'none',
    });
    const key = (e, down) => {
      if (!(e.key in Keys) || e.altKey || e.ctrlKey || e.metaKey) return;
      e.preventDefault(); // no scrolling, no click
      this.used = true;
      const x = this.shell.engine.x;
      this.shell.showTool(x.tv_key(pane, Keys[e.key], down ? 1 : 0, e.shiftKey ? 1 : 0, e.repeat ? 1 : 0));
      this.show();
    };
    canvas.addEventListener('keydown', (e) => key(e, true));
    canvas.addEventListener('keyup', (e) => key(e, false));
    canvas.addEventListener('focus', () => {
      this.used = canvas.matches(':focus-visible');
      this.show();
    });
    canvas.addEventListener('blur', () => {
      this.shell.showTool(this.shell.engine.x.tv_keys_lost());
      this.show();
    });
    canvas.addEventListener('pointerdown', () => {
      this.used = false;
      this.show();
    });
    return cross;
  }

  // Shows the focused view's keyboard pointer where the engine has it, and no other.
  show() {
    this.crosses.forEach((cross, pane) => {
      const canvas = this.shell.planes[pane];
      const shown = this.used && document.activeElement === canvas;
      cross.style.display = shown ? 'block' : 'none';
      if (!shown) return;
      const at = this.shell.engine.x.tv_keyboard_pointer(pane);
      cross.style.left = `${canvas.offsetLeft + (at % 65536) - CrossArm}px`;
      cross.style.top = `${canvas.offsetTop + Math.floor(at / 65536) - CrossArm}px`;
    });
  }
}

class Shell {
  constructor(engine) {
    this.engine = engine;
    this.tool = NoTool;
    this.tools = new Map(); // TTool -> button
    this.canvases = [];
    this.readouts = [];
    this.planes = []; // the plan panes' canvases, by TPlanView
    this.ticks = 0;
    this.build();
    this.separator = decimalSeparator();
    engine.setSeparator(this.separator);
    this.fit();
  }

  // The window at a fixed size, scaled to the viewport now and whenever the viewport changes.
  fit() {
    const win = document.getElementById('tirvok3-window');
    const [width, height] = windowSize(win, this.separator);
    const refit = () => { this.scale = fitWindow(win, width, height); };
    window.addEventListener('resize', refit);
    refit();
  }

  build() {
    const x = this.engine.x;
    document.title = this.engine.text(x.tv_window_text(WinText.caption));
    const body = document.getElementById('tirvok3-window');
    // For screen readers the window is the page's main landmark, with a heading and the place where edits
    // are announced; neither is seen.
    body.setAttribute('role', 'main');
    const heading = body.appendChild(document.createElement('h1'));
    heading.className = 'unseen';
    heading.textContent = document.title;
    this.said = body.appendChild(document.createElement('div'));
    this.said.className = 'unseen';
    this.said.setAttribute('aria-live', 'polite');
    const root = document.documentElement.style; // the face fills the whole viewport
    root.setProperty('--face', cssColour(x.tv_window_number(Win.face)));
    root.setProperty('--ink', cssColour(x.tv_window_number(Win.ink)));
    const family = this.engine.text(x.tv_window_text(WinText.font));
    document.body.style.font = `${x.tv_window_number(Win.fontPixels)}px "${family}", ${FontFallback}`;
    let toolGroup = null;
    for (let i = 0; i < x.tv_control_count(); ++i) {
      const num = (field) => x.tv_control_number(i, field);
      const text = (field) => this.engine.text(x.tv_control_text(i, field));
      const px = (field) => `${num(field)}px`;
      let made;
      switch (num(Num.kind)) {
        case Kind.Pane:
          made = this.makePane(num(Num.pane), num(Num.width), num(Num.height));
          break;
        case Kind.Tool:
          if (toolGroup === null) {
            toolGroup = body.appendChild(document.createElement('div'));
            toolGroup.setAttribute('role', 'group');
            toolGroup.setAttribute('aria-label', this.engine.text(x.tv_window_text(WinText.toolGroup)));
          }
          made = this.makeTool(num(Num.tool), text(Text.caption), text(Text.tooltip), toolGroup);
          break;
        default:
          made = body.appendChild(document.createElement('div'));
          made.className = 'label';
          made.textContent = text(Text.caption);
          if (num(Num.kind) === Kind.Readout) {
            // A screen reader reads what it measures, then the value: "Kamera x, 50" (unseen, by CSS).
            made.dataset.measures = text(Text.spokenName);
            this.readouts[num(Num.readout)] = made;
            made.dataset.readout = num(Num.readout);
          }
          made.style.minWidth = px(Num.width); // grows to fit its text, never narrower
      }
      made.id = text(Text.name);
      made.classList.add('control');
      Object.assign(made.style, { left: px(Num.left), top: px(Num.top), height: px(Num.height) });
      if (num(Num.kind) !== Kind.Label && num(Num.kind) !== Kind.Readout) made.style.width = px(Num.width);
      if (text(Text.spokenName) && num(Num.kind) !== Kind.Readout) made.setAttribute('aria-label', text(Text.spokenName));
      if (text(Text.spokenDescription)) made.setAttribute('aria-description', text(Text.spokenDescription));
    }
    this.pointers = new Pointers(this);
    this.keyboard = new Keyboard(this, toolGroup);
  }

  makePane(pane, width, height) {
    const canvas = document.getElementById('tirvok3-window').appendChild(document.createElement('canvas'));
    canvas.width = width;
    canvas.height = height;
    canvas.setAttribute('role', 'img');
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('mousedown', (e) => e.preventDefault());
    this.canvases[pane] = { canvas, context: canvas.getContext('2d', { alpha: false }) };
    if (pane !== Pane3B) this.planes[pane] = canvas;
    return canvas;
  }

  makeTool(tool, caption, tooltip, group) {
    const button = group.appendChild(document.createElement('button'));
    button.type = 'button';
    button.className = 'tool';
    button.textContent = caption;
    button.setAttribute('aria-pressed', 'false');
    if (tooltip) button.title = tooltip;
    button.addEventListener('click', () => this.showTool(this.engine.x.tv_click_tool(tool)));
    this.tools.set(tool, button);
    return button;
  }

  // Tells screen readers, politely and once, what an edit changed.
  announce(text) {
    if (!text) return;
    // The same sentence twice in a row is still a change for the live region.
    this.said.textContent = this.said.textContent === text ? `${text}\u00a0` : text;
  }

  // Shows the engine's tool group: the tool that is down, the others up.
  showTool(tool) {
    this.announce(this.engine.text(this.engine.x.tv_edit_announcement()));
    if (tool === this.tool) return;
    this.tool = tool;
    for (const [t, button] of this.tools) button.setAttribute('aria-pressed', String(t === tool));
  }

  // One frame: the engine draws; only panes whose pixels changed are put on their canvas.
  frame() {
    const x = this.engine.x;
    const changed = x.tv_frame();
    const size = x.tv_pane_size();
    this.canvases.forEach(({ context }, pane) => {
      if ((changed & (1 << pane)) === 0) return;
      const address = x.tv_pane_rgba(pane);
      const rgba = new Uint8ClampedArray(x.memory.buffer, address, size * size * 4);
      context.putImageData(new ImageData(rgba, size, size), 0, 0);
    });
    this.readouts.forEach((label, i) => {
      const text = this.engine.text(x.tv_readout(i));
      if (label.textContent !== text) label.textContent = text;
    });
    if (this.ticks++ === 0) this.firstFrameMs = performance.now(); // since the navigation began
  }

  // Frames on a timer, not on display refresh: the scene is redrawn every kFrameMs as on the desktop.
  // The first one is drawn as soon as the page is built, not an interval later.
  start() {
    setInterval(() => this.frame(), this.engine.x.tv_window_number(Win.frameMs));
    setTimeout(() => this.frame(), 0);
  }
}

// Debian 13's libc++ names WASI's file calls (fd_write, ...) for its abort message, a path no tick
// takes: every call the module imports answers ENOSYS, and the trap that follows stops the page.
async function startPage() {
  const compiled = await WebAssembly.compile(await moduleBytes());
  const imports = {};
  for (const { module, name, kind } of WebAssembly.Module.imports(compiled)) {
    if (kind === 'function') (imports[module] ??= {})[name] = () => WasiNoSys;
  }
  const shell = new Shell(new Engine(await WebAssembly.instantiate(compiled, imports)));
  shell.start();
  // For tests and measurements: the frame count and the shell.
  window.tirvok3 = shell;
}

// The page checked what it needs before this module ran (tirvok3Missing names what is missing). A start
// that fails anyway says why on the page: some browsers log nothing for a module whose start was refused.
if (!window.tirvok3Missing) {
  try {
    await startPage();
  } catch (error) {
    const what = `${error.name}: ${error.message}`;
    window.tirvok3Failure(`başlarken bir hata oldu (${what})`, `an error stopped it (${what})`);
  }
  // Installed from a web server (the site's page names its manifest), the page works offline after its
  // first visit: the service worker keeps the site's files.
  if (document.querySelector('link[rel="manifest"]') && 'serviceWorker' in navigator && window.isSecureContext) {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}
