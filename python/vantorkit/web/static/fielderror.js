// A notation error under the field it is about, as the vantor command prints it: the field,
// a caret under the offending character, and the reason.

export function showFieldError(element, text, column, reason) {
  const before = document.createTextNode(text.slice(0, column));
  const mark = document.createElement("mark");
  mark.textContent = text.slice(column, column + 1) || " ";
  const after = document.createTextNode(text.slice(column + 1));
  const caret = document.createTextNode(`\n${" ".repeat(column)}^`);
  const shown = document.createElement("pre");
  shown.append(before, mark, after, caret);
  const message = document.createElement("p");
  message.textContent = reason;
  element.replaceChildren(shown, message);
  element.hidden = false;
}

export function clearFieldError(element) {
  element.replaceChildren();
  element.hidden = true;
}
