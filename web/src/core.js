// The program's own HEX reader, memory image, grid texts, programming
// stream and texts (Czech and English), from its WebAssembly core
// (web/wasm/core.cpp).
// The page writes none of them again: it asks the core.

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The core of `instance`, a WebAssembly instance of programator-core.wasm
// whose WASI reactor has been initialised.
export function Core(instance) {
  const e = instance.exports;
  const memory = () => new Uint8Array(e.memory.buffer);

  // A C string of the module as a JS string.
  const read = (pointer) => {
    const bytes = memory();
    let end = pointer;
    while (bytes[end] !== 0) end += 1;
    return decoder.decode(bytes.subarray(pointer, end));
  };
  // Runs `call` with each of `texts` as a C string in the module's memory.
  const withStrings = (texts, call) => {
    const pointers = texts.map((text) => {
      const bytes = encoder.encode(text);
      const pointer = e.ktq_alloc(bytes.length + 1);
      memory().set(bytes, pointer);
      memory()[pointer + bytes.length] = 0;
      return pointer;
    });
    try {
      return call(...pointers);
    } finally {
      pointers.forEach((pointer) => e.ktq_free(pointer));
    }
  };

  e.ktq_start();
  const core = {
    streamBytes: e.ktq_stream_bytes(),
    writeLimitMs: e.ktq_write_limit_ms(),
    lineBytesPerSecond: e.ktq_line_bytes_per_second(),
    rows: 256,
    columns: 17,

    // Loads a file's bytes as Otevřít does: null on success, else the
    // message the window gives for it.
    open(name, bytes) {
      const pointer = e.ktq_alloc(bytes.length);
      memory().set(bytes, pointer);
      const ok = e.ktq_open(pointer, bytes.length);
      e.ktq_free(pointer);
      return ok ? null : withStrings([name], (file) => read(e.ktq_open_message(file)));
    },
    maxFileBytes: e.ktq_max_file_bytes(),
    // A file that could not be given to open(): `why` 'too-large' or
    // 'read-failed' with the browser's `reason`; the message the window gives.
    refuse(name, why, reason = '') {
      withStrings([why, reason], (w, r) => e.ktq_refuse_file(w, r));
      return withStrings([name], (file) => read(e.ktq_open_message(file)));
    },
    // The image erased and the grid all FF, as at the start.
    erase: () => e.ktq_start(),
    cell: (column, row) => read(e.ktq_cell(column, row)),
    // A cell as a screen reader names it ("3015: 0A"), and a column's header.
    cellName: (column, row) => read(e.ktq_cell_name(column, row)),
    columnHeader: (column) => read(e.ktq_column_header(column)),
    // Every later text in `code`'s language ('cs' or 'en'); false for another code.
    setLanguage: (code) => withStrings([code], (pointer) => e.ktq_set_language(pointer) === 1),
    // The 16384 bytes for the image as it is now (a copy).
    stream: () => memory().slice(e.ktq_stream(), e.ktq_stream() + core.streamBytes),
    text: (name) => withStrings([name], (pointer) => read(e.ktq_text(pointer))),
    progress: (done, total = core.streamBytes) => read(e.ktq_progress(done, total)),
    confirmBoards: (boards) => read(e.ktq_confirm_boards(boards)),
    boardsDone: (done, boards) => read(e.ktq_boards_done(done, boards)),
    openFailed: (cause, device, reason) =>
      withStrings([cause, device, reason], (c, d, r) => read(e.ktq_open_failed(c, d, r))),
    sendFailed: (cause, written, taken, device, reason) =>
      withStrings([cause, device, reason], (c, d, r) => read(e.ktq_send_failed(c, written, taken, d, r))),
    portFilters: () => JSON.parse(read(e.ktq_port_filters())),
    adapterName: (vidPid) => withStrings([vidPid], (pointer) => read(e.ktq_adapter_name(pointer))),
  };
  return core;
}

// The WASI calls the core makes, for a browser: it writes only to standard
// error, when it stops.
export function BrowserWasi() {
  let memory = null;
  return {
    bind(instance) {
      memory = instance.exports.memory;
      instance.exports._initialize();
    },
    imports: {
      fd_write(fd, iovs, count, written) {
        const view = new DataView(memory.buffer);
        let total = 0;
        let text = '';
        for (let i = 0; i < count; i += 1) {
          const base = view.getUint32(iovs + 8 * i, true);
          const length = view.getUint32(iovs + 8 * i + 4, true);
          text += decoder.decode(new Uint8Array(memory.buffer, base, length));
          total += length;
        }
        if (text) console.error(text);
        view.setUint32(written, total, true);
        return 0;
      },
      fd_close: () => 0,
      fd_seek: () => 70, // ESPIPE: the core seeks nothing
    },
  };
}

// Loads the core from `url` in a browser.
export async function LoadCore(url) {
  const wasi = BrowserWasi();
  const { instance } = await WebAssembly.instantiateStreaming(fetch(url), {
    wasi_snapshot_preview1: wasi.imports,
  });
  wasi.bind(instance);
  return Core(instance);
}
