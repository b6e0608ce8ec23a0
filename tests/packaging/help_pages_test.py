#!/usr/bin/env python3
"""The help pages: every topic the wizard can open has its page, every link and anchor
between the pages resolves, and nothing needs a network or a script.

The topics are read from the wizard's source (the help_topic_* constants), so a topic added
there without a page fails here. Usage: help_pages_test.py SOURCE_DIR"""
import html.parser
import pathlib
import re
import sys
import urllib.parse


class page_reader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = set()
        self.links = []  # (attribute, value)
        self.scripts = 0

    def handle_starttag(self, tag, attrs):
        if tag == "script":
            self.scripts += 1
        for name, value in attrs:
            if name in ("id", "name") and value:
                self.ids.add(value)
            if name in ("href", "src") and value is not None:
                self.links.append((tag, value))
            if name.startswith("on"):
                self.scripts += 1


def topics_from_source(source):
    header = (source / "src/wizard/wizard_pages.h").read_text(encoding="utf-8")
    topics = {int(number) for number in re.findall(r"help_topic_\w+\s*=\s*(-?\d+)\s*;", header)}
    if not topics:
        sys.exit("no help_topic_* constants found in src/wizard/wizard_pages.h")
    return topics


def main():
    source = pathlib.Path(sys.argv[1])
    folder = source / "src/gui/help"
    problems = []

    topics = topics_from_source(source)
    for topic in sorted(topics):
        name = f"{topic}.html" if topic > 0 else "index.html"  # as help_location_test pins it
        if not (folder / name).is_file():
            problems.append(f"topic {topic} opens {name}, which does not exist")

    pages = {}
    for path in sorted(folder.glob("*.html")):
        reader = page_reader()
        reader.feed(path.read_text(encoding="utf-8"))
        pages[path.name] = reader
    for name, reader in pages.items():
        if reader.scripts:
            problems.append(f"{name}: scripts are not allowed")
        for tag, link in reader.links:
            parts = urllib.parse.urlsplit(link)
            if parts.scheme or parts.netloc:
                problems.append(f"{name}: <{tag}> {link} needs a network")
                continue
            target = parts.path or name
            if not (folder / target).is_file():
                problems.append(f"{name}: {link}: {target} does not exist")
            elif parts.fragment:
                if target not in pages:
                    problems.append(f"{name}: {link}: anchor into a file that is not a page")
                elif parts.fragment not in pages[target].ids:
                    problems.append(f"{name}: {link}: no id '{parts.fragment}' in {target}")
    if not pages.get("index.html"):
        problems.append("index.html is missing")
    reached = {urllib.parse.urlsplit(link).path or name
               for name, reader in pages.items() for _, link in reader.links}
    for name in pages:
        if name != "index.html" and name not in reached:
            problems.append(f"{name} is not linked from any page")

    for problem in problems:
        print(problem)
    print(f"{len(pages)} pages, {len(topics)} topics, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
