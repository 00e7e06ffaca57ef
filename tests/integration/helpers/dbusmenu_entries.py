"""Prints the entries of a dbusmenu layout as gdbus prints it (read from standard
input), one a line: "ID<TAB>label<TAB>shortcut", or "ID<TAB>---" for a separator."""
import re
import sys

layout = sys.stdin.read()
for match in re.finditer(r"<\((\d+), \{(.*?)\}, @av \[\]\)>", layout):
    ident, props = match.groups()
    if "'separator'" in props:
        print(f"{ident}\t---")
        continue
    # gdbus quotes a string that holds an apostrophe with double quotes.
    label = re.search(r"""'label': <(?:'(.*?)'|"(.*?)")>""", props)
    keys = re.findall(r"\['(\w+)', '(\w+)'\]", props)
    shortcut = "+".join(key for pair in keys for key in pair)
    text = (label.group(1) if label.group(1) is not None else label.group(2)) if label else ""
    print(f"{ident}\t{text}\t{shortcut}")
