// A stand-in for navigator.serial, put into the page before it loads: its
// ports are those the test names, each forwarding what the page writes to
// the test (which feeds a board simulator), and the test can pull one out
// and plug it in again. The page cannot tell it from the browser's own.
export function StandInSerial() {
  const ports = new Map(); // id -> port
  class Serial extends EventTarget {
    getPorts() {
      return Promise.resolve([...ports.values()]);
    }
    requestPort() {
      const [first] = ports.values();
      return first ? Promise.resolve(first) : Promise.reject(new DOMException('No port selected.', 'NotFoundError'));
    }
  }
  const serial = new Serial();
  class Port extends EventTarget {
    constructor(id, info) {
      super();
      this.id = id;
      this.info = info;
      this.writable = null;
      this.lost = false;
    }
    getInfo() {
      return this.info;
    }
    async open(options) {
      await window.ktqOpen(this.id, options);
      const lost = () => new DOMException('The device has been lost.', 'NetworkError');
      this.writable = new WritableStream({
        write: async (chunk) => {
          if (this.lost) throw lost();
          await window.ktqWrite(this.id, Array.from(chunk));
          if (this.lost) throw lost();
        },
        close: () => (this.lost ? Promise.reject(lost()) : window.ktqDrain(this.id)),
        abort: () => window.ktqAbort(this.id),
      });
    }
    async close() {
      this.writable = null;
    }
  }
  window.ktqSerial = {
    plug(id, info) {
      const port = new Port(id, info);
      ports.set(id, port);
      serial.dispatchEvent(new Event('connect'));
    },
    unplug(id) {
      const port = ports.get(id);
      port.lost = true;
      ports.delete(id);
      port.dispatchEvent(new Event('disconnect'));
      serial.dispatchEvent(new Event('disconnect'));
    },
  };
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial, configurable: true });
}
