// Cards, hands and the starting-hand classes of the grid, named as vantor's notation names them.
// A card is rank * 4 + suit (ranks 2..A, suits c d h s), as the module numbers them.

export const RANKS = "23456789TJQKA";
export const SUITS = "cdhs";
export const SUIT_SYMBOLS = { c: "♣", d: "♦", h: "♥", s: "♠" };
export const SUIT_NAMES = { c: "clubs", d: "diamonds", h: "hearts", s: "spades" };

export function cardIndex(name) {
  return RANKS.indexOf(name[0].toUpperCase()) * 4 + SUITS.indexOf(name[1].toLowerCase());
}

export function cardName(index) {
  return RANKS[Math.floor(index / 4)] + SUITS[index % 4];
}

// A two-card hand as the server names it: the higher card first ("AsAh", "AhKh").
export function handName(first, second) {
  const [a, b] = [cardIndex(first), cardIndex(second)];
  return a > b ? cardName(a) + cardName(b) : cardName(b) + cardName(a);
}

// One cell of the grid: its class ("AKs", "AKo", "QQ"), its ranks (higher first) and kind.
export class HandClass {
  constructor(high, low, kind) {
    this.high = high;
    this.low = low;
    this.kind = kind; // "pair", "suited" or "offsuit"
    const suffix = kind === "suited" ? "s" : kind === "offsuit" ? "o" : "";
    this.name = high + low + suffix;
  }

  // Every hand of the class, named as the server names them.
  get hands() {
    const found = [];
    for (let i = 0; i < 4; i++) {
      for (let j = 0; j < 4; j++) {
        const same = i === j;
        const wanted = this.kind === "suited" ? same : this.kind === "offsuit" ? !same : i < j;
        if (wanted) found.push(handName(this.high + SUITS[i], this.low + SUITS[j]));
      }
    }
    return found;
  }
}

// The grid's rows, the deck's ranks highest first: pairs on the diagonal, suited hands above
// it, offsuit below, as range charts draw them.
export function gridRows(ranks) {
  const order = [...ranks].reverse();
  return order.map((rowRank, row) =>
    order.map((columnRank, column) => {
      if (row === column) return new HandClass(rowRank, columnRank, "pair");
      if (column > row) return new HandClass(rowRank, columnRank, "suited");
      return new HandClass(columnRank, rowRank, "offsuit");
    }),
  );
}

// The slots of a board or dead-card field: named cards, ranks or suits alone, and "*"
// ("Qh J *" -> ["Qh", "J", "*"]), spelt as written.
export function slots(text) {
  return text.match(/[2-9tjqka][cdhs]|[2-9tjqka]|[cdhs]|\*/gi) ?? [];
}

// The cards a field names one by one ("Qh Jh 2c" -> ["Qh", "Jh", "2c"]), spelt as written.
export function namedCards(text) {
  return text.match(/[2-9tjqka][cdhs]/gi) ?? [];
}

// The cards a hand field certainly holds: those it names where it is one hand of named cards
// and unseen ones ("AhKh", "**Ks"); none for ranges, alternatives or ranks alone.
export function heldCards(text) {
  return /^[\s*]*(?:[2-9tjqka][cdhs][\s*]*)+$/i.test(text) ? namedCards(text) : [];
}
