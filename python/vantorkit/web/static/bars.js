// A figure cell with a bar under it as long as the figure: how the page shows equities.

import { percent } from "./format.js";

export function fillEquityCell(cell, equity, places) {
  const bar = document.createElement("span");
  bar.className = "bar";
  bar.style.setProperty("--equity", String(equity));
  const figure = document.createElement("span");
  figure.className = "figure";
  figure.textContent = percent(equity, places);
  cell.className = "equity";
  cell.replaceChildren(bar, figure);
}
