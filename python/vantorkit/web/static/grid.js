// The range grid of a two-card game: one cell per starting-hand class, painted by clicking or
// dragging at the weight chosen, with the usual quick picks; it writes the seat's hand field.

import { gridRows } from "./cards.js";
import { count, hands, percent } from "./format.js";
import { rangeSize, rangeText } from "./ranges.js";

// Quick picks: a name and which classes it takes.
const BROADWAY = "TJQKA";
const PICKS = [
  ["Pairs", (c) => c.kind === "pair"],
  ["Suited aces", (c) => c.kind === "suited" && c.high === "A"],
  ["Any ace", (c) => c.high === "A"],
  ["Broadways", (c) => BROADWAY.includes(c.high) && BROADWAY.includes(c.low)],
  [
    "Suited connectors",
    (c, ranks) => c.kind === "suited" && ranks.indexOf(c.high) - ranks.indexOf(c.low) === 1,
  ],
  ["Any two", () => true],
];

export class RangeGrid {
  // `onCommit(text)` is called with the field the range writes once a change is complete (a
  // click, a stroke of the pointer, a quick pick).
  constructor(element, onCommit) {
    this.element = element;
    this.onCommit = onCommit;
    this.range = new Map();
    this.ranks = "";
    this.cells = new Map(); // class name -> [cell, its class]
    this.painting = null; // while the pointer is down: the weight painted (0 erases)
    element.innerHTML = `
      <header>
        <h3 class="grid-title"></h3>
        <span class="grid-count" aria-live="polite"></span>
        <button type="button" class="close" id="close-grid" aria-label="Close the grid">×</button>
      </header>
      <div class="grid-tools">
        <div class="picks"></div>
        <label class="weight">Weight
          <input type="number" class="grid-weight" min="1" max="100" step="1" value="100">%</label>
        <button type="button" class="clear">Clear</button>
      </div>
      <div class="grid" role="grid"></div>
      <p class="grid-note">Click or drag to paint at the weight; a painted cell clicked again is
        cleared. Cells partly filled hold some of their hands.</p>`;
    this.grid = element.querySelector(".grid");
    this.weightInput = element.querySelector(".grid-weight");
    const picks = element.querySelector(".picks");
    for (const [name, test] of PICKS) {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = name;
      button.addEventListener("click", () => this.pick(test));
      picks.append(button);
    }
    element.querySelector(".clear").addEventListener("click", () => {
      this.range = new Map();
      this.commit();
    });
    this.grid.addEventListener("pointerdown", (event) => this.startStroke(event));
    this.grid.addEventListener("pointermove", (event) => this.continueStroke(event));
    window.addEventListener("pointerup", () => this.endStroke());
    window.addEventListener("pointercancel", () => this.endStroke());
    this.grid.addEventListener("click", (event) => {
      // A click from the keyboard (no pointer stroke came first) toggles the cell.
      const cell = event.target.closest(".cell");
      if (cell && event.detail === 0) {
        this.paint(cell.dataset.class, this.isPainted(cell.dataset.class) ? 0 : this.weight());
        this.commit();
      }
    });
  }

  // Shows the grid for a seat: its title, the deck's ranks ("23456789TJQKA") and its range.
  show(title, ranks, range) {
    this.element.querySelector(".grid-title").textContent = title;
    if (ranks !== this.ranks) this.build(ranks);
    this.setRange(range);
  }

  setRange(range) {
    this.range = new Map(range);
    this.paintAll();
  }

  build(ranks) {
    this.ranks = ranks;
    this.grid.replaceChildren();
    this.grid.style.setProperty("--size", ranks.length);
    this.cells.clear();
    for (const row of gridRows(ranks)) {
      for (const handClass of row) {
        const cell = document.createElement("button");
        cell.type = "button";
        cell.className = `cell ${handClass.kind}`;
        cell.dataset.class = handClass.name;
        cell.textContent = handClass.name;
        this.grid.append(cell);
        this.cells.set(handClass.name, [cell, handClass]);
      }
    }
  }

  weight() {
    const percentWritten = Number(this.weightInput.value);
    return Number.isFinite(percentWritten) ? Math.min(Math.max(percentWritten, 1), 100) / 100 : 1;
  }

  // Whether every hand of the class is in the range at the weight chosen.
  isPainted(name) {
    const [, handClass] = this.cells.get(name);
    return handClass.hands.every((hand) => this.range.get(hand) === this.weight());
  }

  paint(name, weight) {
    const [, handClass] = this.cells.get(name);
    for (const hand of handClass.hands) {
      if (weight > 0) this.range.set(hand, weight);
      else this.range.delete(hand);
    }
    this.paintCell(name);
    this.showCount();
  }

  pick(test) {
    const weight = this.weight();
    for (const [name, [, handClass]] of this.cells) {
      if (test(handClass, this.ranks)) this.paint(name, weight);
    }
    this.commit();
  }

  startStroke(event) {
    const cell = event.target.closest(".cell");
    if (!cell || event.button !== 0) return;
    event.preventDefault();
    // A touch holds its pointer to the cell it started on; let it go, so that the stroke can
    // cross the grid.
    cell.releasePointerCapture?.(event.pointerId);
    this.painting = this.isPainted(cell.dataset.class) ? 0 : this.weight();
    this.paint(cell.dataset.class, this.painting);
  }

  continueStroke(event) {
    if (this.painting === null) return;
    const cell = document.elementFromPoint(event.clientX, event.clientY)?.closest(".cell");
    if (cell && this.grid.contains(cell)) this.paint(cell.dataset.class, this.painting);
  }

  endStroke() {
    if (this.painting === null) return;
    this.painting = null;
    this.commit();
  }

  commit() {
    this.paintAll();
    this.onCommit(rangeText(this.range, this.ranks));
  }

  paintAll() {
    for (const name of this.cells.keys()) this.paintCell(name);
    this.showCount();
  }

  paintCell(name) {
    const [cell, handClass] = this.cells.get(name);
    const weights = handClass.hands.map((hand) => this.range.get(hand) ?? 0);
    const held = weights.filter((weight) => weight > 0).length;
    const mass = weights.reduce((sum, weight) => sum + Math.min(weight, 1), 0);
    cell.style.setProperty("--fill", `${(100 * mass) / weights.length}%`);
    cell.classList.toggle("held", held > 0);
    const heaviest = Math.max(...weights);
    cell.title =
      held === 0
        ? `${name}: none of its ${weights.length} hands`
        : `${name}: ${held} of ${weights.length} hands, weight up to ${percent(heaviest, 0)}`;
  }

  showCount() {
    const all = (this.ranks.length * 4 * (this.ranks.length * 4 - 1)) / 2;
    const { count: total, share } = rangeSize(this.range, all);
    this.element.querySelector(".grid-count").textContent =
      `${hands(total)} hands · ${percent(share)} of all ${count(all)}`;
  }
}
