// The memory window as the window's grid shows it: 256 rows of an address
// and 16 bytes, the texts from the core. Only the rows in view are in the
// page, so that it scrolls smoothly on a school's slowest machine.

const kRowHeight = 22; // px; the same in style.css

export class Grid {
  constructor(element, core) {
    this.element = element;
    this.core = core;
    this.spacer = document.createElement('div');
    this.spacer.className = 'grid-spacer';
    this.spacer.style.height = `${core.rows * kRowHeight}px`;
    this.element.append(this.spacer);
    this.rows = new Map(); // row number -> its element
    this.element.addEventListener('scroll', () => this.draw());
    new ResizeObserver(() => this.draw()).observe(this.element);
  }

  // Shows the core's texts again (after a load).
  refresh() {
    for (const element of this.rows.values()) element.remove();
    this.rows.clear();
    this.draw();
  }

  draw() {
    const first = Math.max(0, Math.floor(this.element.scrollTop / kRowHeight) - 2);
    const last = Math.min(this.core.rows - 1, Math.ceil((this.element.scrollTop + this.element.clientHeight) / kRowHeight) + 2);
    for (const [row, element] of this.rows) {
      if (row < first || row > last) {
        element.remove();
        this.rows.delete(row);
      }
    }
    for (let row = first; row <= last; row += 1) {
      if (this.rows.has(row)) continue;
      const element = document.createElement('div');
      element.className = 'grid-row';
      element.style.top = `${row * kRowHeight}px`;
      for (let column = 0; column < this.core.columns; column += 1) {
        const cell = document.createElement('span');
        cell.className = column === 0 ? 'grid-address' : 'grid-byte';
        cell.textContent = this.core.cell(column, row);
        element.append(cell);
      }
      this.spacer.append(element);
      this.rows.set(row, element);
    }
  }
}
