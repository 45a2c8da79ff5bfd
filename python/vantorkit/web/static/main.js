// The calculator: the spot entered on the page, its equities streamed from the server while
// they converge, a seat's breakdown, and the spot kept in the address. Any change stops the
// calculation running and starts the next.

import { ApiError, getJSON, postJSON, stream } from "./api.js";
import { Breakdown } from "./breakdown.js";
import { cardIndex, heldCards, namedCards, slots } from "./cards.js";
import { Deck } from "./deck.js";
import { clearFieldError, showFieldError } from "./fielderror.js";
import { RangeGrid } from "./grid.js";
import { Results } from "./results.js";
import { Seats } from "./seats.js";
import { EXACT, PRECISIONS, addressOf, exampleSpot, spotFromAddress } from "./state.js";

// How long typing may pause before the spot is asked again, in milliseconds.
const TYPING_PAUSE = 250;
// How long to wait before asking a busy server again, in milliseconds.
const BUSY_PAUSE = 1000;

const client = crypto.randomUUID?.() ?? String(Math.random()).slice(2);
const $ = (selector) => document.querySelector(selector);

let games = [];
let spot = null;
let gridSeat = null;
let equityRun = null;
let breakdownRun = null;
let pause = null;

const results = new Results($("#results"));
const breakdown = new Breakdown($("#breakdown"));
const seats = new Seats($("#seats"), {
  onInput(seat, text) {
    spot.hands[seat] = text;
    changed({ typing: true });
    if (seat === gridSeat) readRange();
  },
  onGrid(seat) {
    gridSeat = gridSeat === seat ? null : seat;
    showGrid();
  },
  onBreakdown(seat) {
    spot.breakdown = spot.breakdown === seat ? null : seat;
    seats.setOpen(gridSeat, spot.breakdown);
    if (spot.breakdown === null) {
      breakdownRun?.abort();
      breakdown.hide();
    }
    changed({ breakdownOnly: spot.breakdown !== null });
  },
  onRemove(seat) {
    // The seats after it move up one; the open grid and breakdown follow their seats.
    const after = (open) => (open === seat ? null : open !== null && open > seat ? open - 1 : open);
    spot.hands.splice(seat, 1);
    gridSeat = after(gridSeat);
    if (spot.breakdown === seat) breakdown.hide();
    spot.breakdown = after(spot.breakdown);
    render({ rebuild: true });
  },
});
const grid = new RangeGrid($("#grid-panel"), (text) => {
  spot.hands[gridSeat] = text;
  seats.setHands(spot.hands);
  changed({});
});
const deck = new Deck($("#deck"), pickCard);

function game() {
  return games.find((found) => found.key === spot.game);
}

// How the game deals, in a line.
function dealing(found) {
  const cards = found.hole_cards;
  const parts = [];
  if (found.board_cards > 0) parts.push(`${cards} cards a seat, a board of ${found.board_cards}`);
  else if (found.shared_card_seats !== null)
    parts.push(`up to ${cards} cards a seat: write those seen so far (* for one face down), the rest dealt`);
  else parts.push(`${cards} cards a seat: write those kept, the rest drawn; discards go in the dead cards`);
  if (found.hi_lo) parts.push("the pot splits between the best high and the best eight-or-better low");
  if (found.deck_size !== 52) parts.push(`a ${found.deck_size}-card deck, ${found.ranks[0]} to ace`);
  parts.push(`2 to ${found.most_seats} seats`);
  return `${parts.join("; ")}.`;
}

function boardSize() {
  const found = game();
  const shared = found.shared_card_seats !== null && spot.hands.length >= found.shared_card_seats;
  return shared ? 1 : found.board_cards;
}

// The page drawn from `spot`; `rebuild` draws the seats anew (their number or the game changed).
function render({ rebuild = false } = {}) {
  const found = game();
  $("#game").value = found.key;
  $("#dealing").textContent = dealing(found);
  if (rebuild) seats.build(spot.hands, found.hole_cards === 2, spot.hands.length > 2);
  seats.setHands(spot.hands);
  seats.setOpen(gridSeat, spot.breakdown);
  $("#add-seat").disabled = spot.hands.length >= found.most_seats;
  $("#board").value = spot.board;
  $("#dead").value = spot.dead;
  $("#precision").value = String(spot.precision);
  $("#exact").value = spot.exact;
  showDeck();
  showGrid();
  if (spot.breakdown === null) breakdown.hide();
  changed({});
}

