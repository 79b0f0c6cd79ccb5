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

async function Start() {
  const core = await LoadCore('programator-core.wasm');
  const t = core.text;
  document.title = t('window-title');
  $('title').textContent = t('page-title');
  $('open-text').textContent = t('open').trim();
  $('program').textContent = t('program');
  $('choose').textContent = t('choose-adapter');
  $('program-all').textContent = t('program-all').replace('…', '');
  $('grid').setAttribute('aria-label', t('grid'));
  $('grid').title = t('grid');
  $('hint').textContent = t('drop-hint');
  $('yes').textContent = t('yes');
  $('no').textContent = t('no');
  $('ok').textContent = t('ok');
  $('board-port').textContent = t('column-port');
  $('board-progress').textContent = t('column-progress');
  $('board-result').textContent = t('column-result');
  const grid = new Grid($('grid'), core);
  grid.draw();
  const status = (text) => {
    $('status').textContent = text;
  };

  // Otevřít and a dropped file: loaded as the window loads a file.
  const load = async (file) => {
    const message = core.open(file.name, new Uint8Array(await file.arrayBuffer()));
    if (message !== null) {
      await Ask($('message'), message);
      return;
    }
    grid.refresh();
  };
  $('open').addEventListener('change', () => {
    const [file] = $('open').files;
    $('open').value = '';
    if (file) load(file);
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const files = [...event.dataTransfer.files];
    if (files.length !== 1) {
      Ask($('message'), t('drop-one-file'));
      return;
    }
    load(files[0]);
  });

  const serial = navigator.serial;
  const busy = (on) => {
    for (const id of ['program', 'program-all', 'choose', 'open']) $(id).disabled = on || (id !== 'open' && !serial);
  };
  if (!serial || !window.isSecureContext) {
    $('unsupported').textContent = t(serial ? 'insecure' : 'no-web-serial');
    $('unsupported').hidden = false;
    busy(false);
    return;
  }

  // The ports this page may use; the first one is the board's.
  const name = (port) => {
    const vidPid = VidPid(port.getInfo());
    return vidPid ? core.adapterName(vidPid) : t('column-port');
  };
  let chosen = null;
  let unplugged = false; // the board's adapter was pulled out, and not plugged in again yet
  const ports = new GrantedPorts(serial, name, (why) => {
    const had = chosen;
    if (!ports.ports.includes(chosen)) chosen = ports.ports[0] ?? null;
    const labels = ports.ports.map(name);
    $('adapter').textContent =
      labels.length === 0 ? t('no-adapter') : (labels.length === 1 ? t('adapter') : t('adapters')) + labels.join(', ');
    if (why === 'disconnect' && had && !ports.ports.includes(had)) {
      unplugged = true;
      status(t('unplugged'));
    }
    if (why === 'connect' && unplugged && chosen) {
      unplugged = false;
      status(t('back'));
    }
    $('program-all').disabled = labels.length < 2;
  });
  await ports.refresh();
  $('choose').addEventListener('click', async () => {
    const port = await ports.choose(core.portFilters());
    if (port) {
      chosen = port;
      ports.changed('');
    }
  });

  $('program').addEventListener('click', async () => {
    status(t('programming'));
    if ((await Ask($('question'), t('confirm'))) !== 'yes') {
      status(t('cancelled'));
      return;
    }
    if (!chosen) {
      await Ask($('message'), t('no-adapter'));
      status('');
      return;
    }
    const [transport] = ports.transports().filter((candidate) => candidate.port === chosen);
    busy(true);
    $('progress-port').textContent = transport.label;
    const bar = $('progress').querySelector('progress');
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
  });

  // Every board at once: a row each, with its bar and its result.
  $('program-all').addEventListener('click', async () => {
    const transports = ports.transports();
    if ((await Ask($('question'), core.confirmBoards(transports.length))) !== 'yes') return;
    busy(true);
    const body = $('boards').querySelector('tbody');
    body.replaceChildren();
    const rows = transports.map((transport) => {
      const row = body.insertRow();
      row.insertCell().textContent = transport.label;
      const bar = document.createElement('progress');
      bar.max = core.streamBytes;
      bar.value = 0;
      row.insertCell().append(bar);
      row.insertCell();
      return row;
    });
    $('boards').hidden = false;
    $('boards-total').textContent = '';
    const { results, total } = await ProgramBoards(core, transports, core.stream(), (board, left) => {
      rows[board].cells[1].firstChild.value = left;
    });
    results.forEach((result, board) => {
      rows[board].cells[1].firstChild.value = result.written;
      rows[board].cells[2].textContent = result.message;
    });
    $('boards-total').textContent = total;
    busy(false);
  });
  busy(false);
  $('program-all').disabled = ports.ports.length < 2;
}

if ('serviceWorker' in navigator && window.isSecureContext) navigator.serviceWorker.register('sw.js');
Start();
