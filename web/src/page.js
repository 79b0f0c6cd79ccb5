// The page: Otevřít, the grid, Programuj and every board at once, over the
// browser's serial ports. Texts, reader, image and stream are the core's;
// programming is the job's (job.js); the ports are the transport's.
import { LoadCore } from './core.js';
import { Grid } from './grid.js';
import { ProgramBoard, ProgramBoards } from './job.js';
import { GrantedPorts, VidPid } from './transport.js';

const $ = (id) => document.getElementById(id);

// Shows `dialog` with `text` and resolves with the value of the button that
// closed it ('' for Escape).
function Ask(dialog, text) {
  dialog.querySelector('p').textContent = text;
  dialog.returnValue = '';
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => resolve(dialog.returnValue), { once: true });
    dialog.showModal();
  });
}
for (const dialog of [$('question'), $('message')]) {
  for (const button of dialog.querySelectorAll('button')) {
    button.addEventListener('click', () => dialog.close(button.value));
  }
}
// The progress box is closed by the page alone: Escape does not stop a transfer.
$('progress').addEventListener('cancel', (event) => event.preventDefault());

// The language the page was last left in, kept in the browser; Czech
// otherwise, whatever language the browser prefers.
const kLanguageKey = 'ktq51-language';
const kLanguages = { cs: 'language-cs', en: 'language-en' };
const StoredLanguage = () => {
  try {
    return localStorage.getItem(kLanguageKey);
  } catch {
    return null; // storage refused: Czech
  }
};

