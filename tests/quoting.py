"""The quoted, escaped form in which messages echo an identifier the caller got wrong."""

ESCAPES = {'"': '\\"', "\\": "\\\\", "\t": "\\t", "\r": "\\r", "\n": "\\n", "\0": "\\0"}


def quoted(text):
    """Double quotes around `text`; backslash escapes for quotes, backslashes and control
    characters, which would otherwise break the message apart or vanish from it."""
    body = []
    for char in text:
        if char in ESCAPES:
            body.append(ESCAPES[char])
        elif not char.isprintable() and char != " ":
            body.append(f"\\u{{{ord(char):x}}}")
        else:
            body.append(char)
    return '"' + "".join(body) + '"'