function showDeck() {
  const indices = (text) => new Set(namedCards(text).map(cardIndex));
  const held = new Set(spot.hands.flatMap((hand) => heldCards(hand).map(cardIndex)));
  deck.show(game().ranks, indices(spot.board), indices(spot.dead), held);
  $("#deck-note").textContent = boardSize() === 0 ? "This game has no board: the deck picks dead cards." : "";
}

function showGrid() {
  const panel = $("#grid-panel");
  if (gridSeat === null || game().hole_cards !== 2) {
    gridSeat = null;
    panel.hidden = true;
  } else {
    panel.hidden = false;
    grid.show(`Seat ${gridSeat + 1}'s range`, game().ranks, new Map());
    readRange();
  }
  seats.setOpen(gridSeat, spot.breakdown);
}

// The open grid painted from its seat's field, as the server reads it.
let rangeRun = null;
async function readRange() {
  rangeRun?.abort();
  const run = new AbortController();
  rangeRun = run;
  const seat = gridSeat;
  try {
    const data = await postJSON("/api/range", { game: spot.game, field: spot.hands[seat] }, run.signal);
    if (run === rangeRun && seat === gridSeat) grid.setRange(new Map(Object.entries(data.hands)));
  } catch (error) {
    if (error.name !== "AbortError" && !(error instanceof ApiError)) throw error;
    // A field that does not read keeps the grid as it was; the error shows under the field.
  }
}

// A card clicked on the deck: off the board or the dead cards if it is there, else onto the
// field chosen (the dead cards where the game has no board).
function pickCard(card) {
  const index = cardIndex(card);
  const isCard = (slot) => slot.length === 2 && cardIndex(slot) === index;
  const without = (text) => {
    const found = slots(text);
    found.splice(found.findIndex(isCard), 1);
    return found.join(" ");
  };
  const target = document.querySelector('input[name="target"]:checked').value;
  if (slots(spot.board).some(isCard)) spot.board = without(spot.board);
  else if (slots(spot.dead).some(isCard)) spot.dead = without(spot.dead);
  else if (target === "board" && boardSize() > 0) {
    if (slots(spot.board).length >= boardSize()) {
      $("#deck-note").textContent = `The board holds ${boardSize()} cards at most; click one to take it off.`;
      return;
    }
    spot.board = [...slots(spot.board), card].join(" ");
  } else spot.dead = [...slots(spot.dead), card].join(" ");
  $("#board").value = spot.board;
  $("#dead").value = spot.dead;
  showDeck();
  changed({});
}

// The spot changed: it goes into the address, and the calculations start again (after a pause
// while typing).
function changed({ typing = false, breakdownOnly = false }) {
  history.replaceState(null, "", addressOf(spot));
  clearTimeout(pause);
  if (typing) pause = setTimeout(calculate, TYPING_PAUSE);
  else if (breakdownOnly) runBreakdown();
  else calculate();
}

function request(name) {
  const { game: key, hands, board, dead, precision, exact } = spot;
  const asked = { game: key, hands, board, dead, precision, exact, client: `${client}/${name}` };
  return name === "breakdown" ? { ...asked, seat: spot.breakdown } : asked;
}

function clearErrors() {
  seats.clearErrors();
  for (const field of ["board", "dead"]) {
    $(`#${field}`).removeAttribute("aria-invalid");
    clearFieldError($(`#${field}-error`));
  }
}

// A refusal shown where it belongs: under its field, or over the figures.
function showRefusal(data, shown) {
  const text = data.field === "hands" ? spot.hands[data.seat] : spot[data.field];
  if (data.field === "hands" && data.column !== undefined) {
    seats.showError(data.seat, text, data.column, data.reason);
  } else if ((data.field === "board" || data.field === "dead") && data.column !== undefined) {
    $(`#${data.field}`).setAttribute("aria-invalid", "true");
    showFieldError($(`#${data.field}-error`), text, data.column, data.reason);
  }
  shown.error(data.error);
}

// Runs `path` as a stream for `shown` (the results or the breakdown), until its last event or
// until the next run starts; `onEvent` shows each event, `onEnd` is called when it is over, and
// `retry` starts it again when the server is busy.
function run(path, name, shown, { onEvent, onEnd, retry }) {
  const controller = new AbortController();
  stream(path, request(name), controller.signal, onEvent)
    .catch((error) => {
      if (error.name === "AbortError") return;
      if (error instanceof ApiError && error.status === 503) {
        shown.error("The server is busy; asking again in a moment…");
        setTimeout(() => !controller.signal.aborted && retry(), BUSY_PAUSE);
      } else if (error instanceof ApiError) showRefusal(error.data, shown);
      else shown.error(`The server did not answer (${error.message}). Is vantor serve still running?`);
    })
    .finally(() => {
      onEnd(controller);
      updateStop();
    });
  return controller;
}