async function Start() {
  const core = await LoadCore('programator-core.wasm');
  const t = core.text;
  const grid = new Grid($('grid'), core);
  // What the status line, the warning and the offline line say, by the
  // name of their text, so that a change of language says it again.
  const shown = { status: '', unsupported: '', offline: '' };
  const say = (id, name) => {
    shown[id] = name;
    $(id).textContent = name ? t(name) : '';
  };
  const status = (name) => say('status', name);
  // Every text on the page, from the core in its current language; called
  // at the start and on every change of language.
  let redraw = () => {};
  const texts = () => {
    document.documentElement.lang = core.language;
    document.title = t('window-title');
    $('title').textContent = t('page-title');
    $('language-label').textContent = t('language');
    for (const option of $('language').options) option.textContent = t(kLanguages[option.value]);
    $('open-button').textContent = t('open').trim();
    $('program').textContent = t('program');
    $('choose').textContent = t('choose-adapter');
    $('program-all').textContent = t('program-all').replace('…', '');
    $('grid').setAttribute('aria-label', t('grid'));
    $('grid').title = t('grid');
    $('hint').textContent = t('drop-hint');
    $('yes').textContent = t('yes');
    $('no').textContent = t('no');
    $('ok').textContent = t('ok');
    for (const id of ['question', 'message']) $(id).setAttribute('aria-label', t('window-title'));
    $('progress').setAttribute('aria-label', t('programming'));
    $('progress-bar').setAttribute('aria-label', t('column-progress'));
    $('board-port').textContent = t('column-port');
    $('board-progress').textContent = t('column-progress');
    $('board-result').textContent = t('column-result');
    for (const id of Object.keys(shown)) say(id, shown[id]);
    grid.refresh();
    redraw();
  };
  const language = (code) => {
    if (!core.setLanguage(code)) core.setLanguage((code = 'cs'));
    core.language = code;
    $('language').value = code;
    texts();
  };
  $('language').addEventListener('change', () => {
    try {
      localStorage.setItem(kLanguageKey, $('language').value);
    } catch {
      // Not kept, but still switched for this visit.
    }
    language($('language').value);
  });
  language(StoredLanguage() ?? 'cs');
  // Offline once opened: the service worker keeps the page, and that is said once it does.
  navigator.serviceWorker?.ready.then(() => say('offline', 'offline'));
  grid.draw();

  // While a transfer runs or a box is open, no file is taken: the image
  // stays the one being sent or asked about.
  let running = false;
  const idle = () => !running && !document.querySelector('dialog[open]');

  // Otevřít and a dropped file: loaded as the window loads a file. A file
  // too large to be a HEX file for the board is refused unread.
  const load = async (file) => {
    let message;
    if (file.size > core.maxFileBytes) {
      message = core.refuse(file.name, 'too-large');
    } else {
      let bytes = null;
      try {
        bytes = new Uint8Array(await file.arrayBuffer());
      } catch (error) {
        message = core.refuse(file.name, 'read-failed', String(error?.message ?? error));
      }
      // Neither the image nor a box may change under a question or a
      // transfer that began while the file was being read.
      if (!idle()) return;
      if (bytes) message = core.open(file.name, bytes);
    }
    if (message !== null) {
      await Ask($('message'), message);
      return;
    }
    grid.refresh();
  };
  $('open-button').addEventListener('click', () => $('open').click());
  $('open').addEventListener('change', () => {
    const [file] = $('open').files;
    $('open').value = '';
    if (file) load(file);
  });
  // A cancelled chooser erases the image and the grid, as in the window.
  $('open').addEventListener('cancel', () => {
    core.erase();
    grid.refresh();
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    if (!idle()) return;
    const files = [...event.dataTransfer.files];
    if (files.length !== 1) {
      Ask($('message'), t('drop-one-file'));
      return;
    }
    load(files[0]);
  });

  const serial = navigator.serial;
  let ports = null;
  const busy = (on) => {
    running = on;
    for (const id of ['program', 'choose', 'open-button', 'open']) $(id).disabled = on || (!id.startsWith('open') && !serial);
    $('program-all').disabled = on || !ports || ports.ports.length < 2;
  };
  // A page over plain http (other than localhost) has no navigator.serial
  // in Chromium: that is said, not that the browser lacks it.
  if (!serial || !window.isSecureContext) {
    say('unsupported', window.isSecureContext ? 'no-web-serial' : 'insecure');
    $('unsupported').hidden = false;
    busy(false);
    return;
  }

  // The ports this page may use, and the board's. Identical adapters are
  // told apart by a number, in the order the browser lists them.
  const labels = (list) => {
    const names = list.map((port) => {
      const vidPid = VidPid(port.getInfo());
      return vidPid ? core.adapterName(vidPid) : t('serial-port');
    });
    return names.map((label, i) =>
      names.filter((other) => other === label).length < 2
        ? label
        : label + t('adapter-number') + String(names.slice(0, i + 1).filter((other) => other === label).length));
  };
  const name = (port) => labels(ports.ports)[ports.ports.indexOf(port)] ?? t('serial-port');
  // The board's port: the one chosen, or the first one granted while none
  // was. An adapter pulled out is not replaced by another one: the page
  // waits for it (an adapter of the same kind plugged in) or a new choice.
  let chosen = null;
  // While the board's adapter is pulled out: its ids, and the ports there
  // were then, none of which is it.
  let lost = null;
  ports = new GrantedPorts(serial, name, (why) => {
    if (chosen && !ports.ports.includes(chosen)) {
      lost = { ids: VidPid(chosen.getInfo()), others: new Set(ports.ports) };
      chosen = null;
      if (why === 'disconnect') status('unplugged');
    } else if (lost) {
      const back = ports.ports.find((port) => !lost.others.has(port) && VidPid(port.getInfo()) === lost.ids);
      if (back) {
        chosen = back;
        lost = null;
        if (why === 'connect') status('back');
      }
    } else if (!chosen) {
      chosen = ports.ports[0] ?? null;
    }
    redraw();
    busy(running);
  });
  // The adapter line, in the language of the moment.
  redraw = () => {
    const all = labels(ports.ports);
    $('adapter').textContent =
      (chosen ? t('adapter') + name(chosen) : t('no-adapter')) + (all.length > 1 ? '\n' + t('adapters') + all.join(', ') : '');
  };
  await ports.refresh();
  $('choose').addEventListener('click', async () => {
    let port = null;
    try {
      port = await ports.choose(core.portFilters());
    } catch (error) {
      await Ask($('message'), t('chooser-refused') + String(error?.message ?? error));
      return;
    }
    if (port) {
      chosen = port;
      lost = null;
      ports.changed('');
    }
  });

  $('program').addEventListener('click', async () => {
    if (!chosen) {
      await Ask($('message'), t('no-adapter'));
      return;
    }
    status('programming');
    if ((await Ask($('question'), t('confirm'))) !== 'yes') {
      status('cancelled');
      return;
    }
    if (!ports.ports.includes(chosen)) {
      // Pulled out while the question was open.
      await Ask($('message'), t('no-adapter'));
      status('');
      return;
    }
    const [transport] = ports.transports().filter((candidate) => candidate.port === chosen);
    busy(true);
    $('progress-port').textContent = transport.label;
    const bar = $('progress-bar');
    const shown = (left) => {
      bar.value = left;
      $('progress-text').textContent = core.progress(left);
    };
    shown(0);
    $('progress').showModal();
    const result = await ProgramBoard(core, transport, core.stream(), shown);
    $('progress').close();
    busy(false);
    await Ask($('message'), result.message);
    status('');
    $('program').focus({ preventScroll: true });
  });

  // Every board at once: a row each, with its bar and its result.
  $('program-all').addEventListener('click', async () => {
    if ((await Ask($('question'), core.confirmBoards(ports.ports.length))) !== 'yes') {
      status('cancelled');
      return;
    }
    // The adapters there are now: one pulled out while the question was
    // open gets no row, one plugged in meanwhile gets one.
    const transports = ports.transports();
    if (transports.length === 0) {
      await Ask($('message'), t('no-adapter'));
      status('');
      return;
    }
    status('programming');
    busy(true);
    const body = $('boards').querySelector('tbody');
    body.replaceChildren();
    const rows = transports.map((transport, board) => {
      const row = body.insertRow();
      const port = row.insertCell();
      port.textContent = transport.label;
      port.id = `board-${board}`;
      // Each bar is named by its board's port.
      const bar = document.createElement('progress');
      bar.max = core.streamBytes;
      bar.value = 0;
      bar.setAttribute('aria-labelledby', port.id);
      row.insertCell().append(bar);
      row.insertCell();
      return row;
    });
    $('boards').hidden = false;
    $('boards').scrollIntoView({ block: 'nearest' });
    $('boards-total').textContent = '';
    const { results, total } = await ProgramBoards(core, transports, core.stream(), (board, left) => {
      rows[board].cells[1].firstChild.value = left;
    });
    results.forEach((result, board) => {
      rows[board].cells[1].firstChild.value = result.written;
      rows[board].cells[2].textContent = result.message;
    });
    $('boards-total').textContent = total;
    status('');
    busy(false);
    ($('program-all').disabled ? $('program') : $('program-all')).focus({ preventScroll: true });
    $('boards').scrollIntoView({ block: 'nearest' });
  });
  // Leaving the page mid-transfer would leave a board half programmed.
  window.addEventListener('beforeunload', (event) => {
    if (running) event.preventDefault();
  });
  busy(false);
}

if ('serviceWorker' in navigator && window.isSecureContext) navigator.serviceWorker.register('sw.js').catch(() => {});
Start();
