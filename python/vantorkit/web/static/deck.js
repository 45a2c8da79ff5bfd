// The deck to click the board and the dead cards from: one button a card, a row a suit, marked
// on the board, dead, or held by a seat that names it.

import { SUIT_NAMES, SUIT_SYMBOLS, cardIndex } from "./cards.js";

const ROWS = "shdc";

export class Deck {
  // `onPick(card)` is called with the card clicked ("Ah").
  constructor(element, onPick) {
    this.element = element;
    this.onPick = onPick;
    this.ranks = "";
    element.addEventListener("click", (event) => {
      const button = event.target.closest(".card");
      if (button && !button.disabled) this.onPick(button.dataset.card);
    });
  }

  // Draws the deck of `ranks` ("23456789TJQKA"); `board`, `dead` and `held` are sets of card
  // indices.
  show(ranks, board, dead, held) {
    if (ranks !== this.ranks) this.build(ranks);
    for (const button of this.element.querySelectorAll(".card")) {
      const index = cardIndex(button.dataset.card);
      const where = board.has(index) ? "board" : dead.has(index) ? "dead" : held.has(index) ? "held" : "";
      button.dataset.where = where;
      button.disabled = where === "held";
      button.setAttribute("aria-pressed", String(where === "board" || where === "dead"));
      const name = `${button.dataset.card[0]} of ${SUIT_NAMES[button.dataset.card[1]]}`;
      button.title = {
        board: `${name}: on the board (click to take it off)`,
        dead: `${name}: dead (click to take it back)`,
        held: `${name}: in a seat's hand`,
        "": name,
      }[where];
    }
  }

  build(ranks) {
    this.ranks = ranks;
    this.element.replaceChildren();
    for (const suit of ROWS) {
      const row = document.createElement("div");
      row.className = `suit suit-${suit}`;
      for (const rank of [...ranks].reverse()) {
        const button = document.createElement("button");
        button.type = "button";
        button.className = `card suit-${suit}`;
        button.dataset.card = rank + suit;
        button.innerHTML = `<span class="rank">${rank}</span><span class="pip">${SUIT_SYMBOLS[suit]}</span>`;
        row.append(button);
      }
      this.element.append(row);
    }
  }
}
