// A seat's breakdown: the equity distribution of its hands, and every hand's equity and weight,
// grouped by starting-hand class in hold'em and short deck (a class opens to its hands).

import { drawCurve } from "./curve.js";
import { fillEquityCell } from "./bars.js";
import { count, decimals, percent, seconds } from "./format.js";

const FIGURES = {
  plain: [["Win", "win"], ["Tie", "tie"]],
  hiLo: [["Scoop", "scoop"], ["High", "high_win"], ["Low", "low_win"]],
};

export class Breakdown {
  constructor(element) {
    this.element = element;
    this.title = element.querySelector(".breakdown-title");
    this.status = element.querySelector(".breakdown-status");
    this.bar = element.querySelector(".breakdown-progress");
    this.curve = element.querySelector(".curve-chart");
    this.table = element.querySelector(".breakdown-table");
    this.message = element.querySelector(".breakdown-error");
  }

  started(seat, field) {
    this.element.hidden = false;
    this.element.dataset.state = "running";
    this.title.textContent = `Seat ${seat + 1}'s hands: ${field}`;
    this.status.textContent = "Working out every hand…";
    this.message.hidden = true;
    this.bar.value = 0;
  }

  progress(data) {
    this.status.textContent = `${count(data.hands_done)} of ${count(data.hands)} hands (hands alike counted once), ${count(data.deals)} deals`;
    this.bar.value = data.hands ? data.hands_done / data.hands : 0;
  }

  show(data, hiLo) {
    this.element.dataset.state = "final";
    this.message.hidden = true;
    this.bar.value = 1;
    const overall = data.seats[data.seat];
    const how =
      data.method === "exact"
        ? "exact"
        : data.reason === "seconds"
          ? "sampled, each hand for its share of the time limit"
          : `sampled, each hand to ${percent(data.precision, decimals(data.precision))}`;
    this.status.textContent = `${count(data.hands.length)} hands, equity ${percent(overall.equity)} over all of them (${how}; ${count(data.deals)} deals in ${seconds(data.seconds)}).`;
    drawCurve(this.curve, data.hands, overall.equity);
    this.curve.setAttribute("aria-label", `Equity of seat ${data.seat + 1}'s hands, best first`);
    this.fill(data, hiLo);
  }

  fill(data, hiLo) {
    const figures = hiLo ? FIGURES.hiLo : FIGURES.plain;
    const sampled = data.method === "sampled";
    const places = decimals(data.precision);
    const grouped = data.classes.length > 0;
    const head = [grouped ? "Class / hand" : "Hand", "Weight", "Share", "Equity", ...(sampled ? ["±"] : []), ...figures.map(([h]) => h)];
    this.table.tHead.innerHTML = `<tr>${head.map((h) => `<th scope="col">${h}</th>`).join("")}</tr>`;
    const body = this.table.tBodies[0];
    body.replaceChildren();
    const cells = (row, name, weightShown, seat) => {
      const first = row.insertCell();
      first.className = "name";
      first.innerHTML = name;
      row.insertCell().textContent = weightShown;
      row.insertCell().textContent = percent(seat.share, places);
      fillEquityCell(row.insertCell(), seat.equity, places);
      if (sampled) row.insertCell().textContent = (100 * seat.std_error).toFixed(places);
      for (const [, key] of figures) row.insertCell().textContent = percent(seat[key], places);
    };
    if (!grouped) {
      for (const hand of data.hands) cells(body.insertRow(), hand.hand, weight(hand.weight), hand);
      return;
    }
    for (const group of data.classes) {
      const members = data.hands.filter((hand) => hand.hand_class === group.hand);
      const weights = new Set(members.map((hand) => hand.weight));
      const row = body.insertRow();
      row.className = "class-row";
      row.tabIndex = 0;
      row.setAttribute("aria-expanded", "false");
      const name = `<span class="opener" aria-hidden="true"></span>${group.hand} <span class="hands-count">${count(group.hands)} ${group.hands === 1 ? "hand" : "hands"}</span>`;
      cells(row, name, weights.size === 1 ? weight(members[0].weight) : "mixed", group);
      const rows = members.map((hand) => {
        const member = body.insertRow();
        member.className = "hand-row";
        member.hidden = true;
        cells(member, hand.hand, weight(hand.weight), hand);
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
    if (this.element.dataset.state !== "running") return;
    this.element.dataset.state = "stopped";
    this.status.textContent = "Stopped.";
  }

  error(message) {
    this.element.dataset.state = "error";
    this.message.textContent = message;
    this.message.hidden = false;
    this.status.textContent = "";
  }

  hide() {
    this.element.hidden = true;
  }
}

function weight(value) {
  return value === 1 ? "1" : String(Number(value.toFixed(4)));
}
