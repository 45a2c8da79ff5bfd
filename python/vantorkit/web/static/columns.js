// The figure columns a seat or a hand is shown with: its equity (with a bar as long), its
// standard error while sampled, then win and tie, or in a hi/lo game scoop, tie, the whole high
// and low halves and the part of the equity won with lows. The equity table and the breakdown
// both write them after columns of their own.

import { percent } from "./format.js";

// Each: a heading, what it means, and the key of the figure in the server's answers.
const PLAIN = [
  ["Win", "takes the whole pot", "win"],
  ["Tie", "splits the pot", "tie"],
];
const HI_LO = [
  ["Scoop", "takes both halves", "scoop"],
  ["Tie", "wins part of the pot", "tie"],
  ["High", "takes the whole high half", "high_win"],
  ["Low", "takes the whole low half", "low_win"],
  ["Low eq.", "the part of its equity won with low halves", "low_equity"],
];

// Writes the table's headings, its own `leading` ([heading, title] pairs) before the figures',
// and returns its body, emptied.
export function writeHead(table, leading, sampled, hiLo) {
  const head = [
    ...leading,
    ["Equity", "its share of the pot"],
    ...(sampled ? [["±", "the standard error of its equity, in points"]] : []),
    ...(hiLo ? HI_LO : PLAIN).map(([heading, title]) => [heading, title]),
  ];
  table.tHead.replaceChildren(table.tHead.insertRow());
  for (const [heading, title] of head) {
    const cell = document.createElement("th");
    cell.scope = "col";
    cell.title = title;
    cell.textContent = heading;
    table.tHead.rows[0].append(cell);
  }
  const body = table.tBodies[0];
  body.replaceChildren();
  return body;
}

// Appends to `row` the figure cells of `seat` (an answer's seat or hand), to `places` decimals.
export function writeFigures(row, seat, sampled, hiLo, places) {
  const equity = row.insertCell();
  const bar = document.createElement("span");
  bar.className = "bar";
  bar.style.setProperty("--equity", String(seat.equity));
  const figure = document.createElement("span");
  figure.className = "figure";
  figure.textContent = percent(seat.equity, places);
  equity.className = "equity";
  equity.append(bar, figure);
  if (sampled) row.insertCell().textContent = (100 * seat.std_error).toFixed(places);
  for (const [, , key] of hiLo ? HI_LO : PLAIN) row.insertCell().textContent = percent(seat[key], places);
}
