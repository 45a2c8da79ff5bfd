// The equity distribution of a seat's hands, drawn as SVG: the hands best first along the
// bottom, each as wide as its share of the seat, at the height of its equity; the seat's
// equity over all its hands as a dashed line. Pointing at the curve names the hand there.

import { percent } from "./format.js";

const SVG = "http://www.w3.org/2000/svg";
const WIDTH = 640;
const HEIGHT = 260;
const MARGIN = { left: 48, right: 14, top: 14, bottom: 40 };
const PLOT_WIDTH = WIDTH - MARGIN.left - MARGIN.right;
const PLOT_HEIGHT = HEIGHT - MARGIN.top - MARGIN.bottom;
const TICKS = [0, 0.25, 0.5, 0.75, 1];

function element(name, attributes = {}, text = "") {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  if (text) node.textContent = text;
  return node;
}

const x = (share) => MARGIN.left + share * PLOT_WIDTH;
const y = (equity) => MARGIN.top + (1 - equity) * PLOT_HEIGHT;

// Draws into `svg` the curve of `hands` (each with `share` and `equity`, best first) around
// `overall`, the seat's equity.
export function drawCurve(svg, hands, overall) {
  svg.replaceChildren();
  svg.setAttribute("viewBox", `0 0 ${WIDTH} ${HEIGHT}`);
  svg.setAttribute("role", "img");
  for (const tick of TICKS) {
    const label = percent(tick, 0);
    svg.append(
      element("line", { class: "grid-line", x1: x(0), x2: x(1), y1: y(tick), y2: y(tick) }),
      element("text", { class: "tick", x: x(0) - 6, y: y(tick) + 4, "text-anchor": "end" }, label),
      element("text", { class: "tick", x: x(tick), y: y(0) + 16, "text-anchor": "middle" }, label),
    );
  }
  const bottom = { class: "axis-label", x: x(0.5), y: HEIGHT - 4, "text-anchor": "middle" };
  const side = { ...bottom, x: 0, y: 0, transform: `translate(12 ${y(0.5)}) rotate(-90)` };
  svg.append(
    element("text", bottom, "share of the seat's hands, best first"),
    element("text", side, "equity"),
  );
  // The steps: each hand from where the hands before it end, as wide as its share.
  const steps = [];
  const spans = [];
  let start = 0;
  for (const hand of hands) {
    const end = Math.min(1, start + hand.share);
    const height = y(hand.equity).toFixed(2);
    steps.push(`${x(start).toFixed(2)},${height}`, `${x(end).toFixed(2)},${height}`);
    spans.push([start, end, hand]);
    start = end;
  }
  if (steps.length > 0) {
    const area = `${x(0)},${y(0)} ${steps.join(" ")} ${x(start)},${y(0)}`;
    svg.append(element("polygon", { class: "curve-area", points: area }));
    svg.append(element("polyline", { class: "curve", points: steps.join(" ") }));
  }
  const average = { class: "overall-label", x: x(1) - 4, y: y(overall) - 6, "text-anchor": "end" };
  svg.append(
    element("line", { class: "overall", x1: x(0), x2: x(1), y1: y(overall), y2: y(overall) }),
    element("text", average, `over all its hands ${percent(overall)}`),
  );
  const marker = element("line", { class: "marker", y1: y(1), y2: y(0), visibility: "hidden" });
  const label = element("text", { class: "marker-label", visibility: "hidden" });
  const area = { class: "pointer-area", x: x(0), y: y(1), width: PLOT_WIDTH, height: PLOT_HEIGHT };
  const pointer = element("rect", area);
  svg.append(marker, label, pointer);
  pointer.addEventListener("pointermove", (event) => {
    const box = svg.getBoundingClientRect();
    const share = ((event.clientX - box.left) * (WIDTH / box.width) - MARGIN.left) / PLOT_WIDTH;
    const found = spans.find(([from, to]) => share >= from && share <= to);
    if (!found) return;
    const [, , hand] = found;
    marker.setAttribute("x1", x(share));
    marker.setAttribute("x2", x(share));
    const named = hand.hand_class ? `${hand.hand} (${hand.hand_class})` : hand.hand;
    label.textContent = `${named}: ${percent(hand.equity)}`;
    const right = share > 0.6;
    // Away from the curve: low in the plot over a strong hand, high over a weak one.
    label.setAttribute("y", hand.equity > 0.5 ? y(0) - 8 : MARGIN.top + 12);
    label.setAttribute("x", x(share) + (right ? -6 : 6));
    label.setAttribute("text-anchor", right ? "end" : "start");
    marker.setAttribute("visibility", "visible");
    label.setAttribute("visibility", "visible");
  });
  pointer.addEventListener("pointerleave", () => {
    marker.setAttribute("visibility", "hidden");
    label.setAttribute("visibility", "hidden");
  });
}
