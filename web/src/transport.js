// The browser's serial ports (Web Serial) as the job's transports, and the
// ports this page has been granted: chosen by the user, granted before, or
// granted by the school's policy (then there is no chooser at all).

// A port of navigator.serial as a transport (see job.js).
export class WebSerialTransport {
  constructor(port, label) {
    this.port = port;
    this.label = label;
    this.gone = false;
    this.writer = null;
    port.addEventListener('disconnect', () => {
      this.gone = true;
    });
  }

  async open(options) {
    await this.port.open(options);
    this.writer = this.port.writable.getWriter();
  }

  write(bytes) {
    return this.writer.write(bytes);
  }

  // The writable's close resolves once the port has drained its transmit
  // buffer: every byte has left. A write resolves earlier, once the browser
  // has handed it on; port.close() would only give the port back.
  // The writer stays this transport's until its close has resolved, so
  // that a drain that never ends can still be aborted and its lock let go.
  async drain() {
    const writer = this.writer;
    await writer.close();
    if (this.writer !== writer) return; // aborted meanwhile, and let go there
    writer.releaseLock();
    this.writer = null;
  }

  // Discards what is queued. The writer's lock goes at once, not after the
  // abort (which a stuck write may hold up), so that the port can be closed.
  async abort() {
    const writer = this.writer;
    this.writer = null;
    if (!writer) return;
    const aborted = writer.abort();
    writer.releaseLock();
    await aborted;
  }

  async close() {
    if (this.writer) {
      this.writer.releaseLock();
      this.writer = null;
    }
    await this.port.close();
  }
}

// "0403:6001" from a port's USB ids; empty for a port that has none.
export function VidPid(info) {
  const hex = (n) => n.toString(16).padStart(4, '0');
  return info.usbVendorId === undefined ? '' : `${hex(info.usbVendorId)}:${hex(info.usbProductId ?? 0)}`;
}

// The ports the page may use, kept as the browser connects and
// disconnects them; `changed()` is called after each change.
export class GrantedPorts {
  constructor(serial, name, changed) {
    this.serial = serial;
    this.name = name; // (port) => its label
    this.changed = changed;
    this.ports = [];
    serial.addEventListener('connect', () => this.refresh('connect'));
    serial.addEventListener('disconnect', () => this.refresh('disconnect'));
  }

  async refresh(why = '') {
    this.ports = await this.serial.getPorts();
    this.changed(why);
  }

  // Asks the user for a port in the browser's chooser, filtered to the
  // adapters the program knows; null when the user cancels.
  async choose(filters) {
    try {
      const port = await this.serial.requestPort({ filters });
      await this.refresh();
      return port;
    } catch (error) {
      if (error?.name === 'NotFoundError') return null; // no port chosen
      throw error;
    }
  }

  transports() {
    return this.ports.map((port) => new WebSerialTransport(port, this.name(port)));
  }
}
