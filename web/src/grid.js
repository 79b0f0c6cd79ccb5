// The memory window as the window's grid shows it: 256 rows of an address
// and 16 bytes, the texts from the core. Only the rows in view are in the
// page, so that it scrolls smoothly on a school's slowest machine.
//
// For screen readers it is an ARIA grid: a header row (the address column,
// then 0 … F), the address cells as row headers, each byte cell named by
// its address and value. It keeps a current byte cell, the one Tab reaches
// (roving tabindex); the arrow keys, Home/End, Page Up/Down and Ctrl+Home/End
// move it. The current cell's row is always drawn, in view or not, so that
// focus is never lost to a row that scrolled away.

const kRowHeight = 22; // px; the same in style.css

export class Grid {
  constructor(element, core) {
    this.element = element;
    this.core = core;
    this.current = { column: 1, row: 0 };
    element.setAttribute('aria-rowcount', String(core.rows + 1));
    element.setAttribute('aria-colcount', String(core.columns));
    this.header = document.createElement('div');
    this.header.className = 'grid-row grid-header';
    this.header.setAttribute('role', 'row');
    this.header.setAttribute('aria-rowindex', '1');
    for (let column = 0; column < core.columns; column += 1) {
      const cell = document.createElement('span');
      cell.className = column === 0 ? 'grid-address' : 'grid-byte';
      cell.setAttribute('role', 'columnheader');
      this.header.append(cell);
    }
    const head = document.createElement('div');
    head.className = 'grid-head';
    head.setAttribute('role', 'rowgroup');
    head.append(this.header);
    this.spacer = document.createElement('div');
    this.spacer.className = 'grid-spacer';
    this.spacer.setAttribute('role', 'rowgroup');
    this.spacer.style.height = `${core.rows * kRowHeight}px`;
    this.element.append(head, this.spacer);
    this.rows = new Map(); // row number -> its element
    this.element.addEventListener('scroll', () => this.draw());
    this.element.addEventListener('keydown', (event) => this.key(event));
    // A cell clicked or focused otherwise becomes the current one.
    this.element.addEventListener('focusin', (event) => {
      const cell = event.target.closest('[role=gridcell]');
      if (cell) this.move(Number(cell.parentElement.dataset.row), [...cell.parentElement.children].indexOf(cell), false);
    });
    new ResizeObserver(() => this.draw()).observe(this.element);
  }

  // Shows the core's texts again (after a load, or in another language),
  // in the rows already drawn: the focused cell stays.
  refresh() {
    [...this.header.children].forEach((cell, column) => {
      cell.textContent = this.core.columnHeader(column);
    });
    for (const [row, element] of this.rows) this.fill(element, row);
  }

  fill(element, row) {
    [...element.children].forEach((cell, column) => {
      cell.textContent = this.core.cell(column, row);
      if (column > 0) cell.setAttribute('aria-label', this.core.cellName(column, row));
    });
  }

  // The current cell's element (its row is always drawn).
  cell() {
    return this.rows.get(this.current.row).children[this.current.column];
  }

  draw() {
    if (!this.header.firstChild.textContent) this.refresh();
    const first = Math.max(0, Math.floor(this.element.scrollTop / kRowHeight) - 2);
    const last = Math.min(this.core.rows - 1, Math.ceil((this.element.scrollTop + this.element.clientHeight) / kRowHeight) + 2);
    const wanted = (row) => (row >= first && row <= last) || row === this.current.row;
    for (const [row, element] of this.rows) {
      if (!wanted(row)) {
        element.remove();
        this.rows.delete(row);
      }
    }
    for (let row = first; row <= last + 1; row += 1) {
      const at = row > last ? this.current.row : row;
      if (this.rows.has(at)) continue;
      const element = document.createElement('div');
      element.className = 'grid-row';
      element.style.top = `${at * kRowHeight}px`;
      element.dataset.row = String(at);
      element.setAttribute('role', 'row');
      element.setAttribute('aria-rowindex', String(at + 2));
      for (let column = 0; column < this.core.columns; column += 1) {
        const cell = document.createElement('span');
        cell.className = column === 0 ? 'grid-address' : 'grid-byte';
        cell.setAttribute('role', column === 0 ? 'rowheader' : 'gridcell');
        if (column > 0) cell.tabIndex = at === this.current.row && column === this.current.column ? 0 : -1;
        element.append(cell);
      }
      this.fill(element, at);
      this.spacer.append(element);
      this.rows.set(at, element);
    }
  }

  // Makes the byte cell at `column` (1..16) of `row` the current one,
  // scrolled into view below the header, and focuses it when `focus`.
  move(row, column, focus = true) {
    row = Math.min(this.core.rows - 1, Math.max(0, row));
    column = Math.min(this.core.columns - 1, Math.max(1, column));
    if (this.rows.has(this.current.row)) this.cell().tabIndex = -1;
    this.current = { column, row };
    const top = row * kRowHeight; // below the sticky header, which is one row high
    if (top < this.element.scrollTop) this.element.scrollTop = top;
    else if (top + 2 * kRowHeight > this.element.scrollTop + this.element.clientHeight) {
      this.element.scrollTop = top + 2 * kRowHeight - this.element.clientHeight;
    }
    this.draw();
    this.cell().tabIndex = 0;
    if (focus) this.cell().focus({ preventScroll: true });
  }

  key(event) {
    const { row, column } = this.current;
    const page = Math.max(1, Math.floor(this.element.clientHeight / kRowHeight) - 2);
    const last = this.core.columns - 1;
    const to = {
      ArrowUp: [row - 1, column],
      ArrowDown: [row + 1, column],
      ArrowLeft: [row, column - 1],
      ArrowRight: [row, column + 1],
      PageUp: [row - page, column],
      PageDown: [row + page, column],
      Home: event.ctrlKey ? [0, 1] : [row, 1],
      End: event.ctrlKey ? [this.core.rows - 1, last] : [row, last],
    }[event.key];
    if (!to || event.altKey || event.metaKey) return;
    event.preventDefault();
    this.move(...to);
  }
}
