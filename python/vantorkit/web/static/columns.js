// The figures a seat or a hand is shown with besides its equity: win and tie, or in a hi/lo
// game scoop, tie, the whole high and low halves and the part of the equity won with lows. Each
// is a heading, what it means, and the key of the figure in the server's answers.

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

export function figureColumns(hiLo) {
  return hiLo ? HI_LO : PLAIN;
}
