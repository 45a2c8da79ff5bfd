// The seats: one hand field each, in vantor's notation (weights and spans included), with the
// buttons that open its range grid (two-card games) and its breakdown, and its error under it.

import { clearFieldError, showFieldError } from "./fielderror.js";

export class Seats {
  // `actions`: onInput(seat, text), onGrid(seat), onBreakdown(seat), onRemove(seat).
  constructor(element, actions) {
    this.element = element;
    this.actions = actions;
    this.rows = [];
  }

  // Draws the seats anew (a seat added or removed, another game); `twoCards` says whether the
  // game has a range grid, `removable` whether a seat may go.
  build(hands, twoCards, removable) {
    this.element.replaceChildren();
    this.rows = hands.map((hand, seat) => {
      const row = document.createElement("div");
      row.className = `seat seat-color-${seat % 9}`;
      row.dataset.seat = seat;
      row.innerHTML = `
        <label class="seat-label" for="hand-${seat}">
          <span class="swatch"></span>Seat ${seat + 1}</label>
        <input id="hand-${seat}" class="field hand-field" spellcheck="false" autocomplete="off"
          autocapitalize="off" aria-describedby="hand-error-${seat}">
        <div class="seat-buttons">
          <button type="button" class="grid-toggle" aria-pressed="false"
            title="Paint this seat's range on the grid">Grid</button>
          <button type="button" class="breakdown-toggle" aria-pressed="false"
            title="Every hand of this seat against the others">Breakdown</button>
          <button type="button" class="remove" title="Take this seat away"
            aria-label="Remove seat ${seat + 1}">×</button>
        </div>
        <div class="field-error" id="hand-error-${seat}" role="alert" hidden></div>`;
      if (!twoCards) row.querySelector(".grid-toggle").remove();
      row.querySelector(".remove").disabled = !removable;
      const input = row.querySelector(".hand-field");
      input.value = hand;
      input.addEventListener("input", () => this.actions.onInput(seat, input.value));
      row.querySelector(".grid-toggle")?.addEventListener("click", () => this.actions.onGrid(seat));
      row.querySelector(".breakdown-toggle").addEventListener("click", () => this.actions.onBreakdown(seat));
      row.querySelector(".remove").addEventListener("click", () => this.actions.onRemove(seat));
      this.element.append(row);
      return row;
    });
  }

  // The fields' texts, where they differ from what is shown (the grid wrote one, say).
  setHands(hands) {
    hands.forEach((hand, seat) => {
      const input = this.rows[seat]?.querySelector(".hand-field");
      if (input && input.value !== hand) input.value = hand;
    });
  }

  // Which seat's grid and breakdown are open (null: none).
  setOpen(gridSeat, breakdownSeat) {
    this.rows.forEach((row, seat) => {
      row.querySelector(".grid-toggle")?.setAttribute("aria-pressed", String(seat === gridSeat));
      row.querySelector(".breakdown-toggle").setAttribute("aria-pressed", String(seat === breakdownSeat));
    });
  }

  showError(seat, text, column, reason) {
    const row = this.rows[seat];
    if (!row) return;
    row.querySelector(".hand-field").setAttribute("aria-invalid", "true");
    showFieldError(row.querySelector(".field-error"), text, column, reason);
  }

  clearErrors() {
    for (const row of this.rows) {
      row.querySelector(".hand-field").removeAttribute("aria-invalid");
      clearFieldError(row.querySelector(".field-error"));
    }
  }
}
