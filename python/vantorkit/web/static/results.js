// The equity table: every seat's equity with its standard error, win and tie (scoop, the high
// and low halves for hi/lo games), repainted with every estimate, and a line saying how the
// figures were found.

import { writeFigures, writeHead } from "./columns.js";
import { count, decimals, percent, seconds } from "./format.js";
import { Panel } from "./panel.js";

export class Results extends Panel {
  constructor(element) {
    super(element, {
      table: ".equity-table",
      status: ".status",
      bar: ".progress",
      message: ".results-error",
    });
  }

  // A new calculation has started: the figures shown so far are of the spot before.
  started() {
    this.last = null;
    this.state = "running";
    this.message.hidden = true;
    this.status.textContent = "Calculating…";
    this.bar.value = 0;
  }

  // One answer or estimate (the data of /api/equity), as `state`: "running", "final" or
  // "stopped".
  show(data, hiLo, state) {
    this.last = [data, hiLo];
    this.state = state;
    this.message.hidden = true;
    const sampled = data.method === "sampled";
    const places = decimals(data.precision);
    const leading = [
      ["Seat", "the seat, counted from 1"],
      ["Hand", "its hand field"],
    ];
    const body = writeHead(this.table, leading, sampled, hiLo);
    data.seats.forEach((seat, index) => {
      const row = body.insertRow();
      row.className = `seat-row seat-color-${index % 9}`;
      row.insertCell().innerHTML = `<span class="swatch"></span>${index + 1}`;
      const hand = row.insertCell();
      hand.className = "hand";
      hand.textContent = seat.hand;
      hand.title = seat.hand;
      writeFigures(row, seat, sampled, hiLo, places);
    });
    this.status.textContent = statusLine(data, state);
    this.bar.value = state === "running" ? progress(data) : 1;
  }

  stopped(data, hiLo) {
    if (data) this.show(data, hiLo, "stopped");
    else this.status.textContent = "Stopped before the first estimate.";
    this.state = "stopped";
  }

  // Stopped by the person at the page: the last estimate stays, marked stopped.
  halted() {
    if (this.state !== "running") return;
    if (this.last) this.show(...this.last, "stopped");
    else this.stopped(null);
  }

}

// How far a sampling run is towards its target: the error falls as one over the square root of
// the deals, so (target / error)² is the share of the deals it needs that it has drawn.
function progress(data) {
  const error = Math.max(...data.seats.map((seat) => seat.std_error));
  if (!data.precision || error <= 0) return 0;
  return Math.min(1, (data.precision / error) ** 2);
}

function statusLine(data, state) {
  if (data.method === "exact") return `Exact: every one of ${count(data.deals)} deals.`;
  const error = Math.max(...data.seats.map((seat) => seat.std_error));
  const places = decimals(data.precision);
  const drawn = `${count(data.deals)} deals in ${seconds(data.seconds)}`;
  const largest = `largest error ${percent(error, places)}`;
  if (state === "running") {
    const target = data.precision ? ` (target ${percent(data.precision, places)})` : "";
    return `Sampling: ${drawn}, ${largest}${target}…`;
  }
  if (state === "stopped") return `Stopped: ${drawn}, ${largest}.`;
  if (data.reason === "seconds") return `Sampled for the time given: ${drawn}, ${largest}.`;
  return `Sampled: ${drawn}, every error at most ${percent(data.precision, places)}.`;
}
