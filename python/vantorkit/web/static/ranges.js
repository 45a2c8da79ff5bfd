// A painted range written as a hand field, the way range charts write them: whole classes
// joined into runs ("TT+", "A5s-A2s", "KTs+"), single hands where a class is only partly in
// the range, and a weight after every piece that weighs less than all ("AKo:50%").
//
// A range is a Map from hand name ("AsAh", as the server names hands) to weight.

import { HandClass } from "./cards.js";

// The classes of a deck's ranks (highest first), by kind, each kind's classes by their higher
// rank: pairs, then for each higher rank its suited and offsuit classes, kicker highest first.
function classesByTop(ranks) {
  const order = [...ranks].reverse();
  return order.map((high, i) => ({
    pair: new HandClass(high, high, "pair"),
    suited: order.slice(i + 1).map((low) => new HandClass(high, low, "suited")),
    offsuit: order.slice(i + 1).map((low) => new HandClass(high, low, "offsuit")),
  }));
}

function weightText(weight) {
  if (weight >= 1) return "";
  return `:${Number((100 * weight).toFixed(2))}%`;
}

// Whole classes of one weight, in runs. `run` lists consecutive classes of one kind sharing a
// higher rank (or pairs), highest first; `top` is whether the run reaches the highest class.
function runText(run, top) {
  const [first, last] = [run[0], run[run.length - 1]];
  if (run.length === 1) return first.name;
  if (top) return `${last.name}+`;
  return `${first.name}-${last.name}`;
}

// Runs of consecutive classes that are whole at `weight`; a run from the first class (the
// highest pair, or the kicker just below the higher rank) is written with a "+".
function runs(classes, whole, weight) {
  const found = [];
  let current = [];
  let startsAtTop = false;
  classes.forEach((handClass, index) => {
    if (whole.get(handClass.name) === weight) {
      if (current.length === 0) startsAtTop = index === 0;
      current.push(handClass);
    } else if (current.length > 0) {
      found.push(runText(current, startsAtTop));
      current = [];
    }
  });
  if (current.length > 0) found.push(runText(current, startsAtTop));
  return found;
}

// The hand field of `range` over the deck's `ranks` ("23456789TJQKA", or "6789TJQKA").
export function rangeText(range, ranks) {
  const groups = classesByTop(ranks);
  const whole = new Map(); // class name -> its one weight, where every hand of it has it
  const single = []; // [hand, weight] of classes partly in the range, or unevenly weighted
  for (const group of groups) {
    for (const handClass of [group.pair, ...group.suited, ...group.offsuit]) {
      const weights = handClass.hands.map((hand) => Math.min(range.get(hand) ?? 0, 1));
      if (weights.every((weight) => weight === weights[0])) {
        if (weights[0] > 0) whole.set(handClass.name, weights[0]);
      } else {
        handClass.hands.forEach((hand, i) => weights[i] > 0 && single.push([hand, weights[i]]));
      }
    }
  }
  const weights = [...new Set([...whole.values(), ...single.map(([, weight]) => weight)])];
  weights.sort((a, b) => b - a);
  const pieces = [];
  for (const weight of weights) {
    const found = runs(groups.map((group) => group.pair), whole, weight);
    for (const group of groups) {
      const suited = runs(group.suited, whole, weight);
      const offsuit = runs(group.offsuit, whole, weight);
      // The same runs suited and offsuit are written once, for both ("A9+", "K9-K7", "AK");
      // no rank letter is an "s" or an "o", so taking those away leaves the ranks.
      const both = suited.map((run) => run.replaceAll("s", ""));
      if (both.length > 0 && both.join() === offsuit.map((run) => run.replaceAll("o", "")).join())
        found.push(...both);
      else found.push(...suited, ...offsuit);
    }
    found.push(...single.filter(([, w]) => w === weight).map(([hand]) => hand));
    pieces.push(...found.map((piece) => piece + weightText(weight)));
  }
  return pieces.join(", ");
}

// The weighted number of hands in a range, and its share of the `all` hands of the deck.
export function rangeSize(range, all) {
  let total = 0;
  for (const weight of range.values()) total += weight;
  return { count: total, share: total / all };
}
