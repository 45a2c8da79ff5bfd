// The server's JSON API: plain requests, and streams of server-sent events read from a POST.

export class ApiError extends Error {
  constructor(status, data) {
    super(data?.error ?? `the server answered ${status}`);
    this.status = status;
    this.data = data ?? {};
  }
}

async function refusal(response) {
  let data = null;
  try {
    data = await response.json();
  } catch {
    // not JSON: the status alone says what went wrong
  }
  return new ApiError(response.status, data);
}

export async function getJSON(path) {
  const response = await fetch(path);
  if (!response.ok) throw await refusal(response);
  return response.json();
}

export async function postJSON(path, body, signal) {
  const response = await fetch(path, {
    method: "POST",
    headers: { "Content-Type": "application/json" },
    body: JSON.stringify(body),
    signal,
  });
  if (!response.ok) throw await refusal(response);
  return response.json();
}

// Calls onEvent(name, data) for each event of the stream the server answers `body` with,
// until its last; throws ApiError for a refusal, and AbortError once `signal` aborts.
export async function stream(path, body, signal, onEvent) {
  const response = await fetch(path, {
    method: "POST",
    headers: { "Content-Type": "application/json", Accept: "text/event-stream" },
    body: JSON.stringify(body),
    signal,
  });
  if (!response.ok) throw await refusal(response);
  const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
  let buffer = "";
  for (;;) {
    const { value, done } = await reader.read();
    if (done) return;
    buffer += value;
    let end;
    while ((end = buffer.indexOf("\n\n")) >= 0) {
      const block = buffer.slice(0, end);
      buffer = buffer.slice(end + 2);
      // "event: name" and "data: {...}", a line each.
      const fields = Object.fromEntries(
        block.split("\n").map((line) => {
          const colon = line.indexOf(":");
          return [line.slice(0, colon), line.slice(colon + 2)];
        }),
      );
      if (fields.event) onEvent(fields.event, JSON.parse(fields.data));
    }
  }
}
