// A client of Firefox's Marionette (its remote protocol over plain TCP:
// each message "LENGTH:JSON"), enough to load a page, click in it (a click
// that counts as the user's, as requestPort needs) and run a script there.
import net from 'node:net';
export class Marionette {
  static async connect(port) {
    for (let i = 0; i < 100; i += 1) {
      try {
        const m = new Marionette(await new Promise((resolve, reject) => {
          const s = net.connect(port, '127.0.0.1', () => resolve(s)); s.on('error', reject);
        }));
        await m.next(); // hello
        return m;
      } catch { await new Promise((r) => setTimeout(r, 200)); }
    }
    throw new Error('no marionette');
  }
  constructor(socket) {
    this.socket = socket; this.buffer = Buffer.alloc(0); this.waiting = []; this.id = 0;
    socket.on('data', (d) => { this.buffer = Buffer.concat([this.buffer, d]); this.pump(); });
  }
  pump() {
    for (;;) {
      const colon = this.buffer.indexOf(0x3a);
      if (colon < 0) return;
      const length = Number(this.buffer.subarray(0, colon).toString());
      if (this.buffer.length < colon + 1 + length) return;
      const message = JSON.parse(this.buffer.subarray(colon + 1, colon + 1 + length).toString());
      this.buffer = this.buffer.subarray(colon + 1 + length);
      this.waiting.shift()(message);
    }
  }
  next() {
    return new Promise((resolve) => this.waiting.push(resolve));
  }
  async send(command, params = {}) {
    const body = JSON.stringify([0, ++this.id, command, params]);
    const reply = this.next();
    this.socket.write(`${Buffer.byteLength(body)}:${body}`);
    const [, , error, result] = await reply;
    if (error) throw new Error(`${command}: ${JSON.stringify(error)}`);
    return result;
  }
}
