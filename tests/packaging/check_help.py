#!/usr/bin/env python3
"""Checks the compiled help: Moxwell_Reelwright.chm is a CHM file (ITSF signature)
that holds every page and stylesheet of docs/help, as chmls (fp-utils) lists it; the
plain help/ folder beside it holds them too; and every link between the pages and in
the table of contents leads to a page and an anchor that exist.

    check_help.py CHMLS CHM_FILE HELP_SOURCE_DIR HELP_PAGES_DIR
"""

import html.parser
import os
import subprocess
import sys


class LinkCollector(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []
        self.anchors = set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.anchors.add(attrs["id"])
        for key in ("href", "src"):
            if key in attrs:
                self.links.append(attrs[key])
        # The table of contents names its pages in <param name="Local" value="...">.
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.links.append(attrs.get("value", ""))


def parse(path):
    collector = LinkCollector()
    with open(path, encoding="utf-8") as page:
        collector.feed(page.read())
    return collector


def main():
    chmls, chm_file, source_dir, pages_dir = sys.argv[1:5]
    failures = []

    with open(chm_file, "rb") as chm:
        if chm.read(4) != b"ITSF":
            failures.append(chm_file + " does not start with the ITSF signature")

    listing = subprocess.run([chmls, "list", chm_file], capture_output=True, text=True,
                             check=True).stdout
    stored = {line.split()[-1] for line in listing.splitlines() if line.strip()}

    pages = sorted(name for name in os.listdir(source_dir) if name.endswith((".html", ".css")))
    if "index.html" not in pages:
        failures.append("docs/help has no index.html")
    for name in pages:
        if "/" + name not in stored:
            failures.append(name + " is missing from " + chm_file)
        if not os.path.isfile(os.path.join(pages_dir, name)):
            failures.append(name + " is missing from " + pages_dir)

    parsed = {name: parse(os.path.join(source_dir, name)) for name in pages if name.endswith(".html")}
    linked_from_index = set()
    for name in sorted(parsed) + ["contents.hhc"]:
        collector = parsed.get(name) or parse(os.path.join(source_dir, name))
        for link in collector.links:
            if ":" in link.split("#")[0] or link.startswith("@"):
                continue  # http:, mailto: and the configured addresses
            target, _, anchor = link.partition("#")
            target = target or name
            if name == "index.html":
                linked_from_index.add(target)
            if target not in pages:
                failures.append("%s links to %s, which is not a page of the help" % (name, link))
            elif anchor and anchor not in parsed[target].anchors:
                failures.append("%s links to %s, which has no anchor %s" % (name, target, anchor))
    for name in parsed:
        if name != "index.html" and name not in linked_from_index:
            failures.append("index.html does not link to " + name)

    for failure in failures:
        print("FAIL: " + failure)
    print("%d pages checked, %d problems" % (len(pages), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