function calculate() {
  clearTimeout(pause);
  equityRun?.abort();
  clearErrors();
  results.started();
  const hiLo = game().hi_lo;
  equityRun = run("/api/equity/stream", "equity", results, {
    onEvent(name, data) {
      if (name === "estimate") results.show(data, hiLo, "running");
      else if (name === "result") results.show(data, hiLo, "final");
      else if (name === "stopped") results.stopped(data, hiLo);
      else results.error(data.error);
    },
    onEnd(controller) {
      if (equityRun === controller) equityRun = null;
    },
    retry: calculate,
  });
  if (spot.breakdown !== null) runBreakdown();
  updateStop();
}

function runBreakdown() {
  breakdownRun?.abort();
  if (spot.breakdown === null || spot.breakdown >= spot.hands.length) return;
  breakdown.started(spot.breakdown, spot.hands[spot.breakdown]);
  const hiLo = game().hi_lo;
  breakdownRun = run("/api/breakdown/stream", "breakdown", breakdown, {
    onEvent(name, data) {
      if (name === "progress") breakdown.progress(data);
      else if (name === "result") breakdown.show(data, hiLo);
      else breakdown.error(name === "stopped" ? "Stopped." : data.error);
    },
    onEnd(controller) {
      if (breakdownRun === controller) breakdownRun = null;
    },
    retry: runBreakdown,
  });
  updateStop();
}

function updateStop() {
  const running = [equityRun, breakdownRun].some((found) => found && !found.signal.aborted);
  $("#stop").disabled = !running;
}

function stop() {
  clearTimeout(pause);
  for (const found of [equityRun, breakdownRun]) found?.abort();
  equityRun = breakdownRun = null;
  results.halted();
  breakdown.halted();
  updateStop();
}

function wire() {
  const select = $("#game");
  for (const found of games) select.add(new Option(found.label, found.key));
  select.addEventListener("change", () => {
    const { precision, exact } = spot;
    spot = { ...exampleSpot(select.value), precision, exact };
    gridSeat = null;
    render({ rebuild: true });
  });
  for (const [id, key] of [["#board", "board"], ["#dead", "dead"]]) {
    $(id).addEventListener("input", () => {
      spot[key] = $(id).value;
      showDeck();
      changed({ typing: true });
    });
  }
  const precision = $("#precision");
  for (const value of PRECISIONS) precision.add(new Option(`${(100 * value).toFixed(2)}%`, String(value)));
  precision.addEventListener("change", () => {
    spot.precision = Number(precision.value);
    changed({});
  });
  const exact = $("#exact");
  for (const value of EXACT) exact.add(new Option(value, value));
  exact.addEventListener("change", () => {
    spot.exact = exact.value;
    changed({});
  });
  $("#add-seat").addEventListener("click", () => {
    spot.hands.push("*".repeat(game().hole_cards === 2 ? 2 : Math.max(3, Math.min(game().hole_cards, 4))));
    render({ rebuild: true });
  });
  $("#stop").addEventListener("click", stop);
  $("#close-breakdown").addEventListener("click", () => seats.actions.onBreakdown(spot.breakdown));
  $("#close-grid").addEventListener("click", () => seats.actions.onGrid(gridSeat));
  $("#copy-link").addEventListener("click", async () => {
    const button = $("#copy-link");
    try {
      await navigator.clipboard.writeText(location.href);
      button.textContent = "Link copied";
    } catch {
      button.textContent = "Copy the address bar";
    }
    setTimeout(() => (button.textContent = "Copy link"), 1500);
  });
  window.addEventListener("hashchange", () => {
    const found = spotFromAddress(location.hash, games);
    if (found && addressOf(found) !== addressOf(spot)) {
      spot = found;
      gridSeat = null;
      render({ rebuild: true });
    }
  });
}

async function start() {
  try {
    ({ games } = await getJSON("/api/games"));
  } catch (error) {
    results.error(`The server did not answer (${error.message}). Is vantor serve running?`);
    return;
  }
  spot = spotFromAddress(location.hash, games) ?? exampleSpot("holdem");
  wire();
  render({ rebuild: true });
}

start();
