// What the page's tests share: the program's core under Node's own WASI,
// and the board simulator (tools/ktq51-sim) on a pseudo-terminal.
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, readFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { NodeCore as CoreOf } from '../node-core.js';
import { paths } from './paths.js';

export const NodeCore = () => CoreOf(paths.core);

// Every simulator still running: a failed test's are ended by StopSimulators,
// so that the test process ends instead of waiting for them.
const running = new Set();
export const StopSimulators = () => [...running].forEach((simulator) => simulator.stop());

// One simulated board for one transfer: `device` to send to; `received()`
// resolves, once the simulator has ended, with the memory window it holds
// as the stream that would put it there (16384 bytes), and its report.
export class Simulator {
  constructor() {
    this.dir = mkdtempSync(join(tmpdir(), 'ktq51-page-'));
    const pathFile = join(this.dir, 'com');
    this.process = spawn(paths.simulator, ['--hex', '--once', '--path-file', pathFile]);
    this.out = '';
    this.err = '';
    this.process.stdout.on('data', (data) => (this.out += data));
    this.process.stderr.on('data', (data) => (this.err += data));
    running.add(this);
    this.ended = new Promise((resolve) => this.process.on('exit', resolve)).finally(() => running.delete(this));
    for (let i = 0; i < 100 && !existsSync(pathFile); i += 1) spawnSync('sleep', ['0.05']);
    for (let i = 0; i < 100 && !this.device; i += 1) {
      this.device = readFileSync(pathFile, 'utf8').trim();
      if (!this.device) spawnSync('sleep', ['0.05']);
    }
  }

  async received(core) {
    await this.ended;
    rmSync(this.dir, { recursive: true, force: true });
    const failed = core.open('board.hex', new TextEncoder().encode(this.out));
    return { stream: failed === null ? core.stream() : null, report: this.err };
  }

  stop() {
    this.process.kill();
    rmSync(this.dir, { recursive: true, force: true });
  }
}
