#!/usr/bin/python3
# Fills pupils' copies in LibreOffice as a pupil does: opens each copy,
# types the answers into its "Gap_k" fieldmarks and saves it in the given
# format. Usage: lo_ausfuellen.py PIPE AUFTRAG.json, the job a list of
# {"ein": path, "aus": path, "filter": name, "antworten": {"k": text}};
# LibreOffice listens on the pipe. Ends LibreOffice when done.
import json
import sys
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def connect(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(240):
        try:
            return resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            time.sleep(0.5)
    sys.exit("LibreOffice is not listening on " + pipe)


def fill(doc, answers):
    # A fieldmark's text lies between its separator and its end portion.
    spans = []
    paragraphs = doc.getText().createEnumeration()
    while paragraphs.hasMoreElements():
        par = paragraphs.nextElement()
        if not par.supportsService("com.sun.star.text.Paragraph"):
            continue
        name, after_sep = None, None
        portions = par.createEnumeration()
        while portions.hasMoreElements():
            p = portions.nextElement()
            kind = p.TextPortionType
            if kind == "TextFieldStart":
                name = p.Bookmark.Name
            elif kind == "TextFieldSeparator":
                after_sep = p.getEnd()
            elif kind == "TextFieldEnd" and name in answers and after_sep is not None:
                spans.append((after_sep, p.getStart(), answers[name]))
    for start, end, text in spans:
        cursor = doc.getText().createTextCursorByRange(start)
        cursor.gotoRange(end, True)
        cursor.setString(text)
    return len(spans)


def main():
    ctx = connect(sys.argv[1])
    desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    with open(sys.argv[2], encoding="utf-8") as f:
        jobs = json.load(f)
    for job in jobs:
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(job["ein"]), "_blank", 0, (prop("Hidden", True),))
        answers = {"Gap_" + k: v for k, v in job["antworten"].items()}
        if fill(doc, answers) != len(answers):
            sys.exit("not every gap found in " + job["ein"])
        doc.storeToURL(uno.systemPathToFileUrl(job["aus"]), (prop("FilterName", job["filter"]),))
        doc.close(True)
    try:
        desktop.terminate()
    except Exception:
        pass  # the bridge goes down with LibreOffice


main()
