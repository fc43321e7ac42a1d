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
function decimalSeparator() {
  const part = new Intl.NumberFormat(navigator.language).formatToParts(1.5).find((p) => p.type === 'decimal');
  return part ? part.value : '.';
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

// A plan pane: every button pressed here captures the pointer until all are up; moves while one is held
// go to the engine one by one (edge scrolling counts them), in signed pane pixels.
class PlanPane {
  constructor(shell, canvas, pane) {
    this.shell = shell;
    this.canvas = canvas;
    this.pane = pane;
    this.held = 0; // PointerEvent.buttons bits of the buttons pressed here
    canvas.addEventListener('pointerdown', (e) => this.down(e));
    canvas.addEventListener('pointermove', (e) => this.move(e));
    canvas.addEventListener('pointerup', (e) => this.up(e));
    canvas.addEventListener('pointercancel', () => this.releaseAll());
    canvas.addEventListener('lostpointercapture', () => this.releaseAll());
  }

  // Pane pixel under an event: floor, so a pointer left of or above the pane is negative at any zoom.
  at(e) {
    const box = this.canvas.getBoundingClientRect();
    const pixel = (v, size, css) => Math.max(-CoordLimit, Math.min(CoordLimit, Math.floor((v * size) / css))) || 0;
    return [
      pixel(e.clientX - box.left, this.canvas.width, box.width),
      pixel(e.clientY - box.top, this.canvas.height, box.height),
    ];
  }

  down(e) {
    e.preventDefault(); // no text selection, focus change or middle-button scrolling
    if (this.held === 0) this.canvas.setPointerCapture(e.pointerId);
    this.press(e.button, e);
  }

  move(e) {
    // A second button pressed or released while another is held arrives as a move that is no movement.
    if (e.button >= 0) {
      if ((e.buttons & buttonBit(e.button)) !== 0) this.press(e.button, e);
      else this.release(e.button);
      return;
    }
    if (this.held !== 0) {
      const moves = e.getCoalescedEvents ? e.getCoalescedEvents() : [];
      for (const m of moves.length > 0 ? moves : [e]) {
        const [x, y] = this.at(m);
        this.shell.engine.x.tv_mouse_move(this.pane, x, y, this.shell.tool);
      }
    }
  }

  up(e) {
    this.release(e.button);
  }

  press(button, e) {
    if ((this.held & buttonBit(button)) !== 0) return;
    this.held |= buttonBit(button);
    const [x, y] = this.at(e);
    this.shell.engine.x.tv_mouse_down(this.pane, button, x, y, this.shell.tool);
  }

  // A release whose press went elsewhere is not this pane's.
  release(button) {
    if ((this.held & buttonBit(button)) === 0) return;
    this.held &= ~buttonBit(button);
    this.shell.setTool(this.shell.engine.x.tv_mouse_up(this.pane, button, this.shell.tool));
    this.shell.announce(this.shell.engine.text(this.shell.engine.x.tv_edit_announcement()));
  }

  // Capture lost mid-drag (another window, the page losing focus): the drag ends as releases would.
  releaseAll() {
    for (const button of [0, 2, 1]) this.release(button); // left, right, middle, as the other shells
    for (let button = 3; this.held !== 0 && button <= 30; ++button) this.release(button);
  }
}

class Shell {
  constructor(engine) {
    this.engine = engine;
    this.tool = NoTool;
    this.tools = new Map(); // TTool -> button
    this.canvases = [];
    this.readouts = [];
    this.planPanes = [];
    this.ticks = 0;
    this.build();
    engine.setSeparator(decimalSeparator());
  }

  build() {
    const x = this.engine.x;
    document.title = this.engine.text(x.tv_window_text(WinText.caption));
    // For screen readers: the page's heading and landmark, and where edits are announced; none is seen.
    const main = document.body.appendChild(document.createElement('main'));
    this.main = main;
    const heading = main.appendChild(document.createElement('h1'));
    heading.className = 'unseen';
    heading.textContent = document.title;
    this.said = main.appendChild(document.createElement('div'));
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
            toolGroup = main.appendChild(document.createElement('div'));
            toolGroup.setAttribute('role', 'group');
            toolGroup.setAttribute('aria-label', this.engine.text(x.tv_window_text(WinText.toolGroup)));
          }
          made = this.makeTool(num(Num.tool), text(Text.caption), text(Text.tooltip), toolGroup);
          break;
        default:
          made = main.appendChild(document.createElement('div'));
          made.className = 'label';
          made.textContent = text(Text.caption);
          if (num(Num.kind) === Kind.Readout) {
            // A screen reader reads what it measures, then the value: "Kamera x, 50" (unseen, by CSS).
            made.dataset.measures = text(Text.spokenName);
            this.readouts[num(Num.readout)] = made;
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
    // Whatever ends a drag the page cannot see (another window takes the focus) ends it as a release would.
    window.addEventListener('blur', () => this.planPanes.forEach((p) => p.releaseAll()));
  }

  makePane(pane, width, height) {
    const canvas = this.main.appendChild(document.createElement('canvas'));
    canvas.width = width;
    canvas.height = height;
    canvas.setAttribute('role', 'img');
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('mousedown', (e) => e.preventDefault());
    this.canvases[pane] = { canvas, context: canvas.getContext('2d', { alpha: false }) };
    if (pane !== Pane3B) this.planPanes.push(new PlanPane(this, canvas, pane));
    return canvas;
  }

  makeTool(tool, caption, tooltip, group) {
    const button = group.appendChild(document.createElement('button'));
    button.type = 'button';
    button.className = 'tool';
    button.textContent = caption;
    button.setAttribute('aria-pressed', 'false');
    if (tooltip) button.title = tooltip;
    // At most one tool is down; pressing the one that is down raises it.
    button.addEventListener('click', () => this.setTool(this.tool === tool ? NoTool : tool));
    this.tools.set(tool, button);
    return button;
  }

  // Tells screen readers, politely and once, what an edit changed.
  announce(text) {
    if (!text) return;
    // The same sentence twice in a row is still a change for the live region.
    this.said.textContent = this.said.textContent === text ? `${text}\u00a0` : text;
  }

  setTool(tool) {
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
  start() {
    setInterval(() => this.frame(), this.engine.x.tv_window_number(Win.frameMs));
  }
}

// Debian 13's libc++ names WASI's file calls (fd_write, ...) for its abort message, a path no tick
// takes: every call the module imports answers ENOSYS, and the trap that follows stops the page.
const compiled = await WebAssembly.compile(await moduleBytes());
const imports = {};
for (const { module, name, kind } of WebAssembly.Module.imports(compiled)) {
  if (kind === 'function') (imports[module] ??= {})[name] = () => WasiNoSys;
}
const shell = new Shell(new Engine(await WebAssembly.instantiate(compiled, imports)));
shell.start();
// For tests and measurements: the frame count and the shell.
window.tirvok3 = shell;
