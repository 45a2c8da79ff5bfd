// Numbers as the page shows them.

// Decimals of a percentage that the precision asked for can carry: two at 0.001, one more for
// every tenfold finer target (as the vantor command shows them).
export function decimals(precision) {
  const finest = precision || 0.001;
  return Math.min(6, Math.max(2, Math.ceil(-Math.log10(100 * finest) - 1e-9) + 1));
}

export function percent(value, places = 2) {
  return `${(100 * value).toFixed(places)}%`;
}

export function count(value) {
  return Math.round(value).toLocaleString("en-US");
}

// A weighted count of hands: whole where it is whole ("20"), else to two decimals ("20.25").
export function hands(value) {
  return Number.isInteger(value) ? count(value) : value.toFixed(2);
}

export function seconds(value) {
  return value < 10 ? `${value.toFixed(2)} s` : `${value.toFixed(1)} s`;
}
