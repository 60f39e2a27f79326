"""The story as the game's text files: packed scene files and debug mode's
per-record files, in CP932 with CR LF line ends."""


def record_names(scene):
    """Map each record name to its index (the index is the record's address)."""
    names = {}
    for index, record in enumerate(scene):
        if record["name"] is not None:
            assert record["name"] not in names, record["name"]
            names[record["name"]] = index
    return names


def type_line(kind, names):
    """Write one type line, turning target names into record indexes."""
    word = kind[0]
    if word in ("NORMAL", "NEXT_FILE", "END"):
        return word
    if word == "COMMAND":
        targets = [names[t] for t in kind[1:]] + [0] * (5 - len(kind))
        # Target 0 means "not offered", so no choice may lead to record 0.
        assert all(t != 0 for t in targets[:len(kind) - 1])
        return "COMMAND" + "".join("<%d>" % t for t in targets)
    if word == "FLAG":
        _, letter, op, value = kind
        return "FLAG<%s%s%d>" % (letter, op, value)
    if word == "IF":
        # The engine reads the first target 7 characters after the ">" that
        # closes the value, and the second 8 characters after the ">" that
        # closes the first target; the characters in between are not read.
        _, letter, op, value, then_target, else_target = kind
        return "IF<%s%s%d>......%d>.......%d>" % (
            letter, op, value, names[then_target], names[else_target])
    if word == "JUMP":
        # A jump line n continues at record n + 1.
        return str(names[kind[1]] - 1)
    if word == "IMAGE":
        return "IMAGE<%d>" % kind[1]
    raise ValueError("unknown kind %r" % (kind,))


def scene_records(scene):
    """The scene as a list of records whose type lines are final text."""
    names = record_names(scene)
    records = []
    for record in scene:
        done = dict(record)
        done["type"] = type_line(record["kind"], names)
        records.append(done)
    return records


def packed_scene_lines(records):
    """Packed scene file: the last record's number, then 11 lines per record."""
    lines = [str(len(records) - 1)]
    for index, record in enumerate(records):
        label = "---- %d ----" % index
        if record["name"]:
            label = "---- %d %s ----" % (index, record["name"])
        block = [label, record["type"], record["image"], record["sub"],
                 record["wav"], record["midi"]]
        block += list(record["lines"])
        block.append("")      # the closing line of a record is not read either
        assert len(block) == 11
        lines += block
    return lines


def per_record_files(records):
    """Debug mode's separate files: line i of each belongs to record i."""
    files = {
        "game.gst": [r["type"] for r in records],
        "image/image.gst": [r["image"] for r in records],
        "image2/image2.gst": [r["sub"] for r in records],
        "wave/wave.gst": [r["wav"] for r in records],
        "midi/midi.gst": [r["midi"] for r in records],
    }
    for k in range(4):
        files["message/message%d.gst" % (k + 1)] = [r["lines"][k] for r in records]
    return files


def encode_text(lines):
    """CP932 text, every line (the last too) ended by CR LF.

    Encoding is strict, so a character the code page lacks stops the script.
    """
    for line in lines:
        assert "\r" not in line and "\n" not in line, repr(line)
    return "".join(line + "\r\n" for line in lines).encode("cp932")
