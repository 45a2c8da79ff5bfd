// A seat's breakdown: the equity distribution of its hands, and every hand's equity and weight,
// grouped by starting-hand class in hold'em and short deck (a class opens to its hands).

import { writeFigures, writeHead } from "./columns.js";
import { drawCurve } from "./curve.js";
import { count, decimals, percent, seconds } from "./format.js";
import { Panel } from "./panel.js";

export class Breakdown extends Panel {
  constructor(element) {
    super(element, {
      title: ".breakdown-title",
      status: ".breakdown-status",
      bar: ".breakdown-progress",
      curve: ".curve-chart",
      table: ".breakdown-table",
      message: ".breakdown-error",
    });
  }

  started(seat, field) {
    this.element.hidden = false;
    this.state = "running";
    this.title.textContent = `Seat ${seat + 1}'s hands: ${field}`;
    this.status.textContent = "Working out every hand…";
    this.message.hidden = true;
    this.bar.value = 0;
  }

  // How far it is: hands alike up to a renaming of suits are answered once, and counted so.
  progress(data) {
    const done = `${count(data.hands_done)} of ${count(data.hands)}`;
    this.status.textContent = `${done} hands (those alike counted once), ${count(data.deals)} deals`;
    this.bar.value = data.hands ? data.hands_done / data.hands : 0;
  }

  show(data, hiLo) {
    this.state = "final";
    this.message.hidden = true;
    this.bar.value = 1;
    const overall = data.seats[data.seat];
    let how = `sampled, each hand to ${percent(data.precision, decimals(data.precision))}`;
    if (data.method === "exact") how = "exact";
    else if (data.reason === "seconds") how = "sampled, each hand for its share of the time limit";
    const work = `${count(data.deals)} deals in ${seconds(data.seconds)}`;
    this.status.textContent =
      `${count(data.hands.length)} ${data.hands.length === 1 ? "hand" : "hands"}, ` +
      `equity ${percent(overall.equity)} over all of them ` +
      `(${how}; ${work}).`;
    drawCurve(this.curve, data.hands, overall.equity);
    this.curve.setAttribute("aria-label", `Equity of seat ${data.seat + 1}'s hands, best first`);
    this.fill(data, hiLo);
  }

  fill(data, hiLo) {
    const sampled = data.method === "sampled";
    const places = decimals(data.precision);
    const grouped = data.classes.length > 0;
    const leading = [
      [grouped ? "Class / hand" : "Hand", ""],
      ["Weight", "the weight its field gives it"],
      ["Share", "its share of the seat's weight, once the other cards are out"],
    ];
    const body = writeHead(this.table, leading, sampled, hiLo);
    const cells = (row, name, weightShown, seat) => {
      const first = row.insertCell();
      first.className = "name";
      first.append(...name);
      row.insertCell().textContent = weightShown;
      row.insertCell().textContent = percent(seat.share, places);
      writeFigures(row, seat, sampled, hiLo, places);
    };
    if (!grouped) {
      for (const hand of data.hands) cells(body.insertRow(), [hand.hand], weight(hand.weight), hand);
      return;
    }
    for (const group of data.classes) {
      const members = data.hands.filter((hand) => hand.hand_class === group.hand);
      const weights = new Set(members.map((hand) => hand.weight));
      const row = body.insertRow();
      row.className = "class-row";
      row.tabIndex = 0;
      row.setAttribute("aria-expanded", "false");
      cells(row, className(group), weights.size === 1 ? weight(members[0].weight) : "mixed", group);
      const rows = members.map((hand) => {
        const member = body.insertRow();
        member.className = "hand-row";
        member.hidden = true;
        cells(member, [hand.hand], weight(hand.weight), hand);
        return member;
      });
      const toggle = () => {
        const open = row.getAttribute("aria-expanded") !== "true";
        row.setAttribute("aria-expanded", String(open));
        for (const member of rows) member.hidden = !open;
      };
      row.addEventListener("click", toggle);
      row.addEventListener("keydown", (event) => {
        if (event.key === "Enter" || event.key === " ") {
          event.preventDefault();
          toggle();
        }
      });
    }
  }

  halted() {
    if (this.state !== "running") return;
    this.state = "stopped";
    this.status.textContent = "Stopped.";
  }

  hide() {
    this.element.hidden = true;
  }
}

// A class row's name: an opener, the class, and how many of its hands the field holds.
function className(group) {
  const opener = document.createElement("span");
  opener.className = "opener";
  opener.setAttribute("aria-hidden", "true");
  const hands = document.createElement("span");
  hands.className = "hands-count";
  hands.textContent = `${count(group.hands)} ${group.hands === 1 ? "hand" : "hands"}`;
  return [opener, `${group.hand} `, hands];
}

function weight(value) {
  return value === 1 ? "1" : String(Number(value.toFixed(4)));
}
