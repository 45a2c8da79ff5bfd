// The spot on the page, and the same spot in the address (after the "#"), so that a link opens
// it again: the game, one `hand` per seat, the board, the dead cards, the precision, how exact,
// and the seat broken down (counted from 1).

export const PRECISIONS = [0.002, 0.001, 0.0005, 0.0002, 0.0001];
export const EXACT = ["auto", "always", "never"];
const DEFAULT_PRECISION = 0.001;

// A spot to start each game with: hands, board and dead cards as a player of it would write them.
const EXAMPLES = {
  holdem: [["AhKh", "QsQd"], "", ""],
  short_deck: [["AhKh", "QsQd"], "", ""],
  omaha: [["AsAdKsQd", "JhTh9c8c"], "", ""],
  omaha_five: [["AsAdKsQd2c", "JhTh9c8c7d"], "", ""],
  omaha_six: [["AsAdKsQd2c3h", "JhTh9c8c7d6s"], "", ""],
  omaha_hi_lo: [["Ac3dJhJc", "KcKd9s8h"], "Ks Qd 7c", ""],
  omaha_five_hi_lo: [["Ac2d3hKsKd", "QcQdJsTh9h"], "", ""],
  courchevel: [["AhKhQcJc9s", "As2d3c4h8s"], "Ks", ""],
  courchevel_hi_lo: [["AhKhQcJc2s", "As2d3c4h8s"], "Ks", ""],
  stud: [["AhAd9c", "**Ks"], "", ""],
  stud_hi_lo: [["Ah2d3c", "**Ks"], "", ""],
  razz: [["Ah2d3c", "**Ks"], "", ""],
  deuce_seven: [["7c5d4h3s", "9c8d6h4c2s"], "", "Kd"],
  five_card_draw: [["AhAdAc", "KsKd"], "", ""],
  badugi: [["Ac2d3h", "As2c4h7d"], "", "Kh"],
};

export function exampleSpot(game) {
  const [hands, board, dead] = EXAMPLES[game] ?? [["", ""], "", ""];
  const settings = { precision: DEFAULT_PRECISION, exact: "auto", breakdown: null };
  return { game, hands: [...hands], board, dead, ...settings };
}

// The spot the address holds, or null when it holds none (or names no game the server plays).
export function spotFromAddress(hash, games) {
  const params = new URLSearchParams(hash.replace(/^#/, ""));
  const game = games.find((found) => found.key === params.get("game"));
  if (!game) return null;
  const hands = params.getAll("hand").slice(0, game.most_seats);
  while (hands.length < 2) hands.push("");
  const precision = Number(params.get("precision"));
  const exact = params.get("exact");
  const breakdown = Number(params.get("breakdown"));
  return {
    game: game.key,
    hands,
    board: params.get("board") ?? "",
    dead: params.get("dead") ?? "",
    precision: PRECISIONS.includes(precision) ? precision : DEFAULT_PRECISION,
    exact: EXACT.includes(exact) ? exact : "auto",
    breakdown: Number.isInteger(breakdown) && breakdown >= 1 && breakdown <= hands.length
      ? breakdown - 1
      : null,
  };
}

export function addressOf(spot) {
  const params = new URLSearchParams();
  params.set("game", spot.game);
  for (const hand of spot.hands) params.append("hand", hand);
  if (spot.board) params.set("board", spot.board);
  if (spot.dead) params.set("dead", spot.dead);
  if (spot.precision !== DEFAULT_PRECISION) params.set("precision", String(spot.precision));
  if (spot.exact !== "auto") params.set("exact", spot.exact);
  if (spot.breakdown !== null) params.set("breakdown", String(spot.breakdown + 1));
  return `#${params}`;
}
