// Programming through a transport: one board, or every board at once, with
// the stream, the rule for success and the texts of the program's core.
// The job never touches navigator.serial. A transport has:
//   label        how the page names its port
//   gone         true once its device has gone (unplugged)
//   open(options)   opens the port with these line settings
//   write(bytes)    resolves once the bytes are handed to the system
//   drain()         resolves once every byte written has left the port
//   abort()         discards what the port still queues
//   close()         gives the port back

// 19200 baud, 8 data bits, no parity, one stop bit, no flow control.
export const kLineSettings = { baudRate: 19200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' };

// The stream goes to the port a kilobyte at a time, so that a write never
// holds more than the line carries in half a second.
const kChunk = 1024;

class TimedOut extends Error {}

// Why an open failed, in the core's words for it. A port that another
// program holds fails with NetworkError; one that this page still has open
// (a transfer stuck so that the port could not be closed) with
// InvalidStateError.
function OpenCause(error) {
  switch (error?.name) {
    case 'NetworkError': return 'in-use';
    case 'InvalidStateError': return 'held-here';
    case 'NotFoundError': return 'no-device';
    case 'SecurityError': return 'no-permission';
    default: return 'other';
  }
}

// Why a transfer stopped: the device gone (its port disconnected, or the
// browser lost it), the time up, or another reason.
function SendCause(error, transport) {
  if (error instanceof TimedOut) return 'timed-out';
  if (transport.gone || error?.name === 'NetworkError') return 'gone';
  return 'other';
}

function Reason(error) {
  return String(error?.message ?? error ?? '');
}

// Programs one board through `transport`. `onProgress(left)` is told how
// many bytes may have left the port so far: no more than the port has
// taken, nor than the line carries in the time since the first write.
// Success means that the port reports every byte as sent (the writable's
// close drains the port's transmit buffer). Resolves with { ok, message,
// written, opened }.
export async function ProgramBoard(core, transport, stream, onProgress = () => {}, clock = () => performance.now()) {
  // One bound for the whole job, the open included: a port that never
  // answers ends it with the time-out, however far it got.
  let timer;
  const deadline = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new TimedOut()), core.writeLimitMs);
  });
  deadline.catch(() => {});
  let start = 0; // when the first byte went, once the port is open
  let taken = 0;
  const left = () => Math.min(taken, Math.floor(((clock() - start) * core.lineBytesPerSecond) / 1000));
  let ticker;
  let opened = false;
  try {
    try {
      await Promise.race([transport.open(kLineSettings), deadline]);
    } catch (error) {
      if (error instanceof TimedOut) throw error;
      return { ok: false, opened: false, written: 0, message: core.openFailed(OpenCause(error), transport.label, Reason(error)) };
    }
    opened = true;
    start = clock();
    ticker = setInterval(() => onProgress(left()), 100);
    for (let at = 0; at < stream.length; at += kChunk) {
      const chunk = stream.subarray(at, at + kChunk);
      await Promise.race([transport.write(chunk), deadline]);
      taken = at + chunk.length;
    }
    await Promise.race([transport.drain(), deadline]);
    onProgress(stream.length);
    return { ok: true, opened: true, written: stream.length, message: core.text('done') };
  } catch (error) {
    const cause = SendCause(error, transport);
    // What is still queued would reach the board later, in front of the
    // next transfer: it is discarded. A port stuck in a write may never
    // finish the abort: it is given a moment, not the rest of the lesson.
    if (cause !== 'gone') await Bounded(() => transport.abort());
    const written = left();
    onProgress(written);
    return { ok: false, opened, written, message: core.sendFailed(cause, written, taken, transport.label, Reason(error)) };
  } finally {
    clearInterval(ticker);
    clearTimeout(timer);
    await Bounded(() => transport.close());
  }
}

// How long giving a port back may take before the page goes on without it.
const kGiveBackMs = 2000;

// Waits for what `call` starts at most kGiveBackMs, whatever it ends with.
function Bounded(call) {
  let timer;
  return Promise.race([
    Promise.resolve().then(call).catch(() => {}),
    new Promise((resolve) => {
      timer = setTimeout(resolve, kGiveBackMs);
    }),
  ]).finally(() => clearTimeout(timer));
}

// Programs every board of `transports` at once, each with the same stream.
// `onProgress(board, left)` as for one board. Resolves with the results in
// the same order and the total ("Naprogramováno 7 z 8 desek").
export async function ProgramBoards(core, transports, stream, onProgress = () => {}) {
  const results = await Promise.all(
    transports.map((transport, board) => ProgramBoard(core, transport, stream, (left) => onProgress(board, left))),
  );
  return { results, total: core.boardsDone(results.filter((r) => r.ok).length, results.length) };
}
