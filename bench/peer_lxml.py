#!/usr/bin/python3
"""The python lxml peer: the same updates as brindle's, written as a user
would write them with lxml.

  peer_lxml.py update [--indent] <input> <xpath> <value> <output>
  peer_lxml.py edits <input> <edit-list> <output>

The edit list is the tab-separated one that `generate edits` writes.
Entity references stay references, as in brindle; --indent drops the
whitespace between elements and lays the document out afresh.
"""
import sys

from lxml import etree


def parse(path, indent):
    parser = etree.XMLParser(resolve_entities=False, huge_tree=True, no_network=True,
                             remove_blank_text=indent)
    return etree.parse(path, parser)


def save(tree, path, indent):
    tree.write(path, encoding="UTF-8", xml_declaration=True, pretty_print=indent)


def set_text(element, text):
    for child in list(element):
        element.remove(child)
    element.text = text


def update(arguments):
    indent = arguments[0] == "--indent"
    source, xpath, value, target = arguments[1:] if indent else arguments
    tree = parse(source, indent)
    set_text(tree.xpath(xpath)[0], value)
    save(tree, target, indent)


def edits(source, edit_list, target):
    tree = parse(source, False)
    current = None
    with open(edit_list, encoding="utf-8") as lines:
        for line in lines:
            action, *fields = line.rstrip("\n").split("\t")
            if action == "select":
                current = tree.xpath(fields[0])[0]
            elif action in ("set-attribute", "add-attribute"):
                current.set(fields[0], fields[1])
            elif action == "set-child":
                set_text(current.xpath(fields[0])[0], fields[1])
            elif action == "add-child-node":
                etree.SubElement(current, fields[0]).text = fields[1]
            else:
                sys.exit("unknown edit: " + action)
    save(tree, target, False)


def main():
    if len(sys.argv) >= 6 and sys.argv[1] == "update":
        update(sys.argv[2:])
    elif len(sys.argv) == 5 and sys.argv[1] == "edits":
        edits(*sys.argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
