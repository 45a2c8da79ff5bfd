// What the equity panel and the breakdown panel share: their parts found by selector, a state
// the stylesheet follows ("running", "final", "stopped", "error"), and an error said over them.

export class Panel {
  // `parts` maps a name to the selector of that part within `element`.
  constructor(element, parts) {
    this.element = element;
    for (const [name, selector] of Object.entries(parts)) this[name] = element.querySelector(selector);
  }

  get state() {
    return this.element.dataset.state;
  }

  set state(state) {
    this.element.dataset.state = state;
  }

  error(message) {
    this.state = "error";
    this.message.textContent = message;
    this.message.hidden = false;
    this.status.textContent = "";
  }
}
